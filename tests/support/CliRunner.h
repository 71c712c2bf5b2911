#pragma once
// clinova-import run in-process, its output and messages captured.

#include "cli/CliApp.h"

#include <sstream>
#include <string>
#include <vector>

namespace clinova::test {

struct CliRun {
    int status = -1;
    std::string out; // log lines
    std::string err; // message boxes and usage errors
    bool Said(const std::string &text) const { return err.find(text) != std::string::npos; }
};

inline CliRun RunCommand(const std::vector<std::string> &args) {
    std::ostringstream out, err;
    CliRun r;
    r.status = RunCli(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

} // namespace clinova::test
