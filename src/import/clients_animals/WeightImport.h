#pragma once

#include <string>

namespace clinova {

struct RunState;
struct StepEntry;
struct StepDefinition;

// The weight history of POIDS.TXT into POIDS; then each animal that has no weight yet takes its most recent
// imported weighing as its own weight.
void doImportationPoids(RunState &state);

// POIDS.TXT and its mandatory columns, as the step reads them (also for the check of a source folder).
const StepDefinition &WeightStepDefinition();

// QPoids by database build: from build 85 on, the row also gives its history date, stay, site and user.
std::string WeightInsertSQL(int databaseBuild);

// The weights step as the run, the check and the window know it. The weights' stay, site and user are
// those of the databases of build 85 and later, the ones the product installs today.
const StepEntry &WeightStepEntry();

} // namespace clinova
