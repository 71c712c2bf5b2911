#pragma once
// A report of the source lines found to be duplicates (DOUBLONS_CLIENTS.TXT...): the header line of the
// source file, then each duplicate line exactly as read, every line ending with CR LF.

#include "normalized/NormalizedFile.h"

#include <string>
#include <string_view>

namespace clinova {

class DuplicatesReport {
public:
    // Creates the file anew and writes the header line. A file that cannot be written (a read-only folder, a
    // full disk) does not stop the step: each duplicate line then fails with the reason, so that it has its
    // log line instead of its report line.
    DuplicatesReport(const std::string &path, std::string_view headerLine);
    // Closes the file when Close was not called, as when an error ends the step; errors are then lost.
    ~DuplicatesReport() = default;
    DuplicatesReport(const DuplicatesReport &) = delete;
    DuplicatesReport &operator=(const DuplicatesReport &) = delete;

    // Throws FileError when the line cannot be written.
    void Add(std::string_view line);
    // Closes the file. Throws FileError.
    void Close();

private:
    void WriteLine(std::string_view line);

    std::string path_;
    FilePtr file_;
    std::string error_; // why the report cannot be written; empty while it can
};

} // namespace clinova
