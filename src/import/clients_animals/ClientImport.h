#pragma once

namespace clinova {

struct RunState;
struct StepEntry;
struct StepDefinition;

// The import of CLIENTS.TXT into CLIENTS, which fills the client correspondence lists every later step
// uses; or, with "pas touche aux clients", the reload of the lists of an earlier import.
void doImportationClients(RunState &state);

// CLIENTS.TXT and its mandatory columns, as the step reads them (also for the check of a source folder).
const StepDefinition &ClientStepDefinition();

// The clients step as the run, the check and the window know it.
const StepEntry &ClientStepEntry();

} // namespace clinova
