#pragma once
// The import run: the question, the connection, the build gate and the default user, then the steps of the
// one table in their order (src/import/ImportSteps.h), the lists, the summary, the commit.

#include "app/RunOutcome.h"

#include <string>
#include <vector>

namespace clinova {

struct RunState;

// The summary of a run for the log: an aligned row per file read (lines read, imported, matched, skipped,
// failed, time), the total, and the files the run wrote.
std::vector<std::string> RunSummaryLines(const RunState &state);

// The import run behind "Importer dans Clinova".
RunOutcome btnImportationClick(RunState &state);

} // namespace clinova
