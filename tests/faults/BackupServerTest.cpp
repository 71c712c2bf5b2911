// The backup before an action through a real Firebird server: the server writes it on its own disk, beside the
// database or where it is told, and it gives back the database as it was, restored through the server or by
// gbak -c; a backup the server cannot write keeps the action from deleting anything.

#include "faults/FaultSupport.h"
#include "faults/PrivateServer.h"

#include "app/DatabaseActions.h"
#include "cleaning/EmptyTables.h"
#include "cleaning/SitePurge.h"
#include "support/BackupSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

using namespace clinova;
using namespace clinova::test;

TEST(BackupServer, TheServersBackupGivesBackTheDatabaseAsItWas) {
    ServerCase c;
    // The practice imported before the server holds the database.
    {
        ScriptedOperator op;
        RunState state(op);
        state.options.edPathNameDatabase = c.path;
        CarefulSettings(state.options);
        ScanSourceFolder(state, c.sources);
        ASSERT_EQ(btnImportationClick(state), RunOutcome::CompletedWithFailures);
    }
    c.Start();
    if (IsSkipped() || HasFatalFailure())
        return;
    auto &[dir, path, sources, server] = c;
    const Snapshot before = TakeSnapshot(server.Database(path));
    ASSERT_GT(before.at("CLIENTS").size(), 30u);

    const std::string backup = dir.File("SERVER.fbk");
    ScriptedOperator op;
    RunState state(op);
    server.Select(state.options, path);
    state.options.cbSauvegardeAvant = true;
    state.options.edPathSauvegarde = backup;
    ASSERT_EQ(EmptyTables(state, true), CleaningOutcome::Done) << (op.messages.empty() ? "" : op.messages.back());
    EXPECT_EQ(op.log.at(1).rfind("Sauvegarde terminée en ", 0), 0u) << op.log.at(1);
    EXPECT_TRUE(TakeSnapshot(server.Database(path)).at("CLIENTS").empty());
    EXPECT_TRUE(std::filesystem::exists(backup));

    // Restored through the server into a new database; never over an existing one.
    const std::string restored = dir.File("RESTORED.FDB");
    ScriptedOperator restoring;
    RunState restore(restoring);
    server.Select(restore.options, restored);
    ASSERT_TRUE(RestoreBackup(restore, backup)) << restoring.messages.back();
    EXPECT_EQ(TakeSnapshot(server.Database(restored)), before);
    server.Select(restore.options, path);
    EXPECT_FALSE(RestoreBackup(restore, backup));
    EXPECT_NE(restoring.messages.back().find("La base de données existe déjà"), std::string::npos);
    EXPECT_TRUE(TakeSnapshot(server.Database(path)).at("CLIENTS").empty());

    // A folder the server does not have: nothing of the restored practice is deleted.
    ScriptedOperator failing;
    RunState refused(failing);
    server.Select(refused.options, restored);
    refused.options.cbSauvegardeAvant = true;
    refused.options.edPathSauvegarde = dir.File("absent/SERVER.fbk");
    EXPECT_EQ(EmptyTables(refused, true), CleaningOutcome::Failed);
    ASSERT_EQ(failing.log.size(), 2u);
    EXPECT_EQ(failing.log[1].rfind("SAUVEGARDE/", 0), 0u) << failing.log[1];
    EXPECT_EQ(TakeSnapshot(server.Database(restored)), before);

    // Ticked without a path: the server writes it beside the database, named after it.
    refused.options.edPathSauvegarde.clear();
    EXPECT_EQ(XiButton6Click(refused), CleaningOutcome::Done);
    int beside = 0;
    for (const auto &entry : std::filesystem::directory_iterator(dir.path()))
        beside += std::regex_match(entry.path().filename().string(), std::regex(R"(RESTORED_\d{8}_\d{6}\.fbk)"));
    EXPECT_EQ(beside, 1);

    // The server's file restores by hand as well.
    server.StopAndRelease(path);
    if (GbakInstalled()) {
        ASSERT_EQ(RestoreWithGbak(backup, dir.File("GBAK.FDB")), 0);
        EXPECT_EQ(TakeSnapshot(dir.File("GBAK.FDB")), before);
    }
}
