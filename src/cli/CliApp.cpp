#include "cli/CliApp.h"

#include "app/DatabaseActions.h"
#include "app/ImportJournal.h"
#include "run/ImportRun.h"
#include "run/Rehearsal.h"
#include "run/PreflightCheck.h"
#include "app/RunState.h"
#include "run/SourceFolder.h"
#include "run/MaintenanceActions.h"
#include "cli/ConsoleOperator.h"
#include "cli/FrenchHelp.h"
#include "cli/Platform.h"
#include "cli/ServerWatch.h"
#include "import/ImportSteps.h"
#include "normalized/Conversions.h"
#include "normalized/NormalizedFile.h"
#include "normalized/TestFileGenerator.h"
#include "normalized/Win1252.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <filesystem>
#include <functional>
#include <list>
#include <optional>
#include <ostream>
#include <sstream>

namespace clinova {

namespace {

// The usual commands, at the end of the help.
const char *const kExamples = R"(Exemples :
  Vérifier les fichiers d'un répertoire, sans base de données :
    clinova-import check --source /export
  Importer ce répertoire dans la base de cet ordinateur :
    clinova-import import --database BASE.CN2 --source /export --yes
  Terminer une importation interrompue (la même commande, avec --resume) :
    clinova-import import --database BASE.CN2 --source /export --resume
  Répéter l'importation dans une copie jetable de la base, sans la modifier :
    clinova-import import --database BASE.CN2 --source /export --rehearse
  Importer dans la base d'un serveur (le chemin tel que le serveur le voit) :
    clinova-import import --source /export --server 192.168.1.10 \
      --database 'C:\Clinova\CLINOVA.CN2'
  Tester l'accès à la base avant tout :
    clinova-import test-access --database BASE.CN2)";

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

// The command of a maintenance action: what the parser gave each of its options.
struct ActionCommand {
    struct Value {
        const ActionOption *option;
        CLI::Option *parsed = nullptr;
        std::string text;
        int number = 0;
        bool flag = false;
        std::string Given() const {
            return option->kind == ActionOption::Kind::Integer ? std::to_string(number)
                   : option->kind == ActionOption::Kind::Flag  ? std::string("1")
                                                               : text;
        }
    };
    const MaintenanceAction *action = nullptr;
    CLI::App *command = nullptr;
    std::list<Value> values; // the parser writes into them: their places do not move
};

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

    int Import();
    int Check();
    // Scans --source and unticks what --set and --skip leave out; false (usage error reported) when one does not
    // fit.
    bool OfferSourceFiles(RunState &state);
    int GenerateTestFiles();
    // The command of a maintenance action, with the action's options, and --backup when the action backs up.
    ActionCommand &AddActionCommand(CLI::App &app, const MaintenanceAction &action);
    // Runs the action of the command with the options given; its outcome as the exit status.
    int RunMaintenanceAction(const ActionCommand &command);
    // The command that finishes the import this one began.
    std::string ResumeCommand() const;

    std::ostream &out_;
    std::ostream &err_;
    ConsoleOperator op_;
    CommonOptions common_;
    std::string sourceDir_;
    std::vector<std::string> skipped_;
    std::string outputDir_;
    CLI::Option *databaseOption_ = nullptr;
    std::string backupFile_;
    bool resume_ = false;
    bool again_ = false;
    bool rehearse_ = false;
    std::vector<std::string> args_;
    std::list<ActionCommand> actions_;
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
    // The window's default path is a place on this computer's disk, not on the server's.
    if (!common_.server.empty() && common_.database.empty()) {
        Usage("--server attend aussi --database, le chemin de la base tel que le serveur le voit");
        return false;
    }
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
    app.formatter(std::make_shared<FrenchFormatter>());
    // Set before the commands are added: each takes the program's help flag with its text.
    app.set_help_flag("-h,--help", "affiche cette aide et s'arrête");
    app.require_subcommand(1);
    databaseOption_ = app.add_option("--database", common_.database,
                                     "le chemin de la base de données, tel que le serveur le voit")
                          ->type_name("CHEMIN");
    app.add_option("--server", common_.server,
                   "l'adresse IP A.B.C.D du serveur de la base ; sans elle, la base est sur cet ordinateur")
        ->type_name("ADRESSE");
    app.add_option("--set", common_.settings, "un réglage par le nom de son contrôle : NOM=VALEUR (répétable)")
        ->take_all()
        ->type_name("NOM=VALEUR");
    app.add_option("--users", common_.usersFile,
                   "le fichier des correspondances des utilisateurs (IDUserClinova=IDUtilisateurSource)")
        ->type_name("FICHIER");
    app.add_option("--log", common_.logFile, "écrit aussi les lignes du journal dans ce fichier")->type_name("FICHIER");
    app.add_flag("--yes", common_.yes, "répond Oui aux questions (« Avez-vous fermé Clinova\u00a0? »)");
    // The number is CMake's project version, the one the packages and the window carry.
    app.set_version_flag("--version", std::string("clinova-import ") + CLINOVA_VERSION,
                         "affiche la version et s'arrête");
    app.footer(kExamples);

