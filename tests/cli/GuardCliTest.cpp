// clinova-import in-process against the runs a technician may make by mistake: the same folder imported twice
// into the same database, a folder without any of the files.
#include "cli/CliApp.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace clinova;
using namespace clinova::test;

namespace {

std::vector<std::string> ImportArgs(const std::string &database, const std::string &folder,
                                    std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"import", "--database", database, "--source", folder, "--yes"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

int Clients(const TestDatabase &db) { return std::stoi(db.Scalar("select count(*) from CLIENTS")); }

} // namespace

TEST(CliGuard, TheSameFilesIntoTheSameDatabaseAreRefusedUntilAgainAndOtherwiseImported) {
    TempDir dir;
    const std::string folder = (dir.path() / "practice").string();
    std::filesystem::copy(CLINOVA_SOURCE_DIR "/examples/practice", folder);
    TestDatabase db;
    ASSERT_EQ(RunCommand(ImportArgs(db.Path(), folder)).status, kExitLinesFailed);
    const int once = Clients(db);
    ASSERT_GT(once, 0);

    // A copy of the folder is the same export.
    const std::string copy = (dir.path() / "copy").string();
    std::filesystem::copy(folder, copy);
    for (const std::string &source : {folder, copy}) {
        const CliRun again = RunCommand(ImportArgs(db.Path(), source));
        EXPECT_EQ(again.status, kExitRefused) << again.err;
        EXPECT_TRUE(again.Said("déjà été importés dans cette base")) << again.err;
        EXPECT_TRUE(again.Said("--again")) << again.err;
        EXPECT_TRUE(again.Said("cbDedoublonageClients=1")) << again.err;
        EXPECT_EQ(Clients(db), once);
    }

    EXPECT_EQ(RunCommand(ImportArgs(db.Path(), folder, {"--again"})).status, kExitLinesFailed);
    EXPECT_EQ(Clients(db), 2 * once) << "--again imports every record again";

    // Another database, or another export: no question.
    TestDatabase other;
    EXPECT_EQ(RunCommand(ImportArgs(other.Path(), folder)).status, kExitLinesFailed);
    EXPECT_EQ(Clients(other), once);
    std::ofstream(folder + "/CLIENTS.TXT", std::ios::app) << "C_NEW\tNOUVEAU\r\n";
    const CliRun changed = RunCommand(ImportArgs(other.Path(), folder));
    EXPECT_NE(changed.status, kExitRefused) << changed.err;
    EXPECT_GT(Clients(other), once);
}

TEST(CliGuard, AFolderHoldingNoneOfTheFilesEndsWithItsMessageAndWritesNothing) {
    TempDir dir;
    TestDatabase db;
    std::filesystem::create_directory(dir.path() / "empty");
    std::filesystem::create_directory(dir.path() / "wrong");
    dir.Write("wrong/notes.doc", "rien");
    for (const std::string name : {"empty", "wrong"}) {
        const std::string folder = (dir.path() / name).string();
        const auto before = std::distance(std::filesystem::directory_iterator(folder), {});
        for (const auto &args : {ImportArgs(db.Path(), folder), std::vector<std::string>{"check", "--source", folder}}) {
            const CliRun run = RunCommand(args);
            EXPECT_EQ(run.status, kExitRefused) << args[0] << " " << name << run.out << run.err;
            EXPECT_TRUE(run.Said("Aucun des fichiers cochés n'est dans")) << run.err;
            EXPECT_TRUE(run.Said("CLIENTS.TXT, ANIMAUX.TXT")) << run.err;
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), before) << name;
    }
    EXPECT_EQ(Clients(db), 0);
}
