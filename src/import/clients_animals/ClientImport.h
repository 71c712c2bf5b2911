#pragma once

namespace clinova {

struct RunState;

// The import of CLIENTS.TXT into CLIENTS, which fills the client correspondence lists every later step
// uses; or, with "pas touche aux clients", the reload of the lists of an earlier import.
void doImportationClients(RunState &state);

} // namespace clinova
