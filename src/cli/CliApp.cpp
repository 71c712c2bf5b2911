#include "cli/CliApp.h"

#include "app/DatabaseActions.h"
#include "app/ImportJournal.h"
#include "run/ImportRun.h"
#include "run/Rehearsal.h"
#include "run/PreflightCheck.h"
#include "app/RunState.h"
#include "run/SourceFolder.h"
#include "cleaning/AccountingPurge.h"
#include "cleaning/EmptyTables.h"
#include "cleaning/SitePurge.h"
#include "cli/ConsoleOperator.h"
#include "cli/Platform.h"
#include "cli/ServerWatch.h"
#include "database/DatabaseSetup.h"
#include "cleaning/CitiesFill.h"
#include "import/ImportSteps.h"
#include "import/catalogue/SampleCatalogue.h"
#include "import/medical/MedicalSynthesis.h"
#include "normalized/Conversions.h"
#include "normalized/NormalizedFile.h"
#include "normalized/TestFileGenerator.h"
#include "normalized/Win1252.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <optional>
#include <filesystem>
#include <functional>
#include <ostream>
#include <sstream>

namespace clinova {

namespace {

// Options shared by the commands, filled by the parser.
struct CommonOptions {
    std::string database;
    std::string server;
    std::vector<std::string> settings;
    std::string usersFile;
    std::string logFile;
    bool yes = false;
};

// A text given on the command line is UTF-8; the engine works in Windows-1252.
std::string FromArgument(const std::string &text) { return LooksLikeUtf8(text) ? FromUtf8(text) : text; }

// 130 for Ctrl+C, 143 for SIGTERM.
int InterruptedStatus() { return InterruptSignal() == SIGTERM ? kExitTerminated : kExitInterrupted; }

int ExitStatusOf(RunOutcome outcome) {
    switch (outcome) {
    case RunOutcome::Completed:
        return kExitOk;
    case RunOutcome::CompletedWithFailures:
        return kExitLinesFailed;
    case RunOutcome::Interrupted:
        return InterruptedStatus();
    case RunOutcome::Refused:
    case RunOutcome::Failed:
        return kExitRefused;
    case RunOutcome::InternalError:
        return kExitInternalError;
    }
    return kExitRefused;
}

class Cli {
public:
    Cli(std::ostream &out, std::ostream &err, bool interactive) : out_(out), err_(err), op_(out, err) {
        op_.SetInteractive(interactive);
    }

    int Run(const std::vector<std::string> &args);

private:
    // Fills the settings from the common options; false (usage error reported) when one does not fit.
    bool ApplyCommonOptions(RunState &state);
    int Usage(const std::string &message) {
        err_ << "clinova-import: " << message << "\n";
        return kExitUsage;
    }

    int CreateDatabase();
    int RegenerateSummaries();
    int TestAccess();
    int Import();
    int Check();
    // Scans --source and unticks what --set and --skip leave out; false (usage error reported) when one
    // does not fit.
    bool OfferSourceFiles(RunState &state);
    int GenerateTestFiles();
    int EmptyTablesCommand();
    int PurgeAccounting();
    int PurgeSite();
    int FillCities();
    int Restore();
    // The command that finishes the import this one began.
    std::string ResumeCommand() const;
    // Runs a cleaning action with Ctrl+C as its interrupt button; its outcome as the exit status.
    int RunCleaning(RunState &state, const std::function<CleaningOutcome(RunState &)> &action);

