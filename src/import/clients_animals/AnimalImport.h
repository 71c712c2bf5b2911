#pragma once

namespace clinova {

struct RunState;

// The import of ANIMAUX.TXT into ANIMAUX, each animal attached to the target client of its source client,
// with its first weight and its passport; fills the animal correspondence lists the later steps use.
void doImportationAnimaux(RunState &state);

} // namespace clinova
