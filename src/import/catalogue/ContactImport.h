#pragma once

namespace clinova {

struct RunState;
struct StepEntry;
struct StepDefinition;

// Loads the address book of CONTACTS.TXT into CONTACT, files each contact under its category (CONTACT_CAT,
// "Vétos référents" when it has none, created on first use) through CONTACT_OF_CAT, and fills the contacts
// correspondence the client import reads to find who referred each client. The correspondence is emptied
// at every run, even when the file is not imported. Deletes no contact: a second import doubles them.
void doImportationContacts(RunState &state);

// CONTACTS.TXT and its mandatory columns, as the step reads them (also for the check of a source folder).
const StepDefinition &ContactStepDefinition();

// The contacts step as the run, the check and the window know it.
const StepEntry &ContactStepEntry();

} // namespace clinova
