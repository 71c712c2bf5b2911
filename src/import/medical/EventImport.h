#pragma once

namespace clinova {

struct RunState;
struct StepEntry;
struct StepDefinition;

// Imports EVENEMENTS.TXT into EVENTS, one event per line (vaccinations, dewormings, check-ups), attached to
// its animal and client in the form EventTargets describes. Each event is recorded in fSourceIDEventList
// and fDatabaseIDEventList for the reminders step, and its category and label become an event model
// unless cbNePasConserverModelesEvent is ticked. With cbInjectionAutresEvent only the animals this run
// inserted get events. The step writes no interruption line.
void doImportationEvenements(RunState &state);

// EVENEMENTS.TXT and its mandatory columns, as the step reads them (also for the check of a source folder).
const StepDefinition &EventStepDefinition();

// The events step as the run, the check and the window know it.
const StepEntry &EventStepEntry();

} // namespace clinova
