#pragma once
// The check of a source folder before an import: every file a run would read is read as its step reads it,
// without any database, and what would go wrong is logged: missing mandatory columns, fields that would
// not convert, references that no line of the folder resolves, and text that does not look like
// Windows-1252. Nothing is written but what the check found: its lines in VERIFICATION.TXT, which outlives the
// log that the import clears, and its report (RAPPORT_IMPORTATION.html), both in the folder.

#include "app/ImportOptions.h"
#include "app/LineReasons.h"
#include "app/Operator.h"

#include <string>
#include <vector>

namespace clinova {

// What the check found in one file.
struct PreflightCount {
    std::string fileName;
    int read = 0;         // data lines, counted as a run counts them (empty lines are not)
    int withProblems = 0; // data lines with at least one problem
    int fileProblems = 0; // problems of the whole file: missing columns, byte-order mark, UTF-8 text, NUL
                          // byte, a file its references point to that the folder lacks
    LineReasons problems;     // every problem by its kind (those of the whole file at line 0)
};

struct PreflightResult {
    std::vector<PreflightCount> files; // in the order a run reads them
    bool interrupted = false;
    std::string report; // the report written into the folder; empty when it could not be written (logged)
    std::string findings; // VERIFICATION.TXT written into the folder; empty when it could not be (logged)
    std::vector<std::string> writtenFiles; // the two, as written, whole paths

    bool Clean() const;
};

// Checks the files of the folder that a run with these settings reads: those of the ticked (and offered)
// check boxes, and POSOLOGIES_ORIGINES.TXT with POSOLOGIES.TXT. References are resolved against the files
// of the folder, ticked or not. Logs one line per problem ("FILE/ligne N/COLUMN : ..." for a line), then
// one count line per file. The wait window's interrupt button stops it after the current line. A file
// that cannot be read throws FileError.
PreflightResult CheckSourceFolder(Operator &op, const std::string &folder, const ImportOptions &options);

// "VERIFICATION.TXT": the check's log lines, Windows-1252 and CR LF as the folder's files, after a line that
// says when and where the check ran.
const char *FindingsFileName();

} // namespace clinova
