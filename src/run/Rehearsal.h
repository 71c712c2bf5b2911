#pragma once
// The rehearsal of an import: the practice's database is backed up and restored into a throwaway copy beside it
// (through a server, on the server's side), the whole import runs into the copy with the same settings, its
// files go into the folder REPETITION inside the source folder (its own lists, rejects, journal and report),
// and the copy is dropped. The practice's database is only read, by the backup.

#include "app/RunOutcome.h"

#include <string>

namespace clinova {

struct RunState;

// "REPETITION", the folder of the rehearsal's files inside the source folder.
const char *RehearsalFolderName();

// The backup and the copy of a rehearsal of that database at that moment, beside it:
// BASE.CN2 gives BASE_REPETITION_20240305_090703.fbk and .fdb.
struct RehearsalFiles {
    std::string backup;
    std::string copy;
};
RehearsalFiles RehearsalFilesOf(const std::string &databasePath);

// The rehearsal behind "Répétition (base jetable)" and the command line's --rehearse. The outcome is the
// import's into the copy; Refused or Failed when the copy could not be made (the reason shown).
RunOutcome RehearseImport(RunState &state);

} // namespace clinova
