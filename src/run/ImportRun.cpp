#include "run/ImportRun.h"

#include "app/CorrespondenceFiles.h"
#include "app/DatabaseActions.h"
#include "app/ImportJournal.h"
#include "app/RunState.h"
#include "app/RunSummary.h"
#include "run/SourceFolder.h"
#include "database/DatabaseSetup.h"
#include "database/TargetDatabase.h"
#include "import/ImportSteps.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <algorithm>
#include <memory>
#include <optional>

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

// A step the interrupted run finished: its files are counted as already imported, nothing is read.
void SkipFinishedStep(RunState &state, const StepEntry &step) {
    state.op.AddToLog(FromUtf8("étape déjà faite par l'importation interrompue : ") + step.name);
    for (const StepFile &file : step.files) {
        const std::string &name = file.definition().fileName;
        const int done = state.journal->LinesDoneBefore(name);
        if (done == 0)
            continue;
        // Its failed and left-aside lines stay so in the run (its rejects and IGNOREES_ files were written when
        // it ended).
        StepSummary summary;
        summary.fileName = name;
        summary.failed = state.journal->NotedBefore(name, NotedKind::Failed);
        summary.skipped = state.journal->NotedBefore(name, NotedKind::Skipped);
        summary.read = summary.failed + summary.skipped;
        summary.alreadyDone = done - summary.read;
        summary.ran = true;
        state.summaries.push_back(summary);
    }
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
            if (state.journal && state.journal->StepDoneBefore(step.name) && !state.StopRequested) {
                SkipFinishedStep(state, step);
            } else {
                step.work(state);
                if (state.journal && !state.StopRequested) {
                    state.db.CommitPendingRows();
                    state.journal->StepDone(step.name);
                }
            }
            op.AddToLog(std::string("FIN import ") + step.name);
        }
    } catch (...) {
        SaveCorrespondenceLists(state);
        throw;
    }
    SaveCorrespondenceLists(state);
    if (state.journal && !state.StopRequested)
        state.journal->Finish();
}

// The source files the run reads, as the journal fingerprints them.
std::vector<std::string> TickedFileNames(const RunState &state) {
    std::vector<std::string> names;
    for (const StepEntry *step : ImportSteps())
        for (const StepFile &file : step->files)
            if ((state.options.*(file.Box())).Ticked())
                names.push_back(file.definition().fileName);
    return names;
}

// Why --resume cannot run here (the journal missing, finished, or for other files or settings); empty when it
// can, with the journal read into contents.
std::string ReadJournalToResume(const RunState &state, std::optional<JournalContents> &contents) {
    const std::string path = state.SourcePath(JournalFileName());
    try {
        contents = ReadJournal(path);
    } catch (const Error &e) {
        return FromUtf8("Reprise impossible : ") + e.what();
    }
    if (!contents)
        return FromUtf8("Reprise impossible : aucun journal d'importation (") + JournalFileName() +
               FromUtf8(") dans le dossier ") + state.PathSources;
    return ResumeRefusal(*contents, state);
}

// The journal of the run: continued for a resume (a failure ends the run), new otherwise (a failure is logged
// and the run goes on without one).
std::unique_ptr<ImportJournal> OpenJournal(RunState &state, const std::optional<JournalContents> &resumed) {
    if (resumed)
        return ImportJournal::Resume(state, *resumed);
    try {
        const auto earlier = ReadJournal(state.SourcePath(JournalFileName()));
        if (earlier && !earlier->finished)
            state.op.AddToLog(JournalFileName() + FromUtf8("/le journal d'une importation interrompue de ce dossier, "
                                                           "qui n'a pas été reprise, est remplacé"));
    } catch (const Error &) {
        // What stands there is not a journal; the new one takes its place.
    }
    try {
        return ImportJournal::Start(state, TickedFileNames(state));
    } catch (const std::exception &e) {
        state.op.AddToLog(JournalFileName() + FromUtf8("/création impossible, cette importation ne pourra pas "
                                                       "être reprise : ") + e.what());
        return nullptr;
    }
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
    std::optional<JournalContents> resumed;
    if (state.options.cbReprise) {
        if (const std::string refusal = ReadJournalToResume(state, resumed); !refusal.empty()) {
            op.AddToLog(refusal);
            op.ShowInfoMessage(refusal);
            return RunOutcome::Refused;
        }
    }
    if (op.AskConfirmation(FromUtf8("Avez-vous fermé Clinova ?"), 2, mbOui, mbNon) != mbOui)
        return RunOutcome::Refused;
    if (const auto backup = BackupBeforeAction(state); backup != BackupOutcome::Ready)
        return backup == BackupOutcome::Interrupted ? RunOutcome::Interrupted : RunOutcome::Failed;

    RunOutcome outcome = RunOutcome::Refused;
    // The journal outlives the connection: its last commit, also on an error, is recorded.
    std::unique_ptr<ImportJournal> journal;
    struct Detach {
        RunState &state;
        ~Detach() { state.journal = nullptr; }
    } detach{state};
    try {
        OpenTargetDatabase(state);
        const bool ready = ReadyForTheSteps(state);
        if (ready) {
            journal = OpenJournal(state, resumed);
            state.journal = journal.get();
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
