#include "run/MaintenanceActions.h"

#include "app/DatabaseActions.h"
#include "app/RunState.h"
#include "cleaning/AccountingPurge.h"
#include "cleaning/CitiesFill.h"
#include "cleaning/EmptyTables.h"
#include "cleaning/SitePurge.h"
#include "database/DatabaseSetup.h"
#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "import/catalogue/SampleCatalogue.h"
#include "import/medical/MedicalSynthesis.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

#include <filesystem>

namespace clinova {

namespace {

using Kind = ActionOption::Kind;

constexpr int kDefaultBuild = 93;

bool Given(const ActionArguments &arguments, std::string_view name) {
    return arguments.find(name) != arguments.end();
}

std::string Argument(const ActionArguments &arguments, std::string_view name) {
    const auto found = arguments.find(name);
    return found == arguments.end() ? std::string() : found->second;
}

// An argument typed on the command line is UTF-8; the engine's texts are Windows-1252.
std::string AsWin1252(const std::string &text) {
    return LooksLikeUtf8(text) ? FromUtf8(text) : text;
}

RunOutcome OutcomeOf(CleaningOutcome outcome) {
    switch (outcome) {
    case CleaningOutcome::Done:
        return RunOutcome::Completed;
    case CleaningOutcome::Refused:
        return RunOutcome::Refused;
    case CleaningOutcome::Failed:
        return RunOutcome::Failed;
    case CleaningOutcome::Interrupted:
        return RunOutcome::Interrupted;
    }
    return RunOutcome::Failed;
}

// An empty database from the schema, then what it holds, read back from it, in the log.
RunOutcome CreateDatabase(RunState &state, const ActionInput &input) {
    Operator &op = state.op;
    const std::string path = Argument(input.arguments, "CHEMIN");
    const std::string build = Argument(input.arguments, "--build");
    const bool sampleCatalogue = Given(input.arguments, "--sample-catalogue");
    if (std::filesystem::exists(path)) {
        op.ShowMessage(FromUtf8("Le fichier existe déjà : ") + AsWin1252(path));
        return RunOutcome::Refused;
    }
    try {
        CreateTargetDatabase(path, build.empty() ? kDefaultBuild : std::stoi(build));
        TargetDatabase db;
        db.Open(path);
        if (sampleCatalogue)
            AddSampleCatalogue(db);
        const int written = ReadDatabaseBuild(db);
        Statement vet(db, "select ID, LOGINUSER, NOM from ADMINISTRATION where TYPE_USER=0 order by ID");
        std::string veterinarian = FromUtf8("aucun");
        if (vet.Open())
            veterinarian = "ID " + std::to_string(vet.GetInt("ID")) + ", " + vet.GetText("LOGINUSER") + " (" +
                           vet.GetText("NOM") + ")";
        vet.Close();
        db.Close();
        op.AddToLog(FromUtf8("Base de données créée : ") + AsWin1252(path));
        op.AddToLog(FromUtf8("Version du schéma (BUILD) : ") + std::to_string(written));
        op.AddToLog(FromUtf8("Vétérinaire : ") + veterinarian);
        if (sampleCatalogue)
            op.AddToLog(FromUtf8("Catalogue d'exemple : quelques grossistes et produits"));
    } catch (const std::exception &e) {
        op.ShowMessage(e.what());
        return RunOutcome::Failed;
    }
    return RunOutcome::Completed;
}

RunOutcome TestAccess(RunState &state, const ActionInput &) {
    if (!btnTestClick(state))
        return RunOutcome::Failed;
    // Connected, but an import would find no veterinarian to fall back to.
    return state.IDDefaultUser != -1 ? RunOutcome::Completed : RunOutcome::Refused;
}

RunOutcome EmptyTablesWork(RunState &state, const ActionInput &input) {
    // btnDelete, or XiButton2: the accounting of every site only.
    return OutcomeOf(EmptyTables(state, !Given(input.arguments, "--accounting-only")));
}

bool PrepareAccountingPurge(RunState &state, const ActionArguments &arguments, std::string &error) {
    if (!Given(arguments, "--before"))
        return true;
    std::string wrong;
    if (SetOption(state.options, "DateTimePicker", AsWin1252(Argument(arguments, "--before")), wrong))
        return true;
    error = "--before : " + wrong;
    return false;
}

RunOutcome AccountingPurgeWork(RunState &state, const ActionInput &input) {
    return OutcomeOf(XiButton4Click(state, input.stage));
}

bool PrepareSitePurge(RunState &state, const ActionArguments &arguments, std::string &error) {
    if (Given(arguments, "--site"))
        state.options.edIDSITECompta = Argument(arguments, "--site");
    if (TryStrToInt(TrimView(state.options.edIDSITECompta)))
        return true;
    error = FromUtf8("edIDSITECompta n'est pas un numéro de site : ") + state.options.edIDSITECompta;
    return false;
}

RunOutcome SitePurgeWork(RunState &state, const ActionInput &) {
    return OutcomeOf(XiButton5Click(state));
}

RunOutcome RegenerateSummaries(RunState &state, const ActionInput &) {
    return Button1Click(state);
}

RunOutcome FillCities(RunState &state, const ActionInput &) {
    return OutcomeOf(XiButton1Click(state));
}

RunOutcome Restore(RunState &state, const ActionInput &input) {
    return RestoreBackup(state, AsWin1252(Argument(input.arguments, "--backup"))) ? RunOutcome::Completed
                                                                                   : RunOutcome::Failed;
}

} // namespace

const std::vector<MaintenanceAction> &MaintenanceActions() {
    static const std::vector<MaintenanceAction> actions = {
        {.command = "create-database",
         .description = "crée une base vide à partir du schéma, avec un vétérinaire (essais)",
         .questions = ActionQuestions::None,
         .backsUp = false,
         .database = ActionDatabase::None,
         .interruptible = false,
         .options = {{"CHEMIN", Kind::Text, "", "le fichier de la nouvelle base", true},
                     {"--build", Kind::Integer, "NUMÉRO", "le numéro de version du schéma écrit dans VERSION (93)"},
                     {"--sample-catalogue", Kind::Flag, "",
                      "ajoute quelques grossistes et produits, pour la démonstration"}},
         .buttons = {},
         .work = CreateDatabase},
        {.command = "test-access",
         .description = "teste l'accès à la base de données (bouton Tester)",
         .questions = ActionQuestions::None,
         .backsUp = false,
         .database = ActionDatabase::Target,
         .interruptible = false,
         .options = {},
         .buttons = {{"btnTest"}},
         .work = TestAccess},
        {.command = "empty-tables",
         .description = "vide les tables des clients, animaux, dossiers médicaux et de la comptabilité",
         .questions = ActionQuestions::ProductClosedThenWhatGoes,
         .backsUp = true,
         .database = ActionDatabase::Target,
         .interruptible = true,
         .options = {{"--accounting-only", Kind::Flag, "", "vide seulement la comptabilité de tous les sites"}},
         .buttons = {{"btnDelete"}, {"XiButton2", {{"--accounting-only", "1"}}}},
         .work = EmptyTablesWork},
        {.command = "purge-accounting",
         .description = "supprime la comptabilité antérieure à une date",
         .questions = ActionQuestions::ProductClosedThenWhatGoes,
         .backsUp = true,
         .database = ActionDatabase::Target,
         .interruptible = true,
         // The window's date is DateTimePicker.
         .options = {{"--before", Kind::Text, "JJ/MM/AAAA", "le premier jour gardé", true}},
         .buttons = {{"XiButton4"}},
         .prepare = PrepareAccountingPurge,
         .work = AccountingPurgeWork},
        {.command = "purge-site",
         .description = "supprime la comptabilité d'un site",
         .questions = ActionQuestions::ProductClosedThenWhatGoes,
         .backsUp = true,
         .database = ActionDatabase::Target,
         .interruptible = true,
         .options = {{"--site", Kind::Integer, "NUMÉRO", "le numéro du site (par défaut : edIDSITECompta)"}},
         // "GO" purges the site typed beside it, "GO S1" site 1.
         .buttons = {{"XiButton5"}, {"XiButton6", {{"--site", "1"}}}},
         .prepare = PrepareSitePurge,
         .work = SitePurgeWork},
        {.command = "regenerate-summaries",
         .description = "régénère la synthèse de chaque consultation à partir de son document",
         .questions = ActionQuestions::ProductClosed,
         .backsUp = false,
         .database = ActionDatabase::Target,
         .interruptible = true,
         .options = {},
         .buttons = {{"Button1"}},
         .work = RegenerateSummaries},
        {.command = "fill-cities",
         .description = "remplit la table des villes à partir des adresses des clients",
         .questions = ActionQuestions::ProductClosed,
         .backsUp = false,
         .database = ActionDatabase::Target,
         .interruptible = true,
         .options = {},
         .buttons = {{"XiButton1"}},
         .work = FillCities},
        {.command = "restore",
         .description = "restaure une sauvegarde dans une nouvelle base (--database, jamais une base existante), "
                        "comme gbak\u00a0-c",
         .questions = ActionQuestions::None,
         .backsUp = false,
         .database = ActionDatabase::NewTarget,
         .interruptible = false,
         .options = {{"--backup", Kind::Text, "FICHIER", "le fichier de sauvegarde, tel que le serveur le voit", true}},
         .buttons = {},
         .work = Restore},
    };
    return actions;
}

const MaintenanceAction *FindMaintenanceAction(std::string_view command) {
    for (const MaintenanceAction &action : MaintenanceActions())
        if (command == action.command)
            return &action;
    return nullptr;
}

} // namespace clinova
