#pragma once

namespace clinova {

struct RunState;
struct StepEntry;
struct StepDefinition;

// Imports the fee schedule of acts of the site (edIDSite): CATEGORIES_ACTES.TXT into TARIFSACTES_CAT, then
// TARIFS_ACTES.TXT into TARIFSACTES. Runs only when both files are ticked and both headers have their
// mandatory columns. Source categories 1 to 50 become the site's block of identifiers
// (site - 1) x 100 + category; other numbers are left aside. Importing a category first deletes that
// category and all its acts on the site, so that the import can be run again.
void doImportationTarifsActes(RunState &state);

// CATEGORIES_ACTES.TXT and TARIFS_ACTES.TXT with their mandatory columns, as the step reads them (also for
// the check of a source folder). Neither has a check box of its own: the step wants both ticked.
const StepDefinition &FeeCategoryStepDefinition();
const StepDefinition &FeeActStepDefinition();

// The fee schedule step and its two files as the run, the check and the window know them.
const StepEntry &FeeScheduleStepEntry();

} // namespace clinova
