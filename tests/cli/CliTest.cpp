#include "cli/CliApp.h"
#include "run/MaintenanceActions.h"
#include "support/ChildProcess.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

using namespace clinova;

namespace {

using test::CliRun;

CliRun Cli(const std::vector<std::string> &args) { return test::RunCommand(args); }

int CountLines(const std::string &text) {
    int n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}

} // namespace

TEST(Cli, ImportOfAnEmptyFolderRunsEveryStepAndEndsWithItsMessage) {
    test::TempDir dir;
    const std::string db = dir.File("NEW.FDB");
    std::filesystem::create_directory(dir.path() / "empty");
    ASSERT_EQ(Cli({"create-database", db}).status, kExitOk);

    const auto run = Cli({"import", "--database", db, "--source", dir.File("empty"), "--yes", "--log",
                          dir.File("run.log")});
    EXPECT_EQ(run.status, kExitRefused) << run.err;
    EXPECT_EQ(CountLines(run.out), 33);
    EXPECT_EQ(run.out.rfind("DEBUT import doImportationUsers\n", 0), 0u);
    EXPECT_NE(run.err.find("message: Aucun des fichiers cochés n'est dans"), std::string::npos) << run.err;
    EXPECT_EQ(dir.Read("run.log"), run.out);

    // Without --yes and without a terminal (the real program, its input not a terminal) the question is answered
    // "Non": nothing is done, and the last message says so and names --yes.
    test::ChildProcess child({"import", "--database", db, "--source", dir.File("empty")});
    EXPECT_EQ(child.Wait(), kExitRefused);
    EXPECT_EQ(child.Out(), "");
    const std::string err = child.Err();
    EXPECT_EQ(err.rfind("message: Avez-vous fermé Clinova ?\n", 0), 0u) << err;
    const std::string last = err.substr(err.rfind("message: "));
    EXPECT_EQ(last, "message: La question ne peut pas être posée (pas de terminal) : réponse \"Non\". Relancer avec "
                    "--yes pour répondre \"Oui\".\n");
}

TEST(Cli, UsageErrors) {
    test::TempDir dir;
    EXPECT_EQ(Cli({}).status, kExitUsage);
    EXPECT_EQ(Cli({"frobnicate"}).status, kExitUsage);
    EXPECT_EQ(Cli({"import", "--database", "x.fdb"}).status, kExitUsage); // no --source
    EXPECT_EQ(Cli({"import", "--source", dir.Folder(), "--set", "cbNoSuchBox=1"}).status, kExitUsage);
    EXPECT_EQ(Cli({"import", "--source", dir.Folder(), "--set", "cbAjout=oui"}).status, kExitUsage);
    EXPECT_EQ(Cli({"import", "--source", dir.Folder(), "--skip", "NOPE.TXT"}).status, kExitUsage);
    EXPECT_EQ(Cli({"test-access", "--server", "10.0.0"}).status, kExitUsage);
    // An empty path would fall back to the window's Windows default and look for a host "C".
    for (const char *empty : {"", "  "}) {
        const auto run = Cli({"test-access", "--database", empty});
        EXPECT_EQ(run.status, kExitUsage);
        EXPECT_TRUE(run.Said("--database attend le chemin de la base de données")) << run.err;
    }
}

// The English words a help or an error of the parser would hold; command and option names (hyphenated, or
// after "--") are the program's own and are left out of the scan.
static std::vector<std::string> EnglishWordsIn(const std::string &text) {
    static const std::regex name(R"((^|[\s,\[(])(-[-\w]*|[\w.]+-[-\w.]+))");
    const std::string prose = std::regex_replace(text, name, "$1");
    static const std::regex english(
        R"(\b(the|of|is|are|not|and|required|must|file|files|folder|database|usage|subcommands?|expected|missing|)"
        R"(argument was|print|exit|this|with|without|help|TEXT|INT|REQUIRED|Positionals)\b|\bOptions:)",
        std::regex::icase);
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(prose.begin(), prose.end(), english); it != std::sregex_iterator(); ++it)
        found.push_back(it->str());
    return found;
}

