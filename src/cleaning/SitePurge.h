#pragma once

#include "cleaning/CleaningFrame.h"

namespace clinova {

struct RunState;

// Deletes the accounting of one site, table by table on ID_SITE; the other sites keep theirs.
CleaningOutcome PurgeSiteAccounting(RunState &state, int site);

// "GO": the site typed in edIDSITECompta. A text that is not a site number is refused with a message.
CleaningOutcome XiButton5Click(RunState &state);
// "GO S1": site 1, whatever edIDSITECompta says.
CleaningOutcome XiButton6Click(RunState &state);

} // namespace clinova
