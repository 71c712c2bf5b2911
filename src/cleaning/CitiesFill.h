#pragma once

#include "cleaning/CleaningFrame.h"

namespace clinova {

struct RunState;

// XiButton1: replaces the towns table with the towns and postcodes of the clients already in the database,
// upper-cased, each pair once. Asks whether the product is closed, opens and closes its own connection,
// and refuses an unsupported database build before anything is deleted. A failure is shown in the plain
// message box; the rows written before it stay.
CleaningOutcome XiButton1Click(RunState &state);

} // namespace clinova
