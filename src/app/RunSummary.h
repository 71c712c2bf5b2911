#pragma once
// The summary of an import run as the technician reads it: one row per file read with its counts and its
// time, a total, the mark of a file interrupted or left aside, and the files the run wrote. The log (and so
// the command line) prints it as aligned text; the window shows the same rows in its results table.
//
// Texts are Windows-1252, like every text of the engine.

#include "app/ImportStep.h"

#include <string>
#include <string_view>
#include <vector>

namespace clinova {

// One count of a row, in the order the summary shows them.
struct SummaryColumn {
    const char *singular; // UTF-8: "ignorée"
    const char *plural;   // UTF-8: "ignorées", also the column's header
    int StepSummary::*count;
    bool whenNotZero = false; // shown only when some row counts something in it
};
const std::vector<SummaryColumn> &SummaryColumns();
// The columns a summary of these rows shows: the optional ones only when they count something.
std::vector<SummaryColumn> ShownSummaryColumns(const std::vector<StepSummary> &summaries);

// "0 ignorée", "1 ignorée", "2 ignorées": French takes the plural from two on.
std::string CountText(long long count, std::string_view singularUtf8, std::string_view pluralUtf8);

// A duration as shown: "0,3 s" under a minute, then "4 min 05 s", then "1 h 02 min".
std::string DurationText(double seconds);

// What a row says beside its counts: the interruption, or why the file was not imported; empty otherwise.
std::string SummaryMark(const StepSummary &summary);

// The counts and times of the rows added up, under the name "Total"; interrupted when one row is.
StepSummary SummaryTotal(const std::vector<StepSummary> &summaries);

// A written file as listed: its name alone when it lies in the source folder, its whole path otherwise.
std::string WrittenFileText(const std::string &path, const std::string &sourceFolder);

// The log lines of the summary: the heading, one aligned row per file, the total, then the files written.
// Nothing when no file was read.
std::vector<std::string> ImportSummaryLines(const std::vector<StepSummary> &summaries,
                                            const std::vector<std::string> &writtenFiles,
                                            const std::string &sourceFolder);

} // namespace clinova
