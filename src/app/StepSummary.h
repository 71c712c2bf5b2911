#pragma once

#include "app/LineReasons.h"

#include <string>

namespace clinova {

// Counts of one run of a step, for the summary of the run.
struct StepSummary {
    std::string fileName;
    int read = 0;
    int imported = 0;
    int matched = 0;
    int skipped = 0;
    int failed = 0;
    int warnings = 0; // lines imported with a warning (counted in imported too)
    int notRead = 0;  // lines never read: after a NUL byte, or after the connection was lost
    int alreadyDone = 0; // lines an interrupted run committed, skipped by its resume
    double seconds = 0;
    bool ran = false;          // false when the step did nothing (unticked, missing columns, stopped)
    bool missingColumns = false; // the file lacked a mandatory column: none of its lines was imported
    // Why the whole file was left aside otherwise (not a regular file, UTF-8...); empty when it was read.
    std::string leftAside;
    bool interrupted = false;
    // The failed, left-aside and warned lines by the kind of their reason.
    LineReasons reasons;
    // Something of the file did not arrive: a failed or unread line, a warning, the file left aside.
    bool Incomplete() const { return failed > 0 || warnings > 0 || notRead > 0 || missingColumns || !leftAside.empty(); }
};

} // namespace clinova
