#pragma once

namespace clinova {

struct RunState;
struct StepEntry;
struct StepDefinition;

// Attaches the dosage texts of POSOLOGIES.TXT to the products of the catalogue. Each line names an origin of
// POSOLOGIES_ORIGINES.TXT (read from the source folder; it has no check box), whose wholesaler
// (CENTRALES.NOM, any site) is the supplier of the product; the product is found by that wholesaler's
// article code and must carry a GTIN. Incomplete or unmatched lines are left aside silently. Writes one
// dosage and one link per line; deletes nothing.
void doImportationPosologies(RunState &state);

// POSOLOGIES.TXT as the step reads it, and its companion POSOLOGIES_ORIGINES.TXT with the two columns
// without which the step does nothing (also for the check of a source folder).
const StepDefinition &DosageStepDefinition();
const StepDefinition &DosageOriginDefinition();

// The dosages step and its two files as the run, the check and the window know them.
const StepEntry &DosageStepEntry();

} // namespace clinova