TEST(Cli, HelpAndUsageErrorsAreFrench) {
    ASSERT_EQ(EnglishWordsIn("Usage: x\nOptions:\n  --source TEXT REQUIRED the folder"),
              (std::vector<std::string>{"Usage", "Options:", "TEXT", "REQUIRED", "the", "folder"}));
    const auto help = Cli({"--help"});
    EXPECT_EQ(help.status, kExitOk);
    EXPECT_NE(help.out.find("Utilisation : clinova-import"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("Commandes :"), std::string::npos) << help.out;
    for (const char *example : {"import --database", "check --source", "--resume", "--rehearse", "--server"})
        EXPECT_NE(help.out.substr(help.out.find("Exemples :")).find(example), std::string::npos) << example;
    const auto importHelp = Cli({"import", "--help"});
    EXPECT_EQ(importHelp.status, kExitOk);
    EXPECT_NE(importHelp.out.find("--source RÉPERTOIRE OBLIGATOIRE"), std::string::npos) << importHelp.out;
    EXPECT_EQ(importHelp.out.find("Exemples"), std::string::npos) << "the examples end the program's help only";
    for (const auto &run : {help, importHelp}) {
        EXPECT_EQ(EnglishWordsIn(run.out), std::vector<std::string>{}) << run.out;
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);)
            EXPECT_LE(std::regex_replace(line, std::regex("[\x80-\xBF]"), "").size(), 80u) << line;
    }

    test::TempDir dir;
    const std::vector<std::pair<std::vector<std::string>, std::string>> errors{
        {{"import", "--database", "x.fdb"}, "--source est obligatoire"},
        {{"--database", "x.fdb", "frobnicate"}, "Commande inconnue : frobnicate"},
        {{}, "Une commande est obligatoire"},
        {{"--frob"}, "Option inconnue : --frob"},
        {{"create-database"}, "CHEMIN est obligatoire"},
        {{"check", "--source"}, "Valeur manquante pour --source"},
        {{"check", "--source", dir.Folder(), "--frob"}, "Option inconnue : --frob"},
        {{"create-database", "x.fdb", "--build", "abc"}, "Valeur incorrecte pour --build : abc"},
        {{"import", "--source", dir.Folder(), "--resume", "--rehearse"},
         "--resume et --rehearse ne peuvent pas aller ensemble"},
    };
    for (const auto &[args, said] : errors) {
        const auto run = Cli(args);
        EXPECT_EQ(run.status, kExitUsage) << said;
        EXPECT_TRUE(run.Said("clinova-import: " + said)) << run.err;
        EXPECT_EQ(EnglishWordsIn(run.err), std::vector<std::string>{}) << run.err;
    }
}

// The commands are those scripts rely on, each maintenance action of the table among them with the table's
// options, and --backup offered to the actions that back the database up first.
TEST(Cli, EveryMaintenanceActionIsACommandWithItsOptions) {
    const auto help = Cli({"--help"});
    std::set<std::string> commands;
    static const std::regex listed(R"(\n  ([a-z][-a-z]+)  )");
    for (auto it = std::sregex_iterator(help.out.begin(), help.out.end(), listed); it != std::sregex_iterator(); ++it)
        commands.insert((*it)[1]);
    EXPECT_EQ(commands, (std::set<std::string>{"import", "check", "create-database", "test-access", "empty-tables",
                                               "purge-accounting", "purge-site", "regenerate-summaries",
                                               "fill-cities", "restore", "generate-test-files"}))
        << help.out;
    for (const MaintenanceAction &action : MaintenanceActions()) {
        const auto own = Cli({action.command, "--help"});
        EXPECT_EQ(own.status, kExitOk) << action.command;
        bool ownBackup = false;
        for (const ActionOption &option : action.options) {
            EXPECT_NE(own.out.find(option.name), std::string::npos) << action.command << " " << option.name;
            ownBackup |= std::string(option.name) == "--backup";
        }
        EXPECT_EQ(own.out.find("d'abord une sauvegarde de la base") != std::string::npos, action.backsUp)
            << action.command;
        EXPECT_EQ(own.out.find("--backup") != std::string::npos, action.backsUp || ownBackup) << action.command;
    }
}

// The version the program gives is the one project() sets, whatever command or option comes with it.
TEST(Cli, VersionIsTheProjectVersion) {
    std::ifstream cmake(std::string(CLINOVA_SOURCE_DIR) + "/CMakeLists.txt");
    const std::string text(std::istreambuf_iterator<char>(cmake), {});
    std::smatch match;
    ASSERT_TRUE(std::regex_search(text, match, std::regex(R"(project\(ClinovaImportation VERSION ([0-9.]+))")));
    for (const auto &args : std::vector<std::vector<std::string>>{{"--version"}, {"check", "--version"}}) {
        const auto run = Cli(args);
        EXPECT_EQ(run.status, kExitOk);
        EXPECT_EQ(run.out, "clinova-import " + match[1].str() + "\n");
        EXPECT_EQ(run.err, "");
    }
}

