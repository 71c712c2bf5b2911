#pragma once
// A report of the source lines found to be duplicates (DOUBLONS_CLIENTS.TXT...): the header line of the
// source file, then each duplicate line exactly as read, every line ending with CR LF. It is written through an
// OutputFile (nothing standing at its name is written through) and takes its name when it is closed.

#include "normalized/OutputFile.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace clinova {

class Operator;

class DuplicatesReport {
public:
    // Creates the file anew and writes the header line. A file that cannot be written (a read-only folder, a
    // full disk) does not stop the step: each duplicate line then fails with the reason, so that it has its
    // log line instead of its report line.
    DuplicatesReport(const std::string &path, std::string_view headerLine);
    // Gives the file its name when Close was not called, as when an error ends the step; errors are then lost.
    ~DuplicatesReport();
    DuplicatesReport(const DuplicatesReport &) = delete;
    DuplicatesReport &operator=(const DuplicatesReport &) = delete;

    // Throws FileError when the line cannot be written.
    void Add(std::string_view line);
    // Gives the file its name; the path is added to written, a replaced link is logged. Throws FileError.
    void Close(Operator &op, std::vector<std::string> &written);

private:
    void WriteLine(std::string_view line);

    std::string path_;
    std::unique_ptr<OutputFile> file_;
    std::string error_; // why the report cannot be written; empty while it can
};

} // namespace clinova
