// clinova-import check, in-process: the pre-flight check of a folder, without any database.
#include "cli/CliApp.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"
#include "normalized/Win1252.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include <unistd.h>

using namespace clinova;

namespace {

using test::CliRun;

CliRun Cli(const std::vector<std::string> &args) { return test::RunCommand(args); }

std::map<std::string, std::string> Contents(const test::TempDir &dir) {
    std::map<std::string, std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(dir.path()))
        files[entry.path().filename().string()] = dir.Read(entry.path().filename().string());
    return files;
}

} // namespace

TEST(CliCheck, TheSamplePracticeHasProblemsAndIsLeftAsItWas) {
    test::TempDir dir;
    std::filesystem::copy(CLINOVA_SOURCE_DIR "/examples/practice", dir.path());
    const auto before = Contents(dir);

    const auto run = Cli({"check", "--source", dir.Folder(), "--log", dir.File("check.log")});
    EXPECT_EQ(run.status, kExitLinesFailed) << run.err;
    EXPECT_EQ(run.err, "");
    // Log lines are UTF-8 on the terminal.
    EXPECT_NE(run.out.find("CLIENTS.TXT/ligne 5/DATE_CREATION : '31/02/2020' n'est pas une date correcte\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("\nRENDEZ_VOUS.TXT : 8 lues, 1 à corriger\n"), std::string::npos) << run.out;
    const std::string last = "17 ligne(s) à corriger, 0 problème(s) de fichier\n";
    ASSERT_GE(run.out.size(), last.size());
    EXPECT_EQ(run.out.substr(run.out.size() - last.size()), last);
    EXPECT_EQ(dir.Read("check.log"), run.out);

    auto after = Contents(dir);
    after.erase("check.log");
    // The report names every line to correct.
    EXPECT_NE(after["RAPPORT_IMPORTATION.html"].find("ligne 5 : DATE_CREATION : &#39;31/02/2020&#39; n&#39;est pas"),
              std::string::npos);
    after.erase("RAPPORT_IMPORTATION.html");
    // Its findings stay in VERIFICATION.TXT for the import that follows, which clears the log.
    EXPECT_NE(ToUtf8(after["VERIFICATION.TXT"])
                  .find("\r\nCLIENTS.TXT/ligne 5/DATE_CREATION : '31/02/2020' n'est pas une date correcte\r\n"),
              std::string::npos);
    after.erase("VERIFICATION.TXT");
    EXPECT_EQ(after, before) << "the check writes nothing else into the folder";

    // Skipping the files with problems leaves none; settings reach the check as they reach an import.
    const auto clean = Cli({"check",          "--source", dir.Folder(),        "--skip",
                            "CLIENTS.TXT",    "--skip",   "animaux.txt",       "--set",
                            "cbPOIDS=0",      "--skip",   "CONSULTATIONS.TXT", "--skip",
                            "NOTES.TXT",      "--skip",   "EVENEMENTS.TXT",    "--skip",
                            "RELANCES.TXT",   "--skip",   "TARIFS_ACTES.TXT",  "--skip",
                            "RENDEZ_VOUS.TXT"});
    EXPECT_EQ(clean.status, kExitOk) << clean.out;
    EXPECT_EQ(clean.out.find("CLIENTS.TXT"), std::string::npos);
    EXPECT_EQ(clean.out.find("POIDS.TXT"), std::string::npos);
    EXPECT_NE(clean.out.find("\nAucun problème trouvé\n"), std::string::npos) << clean.out;
}

TEST(CliCheck, UsageErrorsAndUnreadableFiles) {
    test::TempDir dir;
    EXPECT_EQ(Cli({"check"}).status, kExitUsage);
    EXPECT_EQ(Cli({"check", "--source", dir.File("absent")}).status, kExitUsage);
    EXPECT_EQ(Cli({"check", "--source", dir.Folder(), "--skip", "NOPE.TXT"}).status, kExitUsage);
    EXPECT_EQ(Cli({"check", "--source", dir.Folder(), "--set", "cbNoSuchBox=1"}).status, kExitUsage);

    // A file that cannot be read ends the check with its message (only a user other than root is refused).
    if (::geteuid() != 0) {
        dir.Write("VILLES.TXT", "CODE_POSTAL\tVILLE\r\n");
        std::filesystem::permissions(dir.File("VILLES.TXT"), std::filesystem::perms::none);
        const auto denied = Cli({"check", "--source", dir.Folder()});
        EXPECT_EQ(denied.status, kExitRefused);
        EXPECT_NE(denied.err.find("message: "), std::string::npos);
    }
}
