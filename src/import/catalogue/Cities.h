#pragma once

namespace clinova {

struct RunState;
struct StepEntry;
struct StepDefinition;

// Replaces the towns table (VILLES) with the towns and postcodes of VILLES.TXT; lines without a postcode or
// without a town are left aside. The table is emptied only once the file's header has both columns.
void doImportationVilles(RunState &state);

// VILLES.TXT and its mandatory columns, as the step reads them (also for the check of a source folder).
const StepDefinition &CityStepDefinition();

class TargetDatabase;

// The towns table as the step and the fill from the clients write it.
extern const char *const kQVille;
// Empties the towns table and commits.
void EmptyVilles(TargetDatabase &db);

// The towns step as the run, the check and the window know it.
const StepEntry &CityStepEntry();

} // namespace clinova