    std::ostream &out_;
    std::ostream &err_;
    ConsoleOperator op_;
    CommonOptions common_;
    std::string createPath_;
    int createBuild_ = 93;
    bool sampleCatalogue_ = false;
    std::string sourceDir_;
    std::vector<std::string> skipped_;
    std::string outputDir_;
    bool accountingOnly_ = false;
    std::string before_;
    int site_ = 1;
    CLI::Option *siteOption_ = nullptr;
    CLI::Option *databaseOption_ = nullptr;
    std::string backupFile_;
    bool resume_ = false;
    bool again_ = false;
    bool rehearse_ = false;
    std::vector<std::string> args_;
};

bool Cli::ApplyCommonOptions(RunState &state) {
    ImportOptions &o = state.options;
    // An empty path would fall back to the window's default, a Windows path read as a host "C".
    if (databaseOption_->count() > 0 && Trim(FromArgument(common_.database)).empty()) {
        Usage("--database attend le chemin de la base de données");
        return false;
    }
    if (!common_.database.empty())
        o.edPathNameDatabase = common_.database;
    if (!common_.server.empty()) {
        std::vector<std::string> parts;
        std::stringstream in(common_.server);
        for (std::string part; std::getline(in, part, '.');)
            parts.push_back(part);
        if (parts.size() != 4) {
            Usage("--server attend une adresse IPv4 A.B.C.D");
            return false;
        }
        o.RadioButtonIP = true;
        o.RadioButtonLocal = false;
        o.edIP1 = parts[0];
        o.edIP2 = parts[1];
        o.edIP3 = parts[2];
        o.edIP4 = parts[3];
    }
    for (const auto &setting : common_.settings) {
        const auto equal = setting.find('=');
        std::string error;
        if (equal == std::string::npos) {
            Usage("--set attend NOM=VALEUR : " + setting);
            return false;
        }
        if (!SetOption(o, setting.substr(0, equal), FromArgument(setting.substr(equal + 1)), error)) {
            Usage(ToUtf8(error));
            return false;
        }
    }
    // --backup: "Sauvegarder la base avant" ticked, with that file.
    if (!backupFile_.empty()) {
        o.cbSauvegardeAvant = true;
        o.edPathSauvegarde = FromArgument(backupFile_);
    }
    if (!common_.usersFile.empty()) {
        try {
            o.MemoCorrespondancesUtilisateurs = FromArgument(ReadWholeFile(common_.usersFile));
        } catch (const std::exception &e) {
            Usage(ToUtf8(e.what()));
            return false;
        }
    }
    return true;
}

int Cli::Run(const std::vector<std::string> &args) {
    CLI::App app{"Importation normalisée dans Clinova", "clinova-import"};
    app.require_subcommand(1);
    databaseOption_ = app.add_option("--database", common_.database, "the database file as the server sees it");
    app.add_option("--server", common_.server, "the IPv4 address of the database server");
    app.add_option("--set", common_.settings, "a setting by its control name: NAME=VALUE")->take_all();
    app.add_option("--users", common_.usersFile, "the users correspondence (IDUserClinova=IDUtilisateurSource)");
    app.add_option("--log", common_.logFile, "also write the log lines to this file");
    app.add_flag("--yes", common_.yes, "answer Oui to the questions");
    // The number is CMake's project version, the one the packages and the window carry.
    app.set_version_flag("--version", std::string("clinova-import ") + CLINOVA_VERSION,
                         "affiche la version et s'arrête");

    std::function<int()> action;
    auto *create = app.add_subcommand("create-database", "create an empty target database from the schema");
    create->add_option("path", createPath_, "the new database file")->required();
    create->add_option("--build", createBuild_, "the schema build written into VERSION");
    create->add_flag("--sample-catalogue", sampleCatalogue_, "also a few wholesalers and products, for the demo");
    create->callback([&] { action = [this] { return CreateDatabase(); }; });

    auto *test = app.add_subcommand("test-access", "test the access to the database");
    test->callback([&] { action = [this] { return TestAccess(); }; });

    auto *import = app.add_subcommand("import", "import the normalized files of a folder");
    import->add_option("--source", sourceDir_, "the folder of the normalized files")->required();
    import->add_option("--skip", skipped_, "a file of the folder not to import (repeatable)");
    import->add_flag("--resume", resume_,
                     "finish an interrupted import from its journal (JOURNAL_IMPORTATION.TXT): the lines it "
                     "committed are skipped, the result is that of a whole run");
    import->add_flag("--again", again_,
                     "import files the folder's journal says were already imported into that database, or after "
                     "an interrupted import that is not resumed: every record is copied again, unless the "
                     "duplicate checks match it");
    import->add_flag("--rehearse", rehearse_,
                     "the whole import into a throwaway copy of the database (backup, restore, import, report, "
                     "drop): the database is not changed; the files go into REPETITION inside the folder")
        ->excludes("--resume");
    import->callback([&] { action = [this] { return Import(); }; });

    auto *check = app.add_subcommand("check", "check the normalized files of a folder, without any database");
    check->add_option("--source", sourceDir_, "the folder of the normalized files")->required();
    check->add_option("--skip", skipped_, "a file of the folder not to check (repeatable)");
    check->callback([&] { action = [this] { return Check(); }; });

    auto *generate = app.add_subcommand("generate-test-files", "write the three test files");
    generate->add_option("--output", outputDir_, "the folder they are written to")->required();
    generate->callback([&] { action = [this] { return GenerateTestFiles(); }; });

    auto *empty = app.add_subcommand("empty-tables", "empty the clients, animals, medical and accounting tables");
    empty->add_flag("--accounting-only", accountingOnly_, "empty only the accounting of every site");
    empty->callback([&] { action = [this] { return EmptyTablesCommand(); }; });

    auto *purgeAccounting = app.add_subcommand("purge-accounting", "purge the accounting dated before a day");
    purgeAccounting->add_option("--before", before_, "the first day kept, dd/mm/yyyy")->required();
    purgeAccounting->callback([&] { action = [this] { return PurgeAccounting(); }; });

    auto *purgeSite = app.add_subcommand("purge-site", "purge the accounting of one site");
    siteOption_ = purgeSite->add_option("--site", site_, "the site number (default: edIDSITECompta)");
    purgeSite->callback([&] { action = [this] { return PurgeSite(); }; });

    auto *summaries = app.add_subcommand("regenerate-summaries", "the summary of every consultation from its document");
    summaries->callback([&] { action = [this] { return RegenerateSummaries(); }; });

    auto *fillCities = app.add_subcommand("fill-cities", "fill the towns table from the clients' addresses");
    fillCities->callback([&] { action = [this] { return FillCities(); }; });

    auto *restore = app.add_subcommand("restore", "restore a backup into a new database (--database, never an existing "
                                                  "one), as gbak -c -user SYSDBA -password ... FILE NEW.FDB does");
    restore->add_option("--backup", backupFile_, "the backup file, as the server sees it")->required();
    restore->callback([&] { action = [this] { return Restore(); }; });
    // Before anything changes, the import and the actions that delete back up the database into that file.
    for (auto *sub : {import, empty, purgeAccounting, purgeSite})
        sub->add_option("--backup", backupFile_,
                        "first a backup of the database into FILE, a path as the server sees it, never over an "
                        "existing file; the action does not start when it fails. Restore it with "
                        "clinova-import restore --backup FILE --database NEW.FDB, or with "
                        "gbak -c -user SYSDBA -password ... FILE NEW.FDB");

    // Options of the whole program may also follow the command.
    for (auto *sub :
         {create, test, import, check, generate, empty, purgeAccounting, purgeSite, fillCities, summaries, restore})
        sub->fallthrough();

    args_ = args;
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp &e) {
        out_ << app.help();
        return kExitOk;
    } catch (const CLI::CallForVersion &e) {
        out_ << e.what() << "\n";
        return kExitOk;
    } catch (const CLI::ParseError &e) {
        return Usage(e.what());
    }
    op_.SetAnswerYes(common_.yes);
    if (!common_.logFile.empty()) {
        try {
            op_.SetLogFile(common_.logFile);
        } catch (const std::exception &e) {
            return Usage("impossible d'écrire le journal " + common_.logFile + " : " + ToUtf8(e.what()));
        }
    }
    return action ? action() : kExitUsage;
}

int Cli::CreateDatabase() {
    if (std::filesystem::exists(createPath_)) {
        op_.ShowMessage(FromUtf8("Le fichier existe déjà : ") + createPath_);
        return kExitRefused;
    }
    try {
        CreateTargetDatabase(createPath_, createBuild_);
        if (sampleCatalogue_) {
            TargetDatabase db;
            db.Open(createPath_);
            AddSampleCatalogue(db);
            db.Close();
        }
    } catch (const std::exception &e) {
        op_.ShowMessage(e.what());
        return kExitRefused;
    }
    return kExitOk;
}

int Cli::TestAccess() {
    RunState state(op_);
    if (!ApplyCommonOptions(state))
        return kExitUsage;
    const bool connected = btnTestClick(state);
    return connected && state.IDDefaultUser != -1 ? kExitOk : kExitRefused;
}

bool Cli::OfferSourceFiles(RunState &state) {
    if (!std::filesystem::is_directory(sourceDir_)) {
        Usage("--source n'est pas un dossier : " + sourceDir_);
        return false;
    }
    ImportOptions settings = state.options;
    ScanSourceFolder(state, sourceDir_);
    // Settings given with --set untick offered files; they never offer a missing one.
    for (const auto &file : SourceFiles()) {
        FileCheckBox &box = state.options.*(file.box);
        const FileCheckBox &asked = settings.*(file.box);
        for (const auto &control : common_.settings)
            if (control.rfind(std::string(file.control) + "=", 0) == 0)
                box.checked = box.enabled && asked.checked;
    }
    for (const auto &skip : skipped_) {
        bool known = false;
        for (const auto &file : SourceFiles()) {
            if (SameText1252(skip, file.fileName)) {
                (state.options.*(file.box)).checked = false;
                known = true;
            }
        }
        if (!known) {
            Usage("--skip : fichier inconnu " + skip);
            return false;
        }
    }
    return true;
}

int Cli::Import() {
    RunState state(op_);
    if (!ApplyCommonOptions(state) || !OfferSourceFiles(state))
        return kExitUsage;
    if (resume_)
        state.options.cbReprise = true;
    state.repeat = again_ ? RepeatPolicy::Allow : RepeatPolicy::Refuse;
    RunOutcome outcome;
    {
        const bool remote = !common_.server.empty();
        const InterruptHandler interrupts(op_.InterruptFlag(), remote ? &ServerWatch::OnSignal : nullptr);
        std::optional<ServerWatch> watch;
        if (remote)
            watch.emplace(err_);
        outcome = rehearse_ ? RehearseImport(state) : btnImportationClick(state);
    }
    if (!rehearse_ &&
        (outcome == RunOutcome::Interrupted || outcome == RunOutcome::Failed || outcome == RunOutcome::InternalError) &&
        ResumableImportIn(state.PathSources))
        op_.ShowMessage(FromUtf8("Pour terminer l'importation : ") + FromArgument(ResumeCommand()));
    // A signal that cut the connection to a server that no longer answered: the run ended on it.
    if (outcome == RunOutcome::Failed && InterruptSignal() != 0)
        return InterruptedStatus();
    return ExitStatusOf(outcome);
}

std::string Cli::ResumeCommand() const {
    // The same command, with --resume instead of --again, and without the backup: the database was saved before
    // the run that is finished.
    std::string command = "clinova-import";
    for (std::size_t i = 0; i < args_.size(); ++i) {
        const std::string &arg = args_[i];
        if (arg == "--again" || arg == "--resume")
            continue;
        if (arg == "--backup") {
            ++i;
            continue;
        }
        if (arg.rfind("--backup=", 0) == 0)
            continue;
        const bool plain = !arg.empty() && arg.find_first_of(" \t\"'\\$`;&|<>()*?") == std::string::npos;
        command += " " + (plain ? arg : "'" + arg + "'");
    }
    return command + " --resume";
}

int Cli::Check() {
    RunState state(op_);
    if (!ApplyCommonOptions(state) || !OfferSourceFiles(state))
        return kExitUsage;
    const InterruptHandler interrupts(op_.InterruptFlag());
    try {
        const PreflightResult result = CheckSourceFolder(op_, state.PathSources, state.options);
        if (result.interrupted)
            return InterruptedStatus();
        if (result.files.empty()) {
            op_.ShowMessage(NoTickedFileText(state.PathSources));
            return kExitRefused;
        }
        return result.Clean() ? kExitOk : kExitLinesFailed;
    } catch (const std::exception &e) {
        op_.ShowMessage(e.what());
        return kExitRefused;
    }
}

int Cli::GenerateTestFiles() {
    try {
        clinova::GenerateTestFiles(outputDir_);
    } catch (const std::exception &e) {
        op_.ShowMessage(e.what());
        return kExitRefused;
    }
    return kExitOk;
}

int Cli::RunCleaning(RunState &state, const std::function<CleaningOutcome(RunState &)> &action) {
    const InterruptHandler interrupts(op_.InterruptFlag());
    switch (action(state)) {
    case CleaningOutcome::Done:
        return kExitOk;
    case CleaningOutcome::Interrupted:
        return InterruptedStatus();
    case CleaningOutcome::Refused:
    case CleaningOutcome::Failed:
        return kExitRefused;
    }
    return kExitRefused;
}

int Cli::EmptyTablesCommand() {
    RunState state(op_);
    if (!ApplyCommonOptions(state))
        return kExitUsage;
    // btnDelete, or XiButton2 with --accounting-only.
    return RunCleaning(state, [this](RunState &s) { return EmptyTables(s, !accountingOnly_); });
}

int Cli::PurgeAccounting() {
    RunState state(op_);
    if (!ApplyCommonOptions(state))
        return kExitUsage;
    std::string error;
    if (!SetOption(state.options, "DateTimePicker", before_, error))
        return Usage("--before : " + ToUtf8(error));
    return RunCleaning(state, [](RunState &s) { return XiButton4Click(s); });
}

int Cli::PurgeSite() {
    RunState state(op_);
    if (!ApplyCommonOptions(state))
        return kExitUsage;
    if (siteOption_->count() > 0)
        state.options.edIDSITECompta = std::to_string(site_);
    if (!TryStrToInt(TrimView(state.options.edIDSITECompta)))
        return Usage("edIDSITECompta n'est pas un numéro de site : " + ToUtf8(state.options.edIDSITECompta));
    return RunCleaning(state, XiButton5Click);
}

int Cli::RegenerateSummaries() {
    RunState state(op_);
    if (!ApplyCommonOptions(state))
        return kExitUsage;
    const InterruptHandler interrupts(op_.InterruptFlag());
    return ExitStatusOf(Button1Click(state));
}

int Cli::FillCities() {
    RunState state(op_);
    if (!ApplyCommonOptions(state))
        return kExitUsage;
    // XiButton1.
    return RunCleaning(state, XiButton1Click);
}

int Cli::Restore() {
    RunState state(op_);
    if (!ApplyCommonOptions(state))
        return kExitUsage;
    // Without --database the window's default path would be taken: the new database must be named.
    if (common_.database.empty())
        return Usage("restore attend --database, le fichier de la nouvelle base");
    return RestoreBackup(state, FromArgument(backupFile_)) ? kExitOk : kExitRefused;
}

} // namespace

int RunCli(const std::vector<std::string> &args, std::ostream &out, std::ostream &err, bool interactive) {
    Cli cli(out, err, interactive);
    return cli.Run(args);
}

} // namespace clinova
