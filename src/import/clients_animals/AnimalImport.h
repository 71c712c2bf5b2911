#pragma once

namespace clinova {

struct RunState;
struct StepEntry;
struct StepDefinition;

// The import of ANIMAUX.TXT into ANIMAUX, each animal attached to the target client of its source client,
// with its first weight and its passport; fills the animal correspondence lists the later steps use.
void doImportationAnimaux(RunState &state);

// ANIMAUX.TXT and its mandatory columns, as the step reads them (also for the check of a source folder).
const StepDefinition &AnimalStepDefinition();

// The animals step as the run, the check and the window know it.
const StepEntry &AnimalStepEntry();

} // namespace clinova
