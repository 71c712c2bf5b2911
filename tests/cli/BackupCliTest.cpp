// --backup before the import and the actions that delete, and restore: the backup gives back the database as
// it was before the action, by gbak -c and by clinova-import restore; a backup that fails keeps the action from
// touching anything.

#include "cli/CliApp.h"
#include "support/BackupSupport.h"
#include "support/ChildProcess.h"
#include "support/CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <thread>

using namespace clinova;
using namespace clinova::test;

namespace {

const std::filesystem::path kExamples = std::filesystem::path(CLINOVA_SOURCE_DIR) / "examples";

// A practice's database: the sample practice imported, and some accounting of two sites.
struct PracticeDatabase {
    TestDatabase tdb;
    std::string sources = (tdb.Dir().path() / "practice" / "").string();

    PracticeDatabase() {
        std::filesystem::copy(kExamples / "practice", sources);
        const auto import = Run({"import", "--source", sources, "--users", (kExamples / "users.txt").string()});
        EXPECT_EQ(import.status, kExitLinesFailed) << import.err;
        for (const char *sql : {"insert into FACTURES (ID, ID_SITE, DATE_FACTURE) values (1, 1, '2020-01-01')",
                                "insert into FACTURES (ID, ID_SITE, DATE_FACTURE) values (2, 2, '2021-06-30')",
                                "insert into ECRITURES (ID, ID_SITE, DATE_MOUVEMENT) values (1, 1, '2020-01-02')"})
            tdb.Exec(sql);
    }

    CliRun Run(std::vector<std::string> args) const {
        args.insert(args.end(), {"--database", tdb.Path(), "--yes"});
        return RunCommand(args);
    }
    std::string File(const std::string &name) { return tdb.Dir().File(name); }
};

} // namespace

TEST(BackupCli, TheBackupBeforeEmptyingGivesBackTheDatabaseAsItWas) {
    PracticeDatabase practice;
    const Snapshot before = TakeSnapshot(practice.tdb.Path());
    ASSERT_GT(before.at("CLIENTS").size(), 30u);
    ASSERT_GT(before.at("CONSULT").size(), 100u);

    const std::string backup = practice.File("BEFORE.fbk");
    const auto emptied = practice.Run({"empty-tables", "--backup", backup});
    ASSERT_EQ(emptied.status, kExitOk) << emptied.err;
    EXPECT_NE(emptied.out.find("Sauvegarde de la base de données dans " + backup), std::string::npos) << emptied.out;
    EXPECT_NE(emptied.out.find("Sauvegarde terminée en "), std::string::npos) << emptied.out;
    EXPECT_TRUE(TakeSnapshot(practice.tdb.Path()).at("CLIENTS").empty());

    if (GbakInstalled()) {
        ASSERT_EQ(RestoreWithGbak(backup, practice.File("GBAK.FDB")), 0);
        EXPECT_EQ(TakeSnapshot(practice.File("GBAK.FDB")), before);
    }
    const std::string restored = practice.File("RESTORED.FDB");
    const auto restore = RunCommand({"restore", "--backup", backup, "--database", restored});
    ASSERT_EQ(restore.status, kExitOk) << restore.err;
    EXPECT_EQ(TakeSnapshot(restored), before);

    // Never over an existing database; both files are needed.
    const auto again = RunCommand({"restore", "--backup", backup, "--database", restored});
    EXPECT_EQ(again.status, kExitRefused);
    EXPECT_TRUE(again.Said("message: La restauration de la sauvegarde a échoué : La base de données existe déjà"))
        << again.err;
    EXPECT_EQ(RunCommand({"restore", "--backup", backup}).status, kExitUsage);
    EXPECT_EQ(RunCommand({"restore", "--database", practice.File("OTHER.FDB")}).status, kExitUsage);
    EXPECT_FALSE(std::filesystem::exists(practice.File("OTHER.FDB")));

    // Ticked without a path: beside the database, named after it and the date and time.
    ASSERT_EQ(practice.Run({"purge-site", "--site", "2", "--set", "cbSauvegardeAvant=1"}).status, kExitOk);
    int beside = 0;
    for (const auto &entry : std::filesystem::directory_iterator(practice.tdb.Dir().path()))
        if (std::regex_match(entry.path().filename().string(), std::regex(R"(TEST_\d{8}_\d{6}\.fbk)")) &&
            entry.file_size() > 0)
            ++beside;
    EXPECT_EQ(beside, 1);
}

