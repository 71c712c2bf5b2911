#pragma once

#include <string>
#include <vector>

namespace clinova {

struct RunState;

// How an import run ended, for the front ends (the command line turns it into its exit status).
enum class RunOutcome {
    Completed,             // every step ran to its end and no line failed
    CompletedWithFailures, // the steps ran to their end, some lines failed (each has its log line)
    Refused,               // "Non" to the question, unsupported build, no veterinarian
    Failed,                // the connection failed or an error ended the run
    Interrupted,           // the operator interrupted a step
};

// One step of the run: its name in the log and its work (none yet for a step that does nothing).
struct RunStep {
    const char *name;
    void (*work)(RunState &);
};
const std::vector<RunStep> &ImportRunSteps();

// The summary of a run for the log: an aligned row per file read (lines read, imported, matched, skipped,
// failed, time), the total, and the files the run wrote.
std::vector<std::string> RunSummaryLines(const RunState &state);

// The import run behind "Importer dans Clinova".
RunOutcome btnImportationClick(RunState &state);

} // namespace clinova
