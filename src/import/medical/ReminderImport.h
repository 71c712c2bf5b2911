#pragma once

namespace clinova {

struct RunState;
struct StepEntry;
struct StepDefinition;

// Imports RELANCES.TXT into RELANCES, one reminder per line, attached to its animal and client in the form
// EventTargets describes and to the event of this run named by its ID_EVENEMENT, whose ID_RELANCE then
// points back at it (the last reminder of an event wins). Each reminder is recorded under its
// ID_EVENEMENT in fSourceIDRelanceList and fDatabaseIDRelanceList, and its category and label become an
// event model. With cbRelancesQueDesNewAnimaux only the animals this run inserted get reminders.
void doImportationRelances(RunState &state);

// RELANCES.TXT and its mandatory columns, as the step reads them (also for the check of a source folder).
const StepDefinition &ReminderStepDefinition();

// The reminders step as the run, the check and the window know it.
const StepEntry &ReminderStepEntry();

} // namespace clinova
