#pragma once

namespace clinova {

struct RunState;
struct StepEntry;
struct StepDefinition;

// Imports CONSULTATIONS.TXT into CONSULT, one consultation per line, attached to its animal and that
// animal's owner. The animal is found, in this order of the settings, by keeping the source identifiers
// (cbGarder_ID_CLIENT/ANIMAL_du_logiciel_d_origine), among the animals already in the database (cbAjout),
// or through the animal correspondence lists (cbInjectionAutresConsult and the default), which catch-up
// mode (cbModeRatrapage) first reloads from the source folder. Each consultation's trace line goes to the
// help memo; its source key, the line number counted with the header as line 1, goes to
// fSourceIDConsultList beside its new CONSULT.ID in fDatabaseIDConsultList.
void doImportationConsultations(RunState &state);

// CONSULTATIONS.TXT and its mandatory columns, as the step reads them (also for the check of a source
// folder).
const StepDefinition &ConsultationStepDefinition();

// The consultations step as the run, the check and the window know it.
const StepEntry &ConsultationStepEntry();

} // namespace clinova
