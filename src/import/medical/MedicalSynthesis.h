#pragma once

#include "app/RunOutcome.h"

namespace clinova {

struct RunState;
struct StepEntry;

// Rewrites ANIMAUX.SYNTHESE_DOSSIER of every animal of fDatabaseIDAnimalList from its consultations, most
// recent first. Runs in every import run; an animal that fails is logged with its source identifier.
void doBuildSyntheseDossiersMedicaux(RunState &state);

// "Générer le champ SYNTHESE pour toutes les consultations": on its own connection, fills CONSULT.SYNTHESE
// of every consultation of the database with the text of its document. Refused unless the operator
// confirms that the product is closed; a connection failure is shown and gives Failed; an error inside
// the loop ends it with a log line and gives CompletedWithFailures.
RunOutcome Button1Click(RunState &state);

// The medical summaries step: it reads no file.
const StepEntry &MedicalSynthesisStepEntry();

} // namespace clinova
