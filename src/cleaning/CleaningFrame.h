#pragma once
// The frame every cleaning action runs in, written once: the questions, the wait window, the connection,
// one error guard around the action's work, the disconnection and the interruption line.

#include <functional>
#include <string>
#include <string_view>

namespace clinova {

struct RunState;

// How a cleaning action ended, for the front ends (the command line turns it into its exit status).
enum class CleaningOutcome {
    Done,        // the work ran to its end
    Refused,     // "Non" to a question, or a setting that does not fit: nothing was touched
    Failed,      // the connection failed, or an error ended the work (its "SUPPRESSION/" line is logged)
    Interrupted, // the operator pressed "interrompre"
};

// The label of the window that shows the stage of the purge up to a date. Texts are Windows-1252.
using EtapeLabel = std::function<void(const std::string &text)>;

struct CleaningAction {
    // The second question, saying what will be deleted; none when empty (the action deletes nothing).
    std::string warning;
    // The wait window's first text.
    std::string waitMessage;
    // Run once both questions are answered "Oui", before the wait window shows.
    std::function<void()> started;
    // The deletions; every statement is committed as it runs, so an error keeps what was done before it.
    std::function<void(RunState &)> work;
    // Shown in a plain message box once the connection is closed, unless the operator interrupted.
    std::string finalMessage;
};

CleaningOutcome RunCleaningAction(RunState &state, const CleaningAction &action);

// The per-table step of the actions that empty or purge table by table: the wait message, the statement,
// its commit, and the window kept alive.
void RunTableStatement(RunState &state, std::string_view table, const std::string &sql);

// Lets the window handle what waits, three times over, after each table or batch.
void KeepWindowAlive(RunState &state);

} // namespace clinova
