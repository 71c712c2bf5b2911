#include "cleaning/CleaningFrame.h"

#include "app/DatabaseActions.h"
#include "app/RunState.h"
#include "normalized/Win1252.h"

namespace clinova {

namespace {

bool Confirmed(Operator &op, std::string_view question, bool nonByDefault = false) {
    return op.AskConfirmation(question, 2, mbOui, mbNon, nonByDefault) == mbOui;
}

} // namespace

CleaningOutcome RunCleaningAction(RunState &state, const CleaningAction &action) {
    Operator &op = state.op;
    // One mis-click must not wipe a practice: the product must be closed, and the operator must agree to
    // what the action deletes.
    if (!Confirmed(op, FromUtf8("Avez-vous fermé Clinova ?")))
        return CleaningOutcome::Refused;
    // The second question names the database, and Enter answers it "Non": a second hurried Enter must not
    // empty the wrong practice.
    if (!action.warning.empty() &&
        !Confirmed(op, FromUtf8("Base de données : ") + TargetDatabaseText(state.options) + "#" + action.warning, true))
        return CleaningOutcome::Refused;
    // An action without a warning deletes nothing: there is nothing to keep a copy of.
    if (const auto backup = action.warning.empty() ? BackupOutcome::Ready : BackupBeforeAction(state);
        backup != BackupOutcome::Ready)
        return backup == BackupOutcome::Interrupted ? CleaningOutcome::Interrupted : CleaningOutcome::Failed;

    if (action.started)
        action.started();
    op.ShowWait();
    op.SetWaitMessage(action.waitMessage);
    try {
        OpenTargetDatabase(state);
    } catch (const std::exception &e) {
        CloseTargetDatabase(state);
        op.ProcessPendingMessages();
        op.HideWait();
        op.ShowMessage(e.what());
        return CleaningOutcome::Failed;
    }

    bool failed = false;
    try {
        action.work(state);
    } catch (const std::exception &e) {
        op.AddToLog(std::string("SUPPRESSION/") + e.what());
        failed = true;
    }

    CloseTargetDatabase(state);
    op.ProcessPendingMessages();
    op.HideWait();
    const bool interrupted = op.Interrupted();
    if (interrupted)
        op.AddToLog(FromUtf8("SUPPRESSION/interruption de la procédure"));
    else if (!action.finalMessage.empty())
        op.ShowMessage(action.finalMessage);
    if (failed)
        return CleaningOutcome::Failed;
    return interrupted ? CleaningOutcome::Interrupted : CleaningOutcome::Done;
}

void RunTableStatement(RunState &state, std::string_view table, const std::string &sql) {
    state.op.SetWaitMessage("Vide la table " + std::string(table) + "...");
    state.db.ExecuteImmediate(sql);
    state.db.CommitRetaining();
    KeepWindowAlive(state);
}

void KeepWindowAlive(RunState &state) {
    for (int i = 0; i < 3; ++i)
        state.op.ProcessPendingMessages();
}

} // namespace clinova
