// "Sauvegarder la base avant" in the engine: where the backup goes, what the wait window and the log show of
// it, and which actions it comes before.

#include "app/DatabaseActions.h"
#include "run/ImportRun.h"
#include "cleaning/CleaningFixture.h"
#include "cleaning/EmptyTables.h"
#include "database/DatabaseBackup.h"
#include "support/BackupSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

using namespace clinova;
using namespace clinova::test;

namespace {

bool Contains(const std::vector<std::string> &lines, const std::string &line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST(BackupBeforeAction, TheFileIsTheOneTypedOrOneBesideTheDatabase) {
    const DateTime at{Date{2024, 3, 5}, 9, 7, 3, 0};
    EXPECT_EQ(DefaultBackupPath("C:\\Program Files (x86)\\Clinova 2\\Database\\BASE.CN2", at),
              "C:\\Program Files (x86)\\Clinova 2\\Database\\BASE_20240305_090703.fbk");
    EXPECT_EQ(DefaultBackupPath("/data/clinova.base.fdb", at), "/data/clinova.base_20240305_090703.fbk");
    EXPECT_EQ(DefaultBackupPath("BASE", at), "BASE_20240305_090703.fbk");

    TempDir dir;
    ImportOptions o;
    o.edPathNameDatabase = dir.File("BASE.FDB");
    EXPECT_EQ(BackupFilePath(o, at), dir.File("BASE_20240305_090703.fbk"));
    // Two actions in the same second: the second backup goes beside the first.
    dir.Write("BASE_20240305_090703.fbk", "first");
    dir.Write("BASE_20240305_090703_2.fbk", "second");
    EXPECT_EQ(BackupFilePath(o, at), dir.File("BASE_20240305_090703_3.fbk"));
    o.edPathSauvegarde = " D:\\Sauvegardes\\avant import.fbk";
    EXPECT_EQ(BackupFilePath(o, at), " D:\\Sauvegardes\\avant import.fbk");
}

TEST(BackupBeforeAction, TheWaitWindowFollowsItAndAnInterruptionKeepsTheActionFromStarting) {
    CleaningFixture f;
    f.Fill("CLIENTS", 1, 3);
    f.state.options.cbSauvegardeAvant = true;
    f.state.options.edPathSauvegarde = f.tdb.Dir().File("BEFORE.fbk");
    f.op.interruptAtWaitMessage = "Sauvegarde : table ";

    EXPECT_EQ(EmptyTables(f.state, true), CleaningOutcome::Interrupted);
    EXPECT_EQ(f.Count("CLIENTS"), 3);
    // The wait window showed once, for the backup, its report line by line.
    EXPECT_EQ(f.op.waitShown, 1);
    EXPECT_EQ(f.op.waitHidden, 1);
    EXPECT_EQ(f.op.waitMessages.front(), "Sauvegarde de la base de données...");
    // Its progress in French: the structure read, each table with its rows, the end; never the service's own
    // (English) lines.
    const auto &shown = f.op.waitMessages;
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](const std::string &m) {
        return std::regex_match(m, std::regex("Sauvegarde : table [0-9]+/[0-9]+ CLIENTS : 3 lignes \\([0-9]+ en tout\\)"));
    }));
    EXPECT_TRUE(std::regex_match(shown.back(), std::regex("Sauvegarde : fin de l'écriture \\([0-9]+ lignes en tout\\)")))
        << shown.back();
    for (const std::string &m : shown)
        EXPECT_FALSE(std::regex_search(m, std::regex("writing|records|domain|generator|gbak|RDB\\$"))) << m;
    ASSERT_EQ(f.op.log.size(), 3u);
    EXPECT_EQ(f.op.log[0], "Sauvegarde de la base de données dans " + f.tdb.Dir().File("BEFORE.fbk"));
    EXPECT_EQ(f.op.log[1].rfind("Sauvegarde terminée en ", 0), 0u) << f.op.log[1];
    EXPECT_EQ(f.op.log[2], "SAUVEGARDE/interruption de la procédure");

    // The backup the operator interrupted was still written to its end.
    const std::string restored = f.tdb.Dir().File("RESTORED.FDB");
    DatabaseBackup({}).Restore(f.tdb.Dir().File("BEFORE.fbk"), restored, {});
    EXPECT_EQ(TakeSnapshot(restored), TakeSnapshot(f.tdb.Path()));
}

TEST(BackupBeforeAction, ItComesAfterTheQuestionsAndOnlyBeforeWhatDeletes) {
    CleaningFixture f;
    f.Fill("CLIENTS", 1, 3);
    f.state.options.cbSauvegardeAvant = true;
    const std::string file = f.tdb.Dir().File("BEFORE.fbk");
    f.state.options.edPathSauvegarde = file;

    // "Non" to the question: no backup, nothing touched.
    f.op.answers = {mbNon};
    EXPECT_EQ(btnImportationClick(f.state), RunOutcome::Refused);
    f.op.answers = {mbOui, mbNon};
    EXPECT_EQ(EmptyTables(f.state, true), CleaningOutcome::Refused);
    EXPECT_FALSE(std::filesystem::exists(file));
    // "sauf compta": the accounting button deletes nothing, so it keeps no copy either.
    f.state.options.cbSaufCompta = true;
    EXPECT_EQ(EmptyTables(f.state, false), CleaningOutcome::Done);
    EXPECT_FALSE(std::filesystem::exists(file));

    // An import with nothing ticked: the backup is made first, then the run goes on as usual, to its refusal.
    EXPECT_EQ(btnImportationClick(f.state), RunOutcome::Refused);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(f.op.log.front(), "Sauvegarde de la base de données dans " + file);
    EXPECT_TRUE(Contains(f.op.log, "DEBUT import doImportationUsers"));
}
