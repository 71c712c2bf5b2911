#pragma once

namespace clinova {

struct RunState;

// Writes the correspondence lists of the ticked kinds into the source folder, as __<list name>.txt.
// A file that cannot be written does not stop the others; each such file gets its own log line.
void SaveCorrespondenceLists(RunState &state);

} // namespace clinova
