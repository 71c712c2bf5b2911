#pragma once

#include "cleaning/CleaningFrame.h"

namespace clinova {

struct RunState;

// btnDelete calls EmptyTables(state, true): the clients, animals, medical records, accounting and agenda
// (unless cbSaufRendezVous), then the client and animal identifiers restart.
// XiButton2 calls EmptyTables(state, false): the accounting of every site (nothing when cbSaufCompta),
// then the accounting numbers and identifiers restart.
CleaningOutcome EmptyTables(RunState &state, bool allTables);

} // namespace clinova
