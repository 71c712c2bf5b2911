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
#include "cli/FrenchHelp.h"
#include "cli/Platform.h"
#include "cli/ServerWatch.h"
#include "database/DatabaseSetup.h"
#include "database/Statement.h"
#include "database/TargetDatabase.h"
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
    auto *create = app.add_subcommand("create-database",
                                      "crée une base vide à partir du schéma, avec un vétérinaire (essais)");
    create->add_option("CHEMIN", createPath_, "le fichier de la nouvelle base")->required()->type_name("");
    create->add_option("--build", createBuild_, "le numéro de version du schéma écrit dans VERSION (93)")
        ->type_name("NUMÉRO");
    create->add_flag("--sample-catalogue", sampleCatalogue_,
                     "ajoute quelques grossistes et produits, pour la démonstration");
    create->callback([&] { action = [this] { return CreateDatabase(); }; });

    auto *test = app.add_subcommand("test-access", "teste l'accès à la base de données (bouton Tester)");
    test->callback([&] { action = [this] { return TestAccess(); }; });

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
    import->callback([&] { action = [this] { return Import(); }; });

    auto *check = app.add_subcommand("check", "vérifie les fichiers normalisés d'un répertoire, sans base de données");
    check->add_option("--source", sourceDir_, "le répertoire des fichiers normalisés")
        ->required()
        ->type_name("RÉPERTOIRE");
    check->add_option("--skip", skipped_, "un fichier du répertoire à ne pas vérifier (répétable)")
        ->type_name("FICHIER");
    check->callback([&] { action = [this] { return Check(); }; });

    auto *generate = app.add_subcommand("generate-test-files", "écrit les trois fichiers de test");
    generate->add_option("--output", outputDir_, "le répertoire où les écrire")->required()->type_name("RÉPERTOIRE");
    generate->callback([&] { action = [this] { return GenerateTestFiles(); }; });

    auto *empty = app.add_subcommand("empty-tables",
                                     "vide les tables des clients, animaux, dossiers médicaux et de la comptabilité");
    empty->add_flag("--accounting-only", accountingOnly_, "vide seulement la comptabilité de tous les sites");
    empty->callback([&] { action = [this] { return EmptyTablesCommand(); }; });

    auto *purgeAccounting =
        app.add_subcommand("purge-accounting", "supprime la comptabilité antérieure à une date");
    purgeAccounting->add_option("--before", before_, "le premier jour gardé")->required()->type_name("JJ/MM/AAAA");
    purgeAccounting->callback([&] { action = [this] { return PurgeAccounting(); }; });

    auto *purgeSite = app.add_subcommand("purge-site", "supprime la comptabilité d'un site");
    siteOption_ = purgeSite->add_option("--site", site_, "le numéro du site (par défaut : edIDSITECompta)")
                      ->type_name("NUMÉRO");
    purgeSite->callback([&] { action = [this] { return PurgeSite(); }; });

    auto *summaries = app.add_subcommand("regenerate-summaries",
                                         "régénère la synthèse de chaque consultation à partir de son document");
    summaries->callback([&] { action = [this] { return RegenerateSummaries(); }; });

    auto *fillCities =
        app.add_subcommand("fill-cities", "remplit la table des villes à partir des adresses des clients");
    fillCities->callback([&] { action = [this] { return FillCities(); }; });

    auto *restore = app.add_subcommand("restore", "restaure une sauvegarde dans une nouvelle base (--database, "
                                                  "jamais une base existante), comme gbak\u00a0-c");
    restore->add_option("--backup", backupFile_, "le fichier de sauvegarde, tel que le serveur le voit")
        ->required()
        ->type_name("FICHIER");
    restore->callback([&] { action = [this] { return Restore(); }; });
    // Before anything changes, the import and the actions that delete back up the database into that file.
    for (auto *sub : {import, empty, purgeAccounting, purgeSite})
        sub->add_option("--backup", backupFile_,
                        "d'abord une sauvegarde de la base dans ce fichier, tel que le serveur le voit, jamais "
                        "par-dessus un fichier existant ; l'action ne commence pas si elle échoue. La restaurer "
                        "avec clinova-import restore --backup FICHIER --database NOUVELLE.FDB")
            ->type_name("FICHIER");

    // Options of the whole program may also follow the command.
    for (auto *sub :
         {create, test, import, check, generate, empty, purgeAccounting, purgeSite, fillCities, summaries, restore})
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

int Cli::CreateDatabase() {
    if (std::filesystem::exists(createPath_)) {
        op_.ShowMessage(FromUtf8("Le fichier existe déjà : ") + createPath_);
        return kExitRefused;
    }
    try {
        CreateTargetDatabase(createPath_, createBuild_);
        TargetDatabase db;
        db.Open(createPath_);
        if (sampleCatalogue_)
            AddSampleCatalogue(db);
        // What the new database holds, read back from it.
        const int build = ReadDatabaseBuild(db);
        Statement vet(db, "select ID, LOGINUSER, NOM from ADMINISTRATION where TYPE_USER=0 order by ID");
        std::string veterinarian = FromUtf8("aucun");
        if (vet.Open())
            veterinarian = "ID " + std::to_string(vet.GetInt("ID")) + ", " + vet.GetText("LOGINUSER") + " (" +
                           vet.GetText("NOM") + ")";
        vet.Close();
        db.Close();
        op_.AddToLog(FromUtf8("Base de données créée : ") + FromArgument(createPath_));
        op_.AddToLog(FromUtf8("Version du schéma (BUILD) : ") + std::to_string(build));
        op_.AddToLog(FromUtf8("Vétérinaire : ") + veterinarian);
        if (sampleCatalogue_)
            op_.AddToLog(FromUtf8("Catalogue d'exemple : quelques grossistes et produits"));
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
