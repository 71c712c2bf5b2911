#pragma once

#include <cstdint>
#include <string>

namespace clinova {

struct RunState;

// Makes the folder the source folder and offers exactly the normalized files it holds: their check boxes
// become enabled and ticked, the others disabled and unticked.
void ScanSourceFolder(RunState &state, const std::string &folder);

// "Aucun des fichiers cochés n'est dans DIR", with the names of the files looked for: what a run or a check of a
// folder holding none of the ticked files says.
std::string NoTickedFileText(const std::string &folder);

// The size in bytes of the ticked files of the source folder together: what a run will read.
std::uintmax_t TickedFilesSize(const RunState &state);

} // namespace clinova
