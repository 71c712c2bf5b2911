#include "run/ImportRun.h"

#include "app/CorrespondenceFiles.h"
#include "app/CorrespondenceTable.h"
#include "app/DatabaseActions.h"
#include "app/ImportJournal.h"
#include "app/ImportStep.h"
#include "app/RunState.h"
#include "app/RunSummary.h"
#include "run/MigrationReport.h"
#include "run/SourceFolder.h"
#include "database/DatabaseSetup.h"
#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "import/ImportSteps.h"
#include "normalized/Errors.h"
#include "normalized/FolderLock.h"
#include "normalized/OutputFile.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>

namespace clinova {

std::vector<std::string> RunSummaryLines(const RunState &state) {
    return ImportSummaryLines(state.summaries, state.writtenFiles, state.PathSources);
}

namespace {

// The per-run state, emptied before the question: a refused run still leaves an empty log and empty lists.
void ResetRunState(RunState &state) {
    // A rehearsal's log begins with its backup and its restore.
    if (!state.rehearsal)
        state.op.ClearLog();
    state.DatabaseBuild = 0;
    state.IDDefaultUser = -1;
    state.LoginDefaultUser.clear();
    ClearRunLists(state);
    state.summaries.clear();
    state.writtenFiles.clear();
    state.backupWritten.clear();
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
    state.op.AddToLog(FromUtf8("étape déjà faite par l'importation interrompue : ") + FromUtf8(step.label));
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
        // The log says again what became of its failed lines and those imported with warnings.
        for (const auto &[number, line] : state.journal->NotedLinesBefore(name)) {
            if (line.kind == NotedKind::Failed) {
                summary.reasons.Note(ReasonKind::Failed, number, line.text);
                state.op.AddToLog(LineFailureLog(file.definition(), number, line.text));
            } else if (line.kind == NotedKind::Warned) {
                ++summary.warnings;
                summary.reasons.Note(ReasonKind::Warned, number, line.text);
                state.op.AddToLog(LineFailureLog(file.definition(), number, FromUtf8("avertissement : ") + line.text));
            } else {
                summary.reasons.Note(ReasonKind::Skipped, number, line.text);
            }
        }
        state.summaries.push_back(summary);
    }
}

// Every step of the table in its order, each between its DEBUT and FIN lines; the lists are saved however the
// steps end. stepsEnded counts the steps that went to their end, in order.
void RunTheSteps(RunState &state, std::size_t &stepsEnded) {
    Operator &op = state.op;
    state.StopRequested = false;
    stepsEnded = 0;
    // The progress of the run ends with it, however it ends.
    struct RunEnded {
        Operator &op;
        ~RunEnded() { op.StepProgress(StepProgressReport::RunEnded()); }
    } ended{op};
    try {
        const auto &steps = ImportSteps();
        const std::uintmax_t runBytes = TickedFilesSize(state);
        for (std::size_t k = 0; k < steps.size(); ++k) {
            const StepEntry &step = *steps[k];
            op.AddToLog(std::string("DEBUT import ") + step.name);
            const std::string label = FromUtf8(step.label);
            op.StepProgress(
                StepProgressReport::Step(static_cast<int>(k + 1), static_cast<int>(steps.size()), label, runBytes));
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
            if (!state.StopRequested)
                stepsEnded = k + 1;
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
// The report of the run, written where the run writes its files and listed among them before the summary is
// logged; tables: the rows counted before the steps, completed here with those after when the database still
// answers.
struct RunReport {
    ReportFacts facts;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();

    explicit RunReport(const RunState &state) {
        facts.kind = state.rehearsal ? ReportFacts::Kind::Rehearsal : ReportFacts::Kind::Import;
        facts.started = Now();
        facts.folder = state.PathSources;
        facts.outputFolder = state.OutputPath("");
        facts.database = state.rehearsal ? state.rehearsal->database : TargetDatabaseText(state.options);
        facts.settings = ChangedSettings(state.options);
        facts.resumed = state.options.cbReprise;
        if (state.rehearsal) {
            facts.rehearsalCopy = state.rehearsal->copy;
            facts.rehearsalBackup = state.rehearsal->backup;
        }
    }
    void CountBefore(RunState &state) { facts.tables = CountTableRows(state.db); }
    void List(RunState &state) {
        auto &written = state.writtenFiles;
        const auto listed = [&](const std::string &path) {
            return std::find(written.begin(), written.end(), path) != written.end();
        };
        // The journal, which a resume reads and which stays as the record of the import.
        const std::string journal = facts.outputFolder + JournalFileName();
        if (state.journal && !listed(journal) && KindOfEntry(journal) == EntryKind::RegularFile)
            written.push_back(journal);
        if (!listed(facts.outputFolder + ReportFileName()))
            written.push_back(facts.outputFolder + ReportFileName());
    }
    void Write(RunState &state, RunOutcome outcome) {
        List(state);
        facts.outcome = outcome;
        facts.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        facts.build = state.DatabaseBuild;
        facts.backup = state.backupWritten;
        facts.summaries = state.summaries;
        facts.writtenFiles = state.writtenFiles;
        if (state.db.IsOpen()) {
            try {
                SetRowsAfter(facts.tables, CountTableRows(state.db));
            } catch (const std::exception &) {
                // A database that no longer answers leaves the counts after the run unknown ("?").
            }
        }
        std::string error;
        if (WriteMigrationReport(facts, error).empty()) {
            state.op.AddToLog(FromUtf8("Rapport non écrit : ") + error);
            auto &written = state.writtenFiles;
            written.erase(std::remove(written.begin(), written.end(), facts.outputFolder + ReportFileName()),
                          written.end());
        }
    }
};

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

// The folder's journal as a new run finds it; nullopt when there is none, or what stands there is not one (the
// new run's journal replaces it).
std::optional<JournalContents> EarlierJournal(const RunState &state) {
    try {
        return ReadJournal(state.SourcePath(JournalFileName()));
    } catch (const Error &) {
        return std::nullopt;
    }
}

// The run that holds the folder, as its journal names it.
std::string HolderOfTheFolder(const RunState &state) {
    const auto journal = EarlierJournal(state);
    if (!journal || journal->finished)
        return FromUtf8("Une autre importation utilise déjà le dossier ") + state.PathSources +
               FromUtf8(" : attendez qu'elle se termine.");
    return FromUtf8("Une autre importation utilise déjà le dossier ") + state.PathSources +
           FromUtf8(" (commencée le ") + journal->started + FromUtf8(", processus ") + journal->process +
           FromUtf8(") : attendez qu'elle se termine.");
}

// A run's mark on the database, seen by every other run of the tool: the row of the build, locked and never
// changed.
constexpr const char *kDatabaseMark =
    "EXECUTE BLOCK AS DECLARE I INTEGER; BEGIN SELECT ID FROM VERSION WHERE ID = 0 WITH LOCK INTO :I; END";

// The other runs of the tool attached to the database, as the server shows them.
std::string OtherRunsOnTheDatabase(RunState &state) {
    std::string runs;
    try {
        Statement query(state.db,
                        "select trim(MON$REMOTE_PROCESS) as PROCESS, MON$REMOTE_PID as PID, "
                        "trim(MON$REMOTE_ADDRESS) as ADDRESS, cast(MON$TIMESTAMP as varchar(32)) as SINCE "
                        "from MON$ATTACHMENTS where MON$ATTACHMENT_ID <> CURRENT_CONNECTION "
                        "and MON$SYSTEM_FLAG = 0 order by MON$TIMESTAMP");
        for (bool row = query.Open(); row; row = query.Next()) {
            std::string process = query.GetText("PROCESS");
            const auto slash = process.find_last_of("/\\");
            if (slash != std::string::npos)
                process = process.substr(slash + 1);
            if (process.find("linova") == std::string::npos)
                continue;
            runs += (runs.empty() ? "" : ", ") + process + FromUtf8(", processus ") + query.GetText("PID");
            if (!query.GetText("ADDRESS").empty())
                runs += FromUtf8(" sur ") + query.GetText("ADDRESS");
            runs += FromUtf8(", connecté le ") + query.GetText("SINCE").substr(0, 19);
        }
        query.Close();
    } catch (const Error &) {
        // Who holds the mark is only a help to the operator.
    }
    return runs;
}

// One run at a time writes into a database: false (the reason shown) when another holds it.
bool MarkTheDatabase(RunState &state) {
    // Long enough for a server to end the connection of a run that died, short beside a run.
    constexpr int kWaitSeconds = 10;
    if (state.db.HoldMark(kDatabaseMark, kWaitSeconds))
        return true;
    const std::string others = OtherRunsOnTheDatabase(state);
    const std::string text = FromUtf8("Une autre importation écrit déjà dans la base de données ") +
                             TargetDatabaseText(state.options) + (others.empty() ? "" : " (" + others + ")") +
                             FromUtf8(" : attendez qu'elle se termine, rien n'a été importé.");
    state.op.AddToLog(text);
    state.op.ShowInfoMessage(text);
    return false;
}

// What to run instead of importing files again, as the command line says it.
std::string DuplicateChecksText() {
    return FromUtf8("les contrôles de doublons (--set cbDedoublonageClients=1 --set cbDedoublonageAnimaux=1 "
                    "--set cbDedoublonageConsult=1)");
}

// A plain run over the journal of an interrupted import: it would copy again what that import wrote. Refused,
// asked, or let through as the policy says; the operator may choose to finish the interrupted import instead
// (state.options.cbReprise is then set). False when the run must not go on.
bool InterruptedRunHeeded(RunState &state, const JournalContents &journal) {
    Operator &op = state.op;
    const std::string when = FromUtf8("L'importation de ce dossier commencée le ") + journal.started +
                             FromUtf8(" a été interrompue avant sa fin");
    switch (state.repeat) {
    case RepeatPolicy::Allow:
        op.AddToLog(JournalFileName() + FromUtf8("/") + when + FromUtf8(" ; --again : elle n'est pas reprise, ce "
                                                                        "qu'elle a écrit reste et tout est importé "
                                                                        "à nouveau"));
        return true;
    case RepeatPolicy::Ask:
        if (op.AskConfirmation(when + FromUtf8(".##Reprendre l'importation interrompue ?"), 2, mbOui, mbNon) != mbOui)
            return false;
        state.options.cbReprise = true;
        return true;
    case RepeatPolicy::Refuse:
        break;
    }
    const std::string text =
        when + FromUtf8(" : une nouvelle importation copierait une deuxième fois ce qu'elle a écrit. Pour la "
                        "terminer : la même commande avec --resume ; pour tout importer quand même : --again.");
    op.AddToLog(text);
    op.ShowInfoMessage(text);
    return false;
}

// The same files already imported into the same database: a second import copies every record again, unless the
// duplicate checks match them. Refused, asked or let through as the policy says. False when the run must not go
// on.
bool RepeatedImportHeeded(RunState &state, const JournalContents &journal) {
    Operator &op = state.op;
    const std::string when = FromUtf8("Les fichiers de ce dossier ont déjà été importés dans cette base de "
                                      "données, par l'importation du ") +
                             journal.started;
    switch (state.repeat) {
    case RepeatPolicy::Allow:
        op.AddToLog(JournalFileName() + "/" + when + FromUtf8(" ; --again : ils sont importés à nouveau"));
        return true;
    case RepeatPolicy::Ask:
        return op.AskConfirmation(when + FromUtf8(".#Une deuxième importation copie à nouveau chaque fiche, sauf "
                                                  "celles que les contrôles de doublons reconnaissent.##Importer "
                                                  "à nouveau ?"),
                                  2, mbOui, mbNon, true) == mbOui;
    case RepeatPolicy::Refuse:
        break;
    }
    const std::string text = when + FromUtf8(" : une deuxième importation copierait à nouveau chaque fiche. Pour "
                                             "importer quand même : --again, de préférence avec ") +
                             DuplicateChecksText() + ".";
    op.AddToLog(text);
    op.ShowInfoMessage(text);
    return false;
}

// "CLIENTS.TXT, ANIMAUX.TXT".
std::string Names(const std::vector<std::string> &names) {
    std::string text;
    for (const auto &name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// The files the steps of the run read, in their order.
std::vector<std::string> FilesOfSteps(const RunState &state, std::size_t from, std::size_t to) {
    std::vector<std::string> names;
    const auto &steps = ImportSteps();
    for (std::size_t k = from; k < to && k < steps.size(); ++k)
        for (const StepFile &file : steps[k]->files)
            if ((state.options.*(file.Box())).Ticked())
                names.push_back(file.definition().fileName);
    return names;
}

// A run that ended before its end: what arrived, what did not, and how to finish, as the log's last line (the
// command line then prints the command to run, the window asks whether to resume).
void TellHowToFinish(RunState &state, std::size_t stepsEnded) {
    const std::vector<std::string> done = FilesOfSteps(state, 0, stepsEnded);
    const std::vector<std::string> left = FilesOfSteps(state, stepsEnded, ImportSteps().size());
    std::string text = FromUtf8("Importation interrompue : ");
    text += done.empty() ? FromUtf8("aucun fichier importé en entier") : FromUtf8("importés en entier : ") + Names(done);
    if (!left.empty())
        text += FromUtf8(" ; pas ou pas entièrement importés : ") + Names(left);
    text += ". ";
    if (state.rehearsal)
        text += FromUtf8("Une répétition ne se reprend pas : sa copie de la base est supprimée.");
    else
        text += ResumableImportIn(state.PathSources) ? FromUtf8("Pour terminer sans rien copier deux fois : reprendre l'importation interrompue "
                                 "(--resume, ou la case \"Reprendre l'importation interrompue\").")
                      : FromUtf8("Cette importation ne peut pas être reprise (pas de journal).");
    state.op.AddToLog(text);
}

void TellNoFile(RunState &state) {
    const std::string text = NoTickedFileText(state.PathSources);
    state.op.AddToLog(text);
    state.op.ShowInfoMessage(text);
}

} // namespace

RunOutcome btnImportationClick(RunState &state) {
    Operator &op = state.op;
    ResetRunState(state);
    // One run at a time in a folder: its journal and its files are the run's.
    FolderLock folder;
    try {
        if (!folder.TryLock(state.PathSources)) {
            const std::string text = HolderOfTheFolder(state);
            op.AddToLog(text);
            op.ShowInfoMessage(text);
            return RunOutcome::Refused;
        }
    } catch (const Error &e) {
        op.ShowMessage(e.what());
        return RunOutcome::Failed;
    }
    std::optional<JournalContents> earlier;
    // A rehearsal's copy is new and its files are its own: it can double nothing.
    if (!state.options.cbReprise && !state.rehearsal) {
        earlier = EarlierJournal(state);
        if (earlier && !earlier->finished && !InterruptedRunHeeded(state, *earlier))
            return RunOutcome::Refused;
    }
    std::optional<JournalContents> resumed;
    if (state.options.cbReprise) {
        if (const std::string refusal = ReadJournalToResume(state, resumed); !refusal.empty()) {
            op.AddToLog(refusal);
            op.ShowInfoMessage(refusal);
            return RunOutcome::Refused;
        }
    }
    if (!state.rehearsal && op.AskConfirmation(FromUtf8("Avez-vous fermé Clinova ?"), 2, mbOui, mbNon) != mbOui)
        return RunOutcome::Refused;
    RunReport report(state);

    RunOutcome outcome = RunOutcome::Refused;
    // The journal outlives the connection: its last commit, also on an error, is recorded.
    std::unique_ptr<ImportJournal> journal;
    struct Detach {
        RunState &state;
        ~Detach() { state.journal = nullptr; }
    } detach{state};
    std::size_t stepsEnded = 0;
    bool stepsStarted = false;
    bool files = false; // the run reads some file: it writes its report
    try {
        OpenTargetDatabase(state);
        bool ready = ReadyForTheSteps(state);
        if (ready && !MarkTheDatabase(state))
            ready = false;
        if (ready && resumed) {
            if (const std::string refusal = DatabaseRefusal(*resumed, state.db); !refusal.empty()) {
                op.AddToLog(refusal);
                op.ShowInfoMessage(refusal);
                ready = false;
            }
        } else if (ready && earlier && earlier->finished && earlier->database == DatabaseIdentity(state.db) &&
                   earlier->fingerprints == Fingerprints(state.PathSources, TickedFileNames(state)) &&
                   !RepeatedImportHeeded(state, *earlier)) {
            ready = false;
        }
        if (ready) {
            // The backup comes once the run is sure to go on, before anything is written.
            if (const auto backup = BackupBeforeAction(state); backup != BackupOutcome::Ready) {
                state.db.Close();
                return backup == BackupOutcome::Interrupted ? RunOutcome::Interrupted : RunOutcome::Failed;
            }
            // What a killed run left half-written goes, now that the folder is this run's.
            if (const int leftovers = RemoveLeftoverTemporaries(state.OutputPath("")); leftovers > 0)
                op.AddToLog(FromUtf8("Fichiers temporaires laissés par une importation arrêtée, supprimés : ") +
                            std::to_string(leftovers));
            // A run that reads no file leaves the folder as it was.
            files = !TickedFileNames(state).empty();
            if (files || resumed) {
                journal = OpenJournal(state, resumed);
                state.journal = journal.get();
                report.CountBefore(state);
            }
            stepsStarted = true;
            RunTheSteps(state, stepsEnded);
            if (!files) {
                TellNoFile(state);
                outcome = RunOutcome::Refused;
            } else {
                report.List(state);
                for (const auto &line : RunSummaryLines(state))
                    op.AddToLog(line);
                op.ProcessPendingMessages();
                op.ShowInfoMessage(FromUtf8("##Fin de l'opération d'importation"));
                outcome = OutcomeOfTheSteps(state);
                if (outcome == RunOutcome::Interrupted)
                    TellHowToFinish(state, stepsEnded);
            }
        }
        // Only a refused build goes straight to the disconnection, without the commit.
        if (ready || IsSupportedBuild(state.DatabaseBuild)) {
            state.db.CommitRetaining();
            op.ProcessPendingMessages();
        }
        if (files)
            report.Write(state, outcome);
        state.db.Close();
        op.ProcessPendingMessages();
    } catch (const std::exception &e) {
        EndActionOnError(state, e);
        if (stepsStarted) {
            journal.reset();
            TellHowToFinish(state, stepsEnded);
        }
        const RunOutcome ended = dynamic_cast<const ProgramError *>(&e) ? RunOutcome::InternalError : RunOutcome::Failed;
        if (files)
            report.Write(state, ended);
        return ended;
    }
    return outcome;
}

} // namespace clinova
