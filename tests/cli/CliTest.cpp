#include "cli/CliApp.h"
#include "support/ChildProcess.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

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
