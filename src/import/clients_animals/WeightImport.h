#pragma once

#include <string>

namespace clinova {

struct RunState;

// The weight history of POIDS.TXT into POIDS; then each animal that has no weight yet takes its most recent
// imported weighing as its own weight.
void doImportationPoids(RunState &state);

// QPoids by database build: from build 85 on, the row also gives its history date, stay, site and user.
std::string WeightInsertSQL(int databaseBuild);

} // namespace clinova