TEST(BackupCli, ABackupThatFailsKeepsEveryActionFromChangingAnything) {
    PracticeDatabase practice;
    const Snapshot before = TakeSnapshot(practice.tdb.Path());
    const auto sourceFiles = [&] {
        std::set<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(practice.sources))
            names.insert(entry.path().filename().string());
        return names;
    };
    const auto filesBefore = sourceFiles();
    practice.tdb.Dir().Write("EARLIER.fbk", "an earlier backup");

    const std::string unwritable = practice.File("absent/BEFORE.fbk");
    const std::vector<std::vector<std::string>> actions = {
        {"import", "--source", practice.sources, "--users", (kExamples / "users.txt").string(), "--again", "--backup",
         unwritable},
        {"empty-tables", "--backup", unwritable},
        {"empty-tables", "--accounting-only", "--backup", unwritable},
        {"purge-accounting", "--before", "01/01/2030", "--backup", unwritable},
        {"purge-site", "--site", "1", "--backup", unwritable},
        // An earlier backup is never written over.
        {"empty-tables", "--backup", practice.File("EARLIER.fbk")},
    };
    for (const auto &args : actions) {
        SCOPED_TRACE(args.front() + " " + args.back());
        const auto run = practice.Run(args);
        EXPECT_EQ(run.status, kExitRefused);
        // The backup's first line, then its failure, and nothing else (before them, the import's --again).
        const std::string out = run.out.substr(std::min(run.out.find("Sauvegarde de la base"), run.out.size()));
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << run.out;
        EXPECT_EQ(out.find("SAUVEGARDE/"), out.find('\n') + 1) << run.out;
        EXPECT_EQ(out.find(".partiel"), std::string::npos) << run.out;
        EXPECT_TRUE(run.Said("message: La sauvegarde de la base de données a échoué, rien n'a été modifié : "))
            << run.err;
        EXPECT_EQ(TakeSnapshot(practice.tdb.Path()), before);
    }
    EXPECT_EQ(sourceFiles(), filesBefore) << "the refused import wrote into the source folder";
    EXPECT_EQ(practice.tdb.Dir().Read("EARLIER.fbk"), "an earlier backup");
    EXPECT_FALSE(std::filesystem::exists(practice.File("absent")));
}

// The real program killed during its backup leaves no file under the backup's name, and the same command then
// writes it; a restore from a file that is no backup ends with its message, every time, never with a crash.
TEST(BackupCli, AKilledBackupLeavesNoBackupUnderItsNameAndABadRestoreNeverCrashes) {
    PracticeDatabase practice;
    const std::string backup = practice.File("KILLED.fbk");
    // An action that deletes nothing here: a backup that ends before the kill changes nothing either.
    const std::vector<std::string> args = {"purge-site", "--site", "9", "--backup", backup,
                                           "--database", practice.tdb.Path(), "--yes"};
    bool killedDuring = false;
    for (int attempt = 0; attempt < 5 && !killedDuring; ++attempt) {
        std::filesystem::remove(backup);
        ChildProcess child(args);
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!std::filesystem::exists(backup + ".partiel") && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        child.Signal(SIGKILL);
        killedDuring = child.Wait() == 128 + SIGKILL && !std::filesystem::exists(backup);
    }
    ASSERT_TRUE(killedDuring) << "the backup always ended before the kill";
    ChildProcess again(args);
    EXPECT_EQ(again.Wait(), kExitOk) << again.Err();
    EXPECT_GT(std::filesystem::file_size(backup), 10000u);
    EXPECT_FALSE(std::filesystem::exists(backup + ".partiel"));

    practice.tdb.Dir().Write("EMPTY.fbk", "");
    practice.tdb.Dir().Write("NOT_A_BACKUP.fbk", std::string(4096, 'z'));
    for (int run = 0; run < 10; ++run) {
        const std::string file = practice.File(run % 2 ? "EMPTY.fbk" : "NOT_A_BACKUP.fbk");
        ChildProcess restore({"restore", "--backup", file, "--database", practice.File("RESTORED.FDB")});
        EXPECT_EQ(restore.Wait(), kExitRefused) << restore.Err();
        EXPECT_NE(restore.Err().find("message: "), std::string::npos) << restore.Err();
        EXPECT_FALSE(std::filesystem::exists(practice.File("RESTORED.FDB")));
    }
}