TEST(Cli, ConnectionFailuresEndTheActionWithTheClientMessage) {
    test::TempDir dir;
    for (const auto &args : std::vector<std::vector<std::string>>{
             {"test-access", "--database", dir.File("NONE.FDB")},
             {"test-access", "--server", "127.0.0.1/1", "--database", dir.File("NONE.FDB")},
             {"import", "--database", dir.File("NONE.FDB"), "--source", dir.Folder(), "--yes"}}) {
        const auto run = Cli(args);
        EXPECT_EQ(run.status, kExitRefused) << args[0];
        EXPECT_EQ(run.out, "") << "no log line for a connection failure";
        EXPECT_NE(run.err.find("message: "), std::string::npos);
        EXPECT_EQ(run.err.find("qordimtex"), std::string::npos) << "the password is never shown";
    }
}

// Each failure a technician meets is said in French, with what to do, before the server's own words; a path that
// names another machine is said so before any connection is tried.
TEST(Cli, DatabaseErrorsAreExplainedBeforeTheServersWords) {
    test::TempDir dir;
    dir.Write("NOTABASE.FDB", std::string(16384, 'x'));
    const std::string leadIn = "message: Connexion impossible à la base de données : ";
    const std::string server = "\nMessage du serveur : ";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--database", dir.File("NONE.FDB")}, "le fichier de la base de données est introuvable ou illisible"},
        {{"--server", "127.0.0.1/1", "--database", dir.File("NONE.FDB")},
         "le serveur ne répond pas ou refuse la connexion"},
        {{"--database", dir.File("NOTABASE.FDB")}, "ce fichier n'est pas une base de données Firebird"},
    };
    for (const auto &[options, said] : cases) {
        std::vector<std::string> args{"test-access"};
        args.insert(args.end(), options.begin(), options.end());
        const auto run = Cli(args);
        EXPECT_EQ(run.status, kExitRefused) << said;
        EXPECT_TRUE(run.Said(leadIn + said)) << run.err;
        EXPECT_TRUE(run.Said(server)) << run.err;
    }

    for (const auto &[path, said] : std::vector<std::pair<std::string, std::string>>{
             {"C:\\Clinova\\CLINOVA.CN2", "» est celui d'un ordinateur Windows, pas de cet ordinateur : choisir"},
             {"autre:/base/CLINOVA.CN2", "» désigne une base sur l'ordinateur « autre » : choisir"}}) {
        const auto run = Cli({"import", "--database", path, "--source", dir.Folder(), "--yes"});
        EXPECT_EQ(run.status, kExitRefused) << path;
        EXPECT_TRUE(run.Said(leadIn + "le chemin « " + path + " " + said)) << run.err;
        EXPECT_FALSE(run.Said(server)) << "no connection is tried";
    }
    const auto noPath = Cli({"test-access", "--server", "127.0.0.1"});
    EXPECT_EQ(noPath.status, kExitUsage);
    EXPECT_TRUE(noPath.Said("--server attend aussi --database")) << noPath.err;
}

TEST(Cli, CreateDatabaseSaysWhatItCreated) {
    test::TempDir dir;
    const auto run = Cli({"create-database", dir.File("NEW.FDB"), "--build", "90"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(run.out, "Base de données créée : " + dir.File("NEW.FDB") +
                           "\nVersion du schéma (BUILD) : 90\nVétérinaire : ID 1, VETO (VETERINAIRE)\n");
}

TEST(Cli, CreateDatabaseNeverOverwritesAFile) {
    test::TempDir dir;
    dir.Write("BASE.FDB", "practice data");
    EXPECT_EQ(Cli({"create-database", dir.File("BASE.FDB")}).status, kExitRefused);
    EXPECT_EQ(dir.Read("BASE.FDB"), "practice data");
}

TEST(Cli, TestFilesAreWrittenIntoTheChosenFolder) {
    test::TempDir dir;
    EXPECT_EQ(Cli({"generate-test-files", "--output", dir.path().string()}).status, kExitOk);
    for (const char *name : {"CLIENTS.TXT", "ANIMAUX.TXT", "CONSULTATIONS.TXT"})
        EXPECT_EQ(CountLines(dir.Read(name)), 11) << name;
    EXPECT_EQ(Cli({"generate-test-files", "--output", dir.File("missing/folder")}).status, kExitRefused);
}

TEST(Cli, SampleCatalogueAndSummaryRegeneration) {
    test::TempDir dir;
    const std::string db = dir.File("DEMO.FDB");
    ASSERT_EQ(Cli({"create-database", db, "--sample-catalogue"}).status, kExitOk);
    const auto refused = Cli({"regenerate-summaries", "--database", db});
    EXPECT_EQ(refused.status, kExitRefused) << "without --yes and without a terminal the answer is Non";
    const auto run = Cli({"regenerate-summaries", "--database", db, "--yes"});
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(Cli({"regenerate-summaries", "--database", dir.File("NONE.FDB"), "--yes"}).status, kExitRefused);
}
