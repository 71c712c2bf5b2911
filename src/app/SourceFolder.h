#pragma once

#include <string>

namespace clinova {

struct RunState;

// Makes the folder the source folder and offers exactly the normalized files it holds: their check boxes
// become enabled and ticked, the others disabled and unticked.
void ScanSourceFolder(RunState &state, const std::string &folder);

} // namespace clinova
