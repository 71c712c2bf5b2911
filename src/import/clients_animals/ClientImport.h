#pragma once

namespace clinova {

struct RunState;
struct StepDefinition;

// The import of CLIENTS.TXT into CLIENTS, which fills the client correspondence lists every later step
// uses; or, with "pas touche aux clients", the reload of the lists of an earlier import.
void doImportationClients(RunState &state);

// CLIENTS.TXT and its mandatory columns, as the step reads them (also for the check of a source folder).
const StepDefinition &ClientStepDefinition();

} // namespace clinova