    std::function<int()> action;
    // Before anything changes, the import and the actions that delete back up the database into that file.
    const auto addBackup = [this](CLI::App *sub) {
        sub->add_option("--backup", backupFile_,
                        "d'abord une sauvegarde de la base dans ce fichier, tel que le serveur le voit, jamais "
                        "par-dessus un fichier existant ; l'action ne commence pas si elle échoue. La restaurer "
                        "avec clinova-import restore --backup FICHIER --database NOUVELLE.FDB")
            ->type_name("FICHIER");
    };
    std::vector<CLI::App *> commands;

    auto *import = app.add_subcommand("import", "importe les fichiers normalisés d'un répertoire");
    import->add_option("--source", sourceDir_, "le répertoire des fichiers normalisés")
        ->required()
        ->type_name("RÉPERTOIRE");
    import->add_option("--skip", skipped_, "un fichier du répertoire à ne pas importer (répétable)")
        ->type_name("FICHIER");
    import->add_flag("--resume", resume_,
                     "reprend l'importation interrompue d'après son journal (JOURNAL_IMPORTATION.TXT) : les lignes "
                     "validées sont sautées, le résultat est celui d'une importation complète");
    import->add_flag("--again", again_,
                     "importe des fichiers que le journal du répertoire dit déjà importés dans cette base, ou après "
                     "une importation interrompue qui n'est pas reprise : chaque enregistrement est de nouveau "
                     "copié, sauf ceux que la recherche des doublons retrouve");
    import->add_flag("--rehearse", rehearse_,
                     "répétition : toute l'importation dans une copie jetable de la base (sauvegarde, restauration, "
                     "importation, rapport, suppression) ; la base n'est pas modifiée, les fichiers vont dans "
                     "REPETITION dans le répertoire")
        ->excludes("--resume");
    addBackup(import);
    import->callback([&] { action = [this] { return Import(); }; });
    commands.push_back(import);

    auto *check = app.add_subcommand("check", "vérifie les fichiers normalisés d'un répertoire, sans base de données");
    check->add_option("--source", sourceDir_, "le répertoire des fichiers normalisés")
        ->required()
        ->type_name("RÉPERTOIRE");
    check->add_option("--skip", skipped_, "un fichier du répertoire à ne pas vérifier (répétable)")
        ->type_name("FICHIER");
    check->callback([&] { action = [this] { return Check(); }; });
    commands.push_back(check);

    // One command per maintenance action, from the table.
    for (const MaintenanceAction &maintenance : MaintenanceActions()) {
        ActionCommand &command = AddActionCommand(app, maintenance);
        if (maintenance.backsUp)
            addBackup(command.command);
        const ActionCommand *chosen = &command;
        command.command->callback([&action, this, chosen] {
            action = [this, chosen] { return RunMaintenanceAction(*chosen); };
        });
        commands.push_back(command.command);
    }

    auto *generate = app.add_subcommand("generate-test-files", "écrit les trois fichiers de test");
    generate->add_option("--output", outputDir_, "le répertoire où les écrire")->required()->type_name("RÉPERTOIRE");
    generate->callback([&] { action = [this] { return GenerateTestFiles(); }; });
    commands.push_back(generate);

    // Options of the whole program may also follow the command.
    for (auto *sub : commands)
        sub->fallthrough()->group("Commandes")->footer("");

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
        return Usage(FrenchUsageError(e, app));
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

ActionCommand &Cli::AddActionCommand(CLI::App &app, const MaintenanceAction &action) {
    ActionCommand &command = actions_.emplace_back();
    command.action = &action;
    command.command = app.add_subcommand(action.command, action.description);
    for (const ActionOption &option : action.options) {
        ActionCommand::Value &value = command.values.emplace_back();
        value.option = &option;
        switch (option.kind) {
        case ActionOption::Kind::Flag:
            value.parsed = command.command->add_flag(option.name, value.flag, option.help);
            break;
        case ActionOption::Kind::Text:
            value.parsed = command.command->add_option(option.name, value.text, option.help);
            break;
        case ActionOption::Kind::Integer:
            value.parsed = command.command->add_option(option.name, value.number, option.help);
            break;
        }
        if (option.kind != ActionOption::Kind::Flag)
            value.parsed->type_name(option.typeName);
        if (option.required)
            value.parsed->required();
    }
    return command;
}

int Cli::RunMaintenanceAction(const ActionCommand &command) {
    const MaintenanceAction &action = *command.action;
    RunState state(op_);
    if (action.database != ActionDatabase::None && !ApplyCommonOptions(state))
        return kExitUsage;
    // Without --database the window's default path would be taken: the new database must be named.
    if (action.database == ActionDatabase::NewTarget && common_.database.empty())
        return Usage(std::string(action.command) + " attend --database, le fichier de la nouvelle base");
    ActionInput input;
    for (const ActionCommand::Value &value : command.values)
        if (value.parsed->count() > 0)
            input.arguments[value.option->name] = value.Given();
    if (std::string error; action.prepare && !action.prepare(state, input.arguments, error))
        return Usage(ToUtf8(error));
    // Ctrl+C as the interrupt button of the actions that end cleanly on it.
    std::optional<InterruptHandler> interrupts;
    if (action.interruptible)
        interrupts.emplace(op_.InterruptFlag());
    return ExitStatusOf(action.work(state, input));
}

} // namespace

int RunCli(const std::vector<std::string> &args, std::ostream &out, std::ostream &err, bool interactive) {
    Cli cli(out, err, interactive);
    return cli.Run(args);
}

} // namespace clinova
