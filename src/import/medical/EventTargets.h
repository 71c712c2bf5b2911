#pragma once

#include "app/ImportStep.h"
#include "database/Statement.h"
#include "normalized/DateTime.h"

#include <optional>
#include <string>
#include <string_view>

namespace clinova {

struct RunState;
struct CorrespondenceLists;

// The target animal and client of an event or reminder line.
struct EventTarget {
    int animal = -1;
    int client = -1;
};

// Runs the events or the reminders step when its file is ticked, in the form the settings choose: the
// catch-up form first replaces the client and animal lists of the run by those of the earlier import, read
// from its correspondence files in the folder typed in edPathIDPrecedentImport (taken as typed, so it ends
// with its separator), also when the file then lacks a column. The lists stay for the later steps. A
// missing correspondence file throws FileError, which ends the run.
void RunEventStep(RunState &state, const StepDefinition &definition, const LineWork &work);

// The target animal at a position of the animal lists. A correspondence file with an unreadable line gives
// -1 there: that fails the line rather than attach a row to no animal.
int TargetAnimal(const CorrespondenceLists &lists, int index, std::string_view sourceAnimal);

// The day of a date field; nothing when the field is empty. A field that is not a date throws.
std::optional<Date> OptionalDateDMY(std::string_view field);

// Why "Sauf les consultations/relances/events avant le" (cbSaufDataAvantLe) leaves aside a line of this date
// field: undated, or dated before dateSaufDataAvantLe (French, Windows-1252).
std::string DateLimitReason(const ImportOptions &options, std::string_view dateField);

// How the events and reminders steps place a line. The normal form attaches it to the client and animal
// this run imported; the catch-up form (cbModeRatrapage) takes the animal from the lists of the earlier
// import and its owner from the database as it is now.
class EventTargets {
public:
    explicit EventTargets(RunState &state);

    // Normal form with cbSaufDataAvantLe: only lines dated on or after dateSaufDataAvantLe pass (an undated
    // line does not). The catch-up form has no date filter.
    bool PassesDateFilter(std::string_view dateField) const;

    // Normal form: the line's client, and its animal when the animal belongs to that client. Catch-up form:
    // the animal and its current owner; ID_CLIENT is not read. Nothing when the line has no place, and then
    // skipped says why.
    std::optional<EventTarget> Find(const StepLine &line, std::string &skipped);

    // The animal was inserted by this run's animal step (not merged into an animal already there).
    bool IsNewAnimal(std::string_view sourceAnimal) const;

private:
    int CurrentOwner(int animal);

    RunState &state_;
    bool catchUp_;
    Statement QueryFind;
};

} // namespace clinova
