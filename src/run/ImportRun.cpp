#include "run/ImportRun.h"

#include "app/CorrespondenceFiles.h"
#include "app/DatabaseActions.h"
#include "app/RunState.h"
#include "app/RunSummary.h"
#include "run/SourceFolder.h"
#include "database/DatabaseSetup.h"
#include "database/TargetDatabase.h"
#include "import/ImportSteps.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <algorithm>

namespace clinova {

std::vector<std::string> RunSummaryLines(const RunState &state) {
    return ImportSummaryLines(state.summaries, state.writtenFiles, state.PathSources);
}

namespace {

// The per-run state, emptied before the question: a refused run still leaves an empty log and empty lists.
void ResetRunState(RunState &state) {
    state.op.ClearLog();
    state.DatabaseBuild = 0;
    state.IDDefaultUser = -1;
    state.LoginDefaultUser.clear();
    state.lists.Clear();
    state.summaries.clear();
    state.writtenFiles.clear();
    state.failuresOutsideFiles = 0;
}

// The build read and checked, the default user resolved: false (the reason shown) when the steps must not run.
bool ReadyForTheSteps(RunState &state) {
    Operator &op = state.op;
    state.DatabaseBuild = ReadDatabaseBuild(state.db);
    state.AnimalInsertWithIdealWeight = state.DatabaseBuild >= 85;
    if (!IsSupportedBuild(state.DatabaseBuild)) {
        op.ShowInfoMessage(
            FromUtf8(fmt::format("Version de la base de données incorrecte : base {}", state.DatabaseBuild)));
        return false;
    }
    ResolveDefaultUser(state);
    if (state.IDDefaultUser == -1) {
        op.ShowInfoMessage(
            FromUtf8("Aucun vétérinaire n'existe#dans la base de données.#Il faut créer cet utilisateur"));
        return false;
    }
    return true;
}

// Every step of the table in its order, each between its DEBUT and FIN lines; the lists are saved however the
// steps end.
void RunTheSteps(RunState &state) {
    Operator &op = state.op;
    state.StopRequested = false;
    try {
        const auto &steps = ImportSteps();
        const std::uintmax_t runBytes = TickedFilesSize(state);
        for (std::size_t k = 0; k < steps.size(); ++k) {
            const StepEntry &step = *steps[k];
            op.AddToLog(std::string("DEBUT import ") + step.name);
            op.StepProgress(StepProgressReport::Step(static_cast<int>(k + 1), static_cast<int>(steps.size()),
                                                     step.name, runBytes));
            step.work(state);
            op.AddToLog(std::string("FIN import ") + step.name);
        }
    } catch (...) {
        SaveCorrespondenceLists(state);
        throw;
    }
    SaveCorrespondenceLists(state);
}

// How the steps ended, once they all ran.
RunOutcome OutcomeOfTheSteps(const RunState &state) {
    if (state.StopRequested)
        return RunOutcome::Interrupted;
    // A file left aside as a whole failed as a whole.
    const bool incomplete = state.failuresOutsideFiles > 0 ||
                            std::any_of(state.summaries.begin(), state.summaries.end(),
                                        [](const StepSummary &summary) { return summary.Incomplete(); });
    return incomplete ? RunOutcome::CompletedWithFailures : RunOutcome::Completed;
}

} // namespace

RunOutcome btnImportationClick(RunState &state) {
    Operator &op = state.op;
    ResetRunState(state);
    if (op.AskConfirmation(FromUtf8("Avez-vous fermé Clinova ?"), 2, mbOui, mbNon) != mbOui)
        return RunOutcome::Refused;
    if (const auto backup = BackupBeforeAction(state); backup != BackupOutcome::Ready)
        return backup == BackupOutcome::Interrupted ? RunOutcome::Interrupted : RunOutcome::Failed;

    RunOutcome outcome = RunOutcome::Refused;
    try {
        OpenTargetDatabase(state);
        const bool ready = ReadyForTheSteps(state);
        if (ready) {
            RunTheSteps(state);
            for (const auto &line : RunSummaryLines(state))
                op.AddToLog(line);
            op.ProcessPendingMessages();
            op.ShowInfoMessage(FromUtf8("##Fin de l'opération d'importation"));
            outcome = OutcomeOfTheSteps(state);
        }
        // Only a refused build goes straight to the disconnection, without the commit.
        if (ready || IsSupportedBuild(state.DatabaseBuild)) {
            state.db.CommitRetaining();
            op.ProcessPendingMessages();
        }
        state.db.Close();
        op.ProcessPendingMessages();
    } catch (const std::exception &e) {
        EndActionOnError(state, e);
        return RunOutcome::Failed;
    }
    return outcome;
}

} // namespace clinova
