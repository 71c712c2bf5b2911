#pragma once
// clinova-import: the command-line front end over the engine, for scripted and repeatable migrations.

#include <iosfwd>
#include <string>
#include <vector>

namespace clinova {

enum ExitStatus {
    kExitOk = 0,          // the action ran to its end and no line failed
    kExitRefused = 1,     // refused or ended early
    kExitUsage = 2,       // unknown command, unknown setting, missing argument
    kExitLinesFailed = 3, // ran to its end but some lines failed
    kExitInternalError = 4, // a fault of the program ended the action
    kExitInterrupted = 130, // Ctrl+C
    kExitTerminated = 143,  // SIGTERM, stopped as cleanly as Ctrl+C
};

// Runs one command line (args without the program name). Output goes to out and err; the question is
// read from the terminal when interactive.
int RunCli(const std::vector<std::string> &args, std::ostream &out, std::ostream &err, bool interactive = false);

} // namespace clinova
