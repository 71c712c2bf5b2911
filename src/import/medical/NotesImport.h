#pragma once

namespace clinova {

struct RunState;
struct StepEntry;
struct StepDefinition;

// Imports NOTES.TXT into NOTES_DOSSIER, one free note of an animal's medical file per line, attached to the
// animal through the animal correspondence lists of the run. Lines without a date or a text, and notes of
// animals this run did not import, are left aside without a log line. The text is stored as read.
void doImpprtationNotes(RunState &state);

// NOTES.TXT and its mandatory columns, as the step reads them (also for the check of a source folder).
const StepDefinition &NoteStepDefinition();

// The notes step as the run, the check and the window know it.
const StepEntry &NoteStepEntry();

} // namespace clinova
