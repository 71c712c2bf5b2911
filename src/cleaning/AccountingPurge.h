#pragma once

#include "cleaning/CleaningFrame.h"

namespace clinova {

struct RunState;

// XiButton4: deletes the invoices and receipts dated before DateTimePicker, except those a payment
// allocation ties to something dated on or after that day, then the links left without either side.
// lbEtape receives the stage texts of the window's label ("suppressions en cours", "opération terminée").
CleaningOutcome XiButton4Click(RunState &state, const EtapeLabel &lbEtape = {});

} // namespace clinova
