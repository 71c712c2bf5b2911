#pragma once

namespace clinova {

struct RunState;
struct StepEntry;
struct StepDefinition;

// Carries the agenda of RENDEZ_VOUS.TXT over to RDV, one appointment per line, filed under the site
// (edIDSite) and assigned to the practitioner of the users correspondence. The client and the animal are
// found through the correspondence lists of the run (the animal's owner wins over ID_CLIENT), -1 when
// unknown; the names of the file are stored either way. Deletes nothing: a second import doubles the agenda.
void doImportationRendezVous(RunState &state);

// RENDEZ_VOUS.TXT and its mandatory columns, as the step reads them (also for the check of a source folder).
const StepDefinition &AppointmentStepDefinition();

// The hour and the minute of an appointment lie in 0..kLastHour and 0..kLastMinute; others fail the line.
inline constexpr int kLastHour = 23;
inline constexpr int kLastMinute = 59;

// The appointments step as the run, the check and the window know it.
const StepEntry &AppointmentStepEntry();

} // namespace clinova
