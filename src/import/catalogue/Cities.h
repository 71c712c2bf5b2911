#pragma once

#include "cleaning/CleaningFrame.h"

namespace clinova {

struct RunState;
struct StepDefinition;

// Replaces the towns table (VILLES) with the towns and postcodes of VILLES.TXT; lines without a postcode or
// without a town are left aside. The table is emptied only once the file's header has both columns.
void doImportationVilles(RunState &state);

// VILLES.TXT and its mandatory columns, as the step reads them (also for the check of a source folder).
const StepDefinition &CityStepDefinition();

// XiButton1: replaces the towns table with the towns and postcodes of the clients already in the database,
// upper-cased, each pair once. Asks whether the product is closed, opens and closes its own connection,
// and refuses an unsupported database build before anything is deleted. A failure is shown in the plain
// message box; the rows written before it stay.
CleaningOutcome XiButton1Click(RunState &state);

} // namespace clinova
