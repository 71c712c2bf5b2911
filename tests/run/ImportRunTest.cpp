#include "import/ImportSteps.h"
#include "app/CorrespondenceFiles.h"
#include "app/DatabaseActions.h"
#include "run/ImportRun.h"
#include "app/RunState.h"
#include "run/SourceFolder.h"
#include "support/ScriptedOperator.h"
#include "database/Statement.h"
#include "support/TestDatabase.h"
#include "normalized/Win1252.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace clinova;

namespace {

struct RunFixture {
    test::TestDatabase tdb;
    test::ScriptedOperator op;
    RunState state{op};

    // A folder with one small file, or none (withFile false).
    explicit RunFixture(int build = 93, bool withFile = true) : tdb(build) {
        state.options.edPathNameDatabase = tdb.Path();
        if (withFile)
            tdb.Dir().Write("VILLES.TXT", "CODE_POSTAL\tVILLE\r\n17000\tLa Rochelle\r\n");
        ScanSourceFolder(state, tdb.Dir().Folder());
    }
    RunOutcome Import() { return btnImportationClick(state); }
};

std::vector<std::string> DebutFinLines() {
    std::vector<std::string> lines;
    for (const StepEntry *step : ImportSteps()) {
        lines.push_back(std::string("DEBUT import ") + step->name);
        lines.push_back(std::string("FIN import ") + step->name);
    }
    return lines;
}

} // namespace

TEST(ImportRun, NothingTickedWritesTheDebutFinLinesThenSaysSoAndIsRefused) {
    RunFixture run(93, false);
    run.op.log = {"an earlier line"};
    EXPECT_EQ(run.Import(), RunOutcome::Refused);
    const std::string noFile = ToUtf8(NoTickedFileText(run.state.PathSources));
    std::vector<std::string> expected = DebutFinLines();
    expected.push_back(noFile);
    EXPECT_EQ(run.op.log, expected);
    EXPECT_EQ(run.op.log[14], "DEBUT import doImpprtationNotes");
    ASSERT_EQ(run.op.messages.size(), 2u);
    EXPECT_EQ(run.op.messages[0], "\r\n\r\nAvez-vous fermé Clinova ?");
    EXPECT_EQ(run.op.messages[1], "\r\n\r\n" + noFile);
    for (const auto &entry : std::filesystem::directory_iterator(run.tdb.Dir().path()))
        EXPECT_NE(entry.path().filename().string().rfind("__", 0), 0u) << entry.path();
}

TEST(ImportRun, AnswerNonClearsTheLogAndTouchesNoDatabase) {
    test::ScriptedOperator op;
    RunState state(op);
    state.options.edPathNameDatabase = "/nonexistent/BASE.FDB";
    state.lists.fSourceIDClientList.Add("left from an earlier run");
    op.log = {"old"};
    op.answers = {mbNon};
    EXPECT_EQ(btnImportationClick(state), RunOutcome::Refused);
    EXPECT_TRUE(op.log.empty());
    EXPECT_EQ(state.lists.fSourceIDClientList.Count(), 0);
    EXPECT_EQ(op.messages.size(), 1u); // the question only: no connection error
}

TEST(ImportRun, BuildGate) {
    for (int build : {74, 78, 84, 94}) {
        RunFixture run(build);
        EXPECT_EQ(run.Import(), RunOutcome::Refused);
        EXPECT_TRUE(run.op.log.empty()) << build;
        EXPECT_EQ(run.op.messages.back(),
                  "\r\n\r\nVersion de la base de données incorrecte : base " + std::to_string(build));
    }
    for (int build : {75, 85, 93}) {
        RunFixture run(build);
        EXPECT_EQ(run.Import(), RunOutcome::Completed) << build;
        EXPECT_EQ(run.state.DatabaseBuild, build);
        EXPECT_EQ(run.state.AnimalInsertWithIdealWeight, build >= 85);
    }
    RunFixture none;
    none.tdb.Exec("delete from VERSION");
    EXPECT_EQ(none.Import(), RunOutcome::Refused);
    EXPECT_EQ(none.op.messages.back(), "\r\n\r\nVersion de la base de données incorrecte : base 0");
}

TEST(ImportRun, DefaultUserIsTheFirstVeterinarianOrTheTypedOne) {
    RunFixture run;
    run.tdb.Exec("delete from ADMINISTRATION");
    run.tdb.Exec("insert into ADMINISTRATION (ID, LOGINUSER, TYPE_USER) values (7, 'SEPT', 0)");
    run.tdb.Exec("insert into ADMINISTRATION (ID, LOGINUSER, TYPE_USER) values (3, 'TROIS', 0)");
    run.tdb.Exec("insert into ADMINISTRATION (ID, LOGINUSER, TYPE_USER) values (1, 'ASV', 2)");
    EXPECT_EQ(run.Import(), RunOutcome::Completed);
    EXPECT_EQ(run.state.IDDefaultUser, 3);
    EXPECT_EQ(run.state.LoginDefaultUser, "TROIS");

    run.state.options.edIDDefaultUser = " 1 ";
    run.Import();
    EXPECT_EQ(run.state.IDDefaultUser, 1);

    run.state.options.edIDDefaultUser = "42";
    EXPECT_EQ(run.Import(), RunOutcome::Refused);
    ASSERT_GE(run.op.messages.size(), 3u);
    EXPECT_EQ(run.op.messages[run.op.messages.size() - 2], "ID default USER inconnu dans la base");
    EXPECT_EQ(run.op.messages.back(),
              "\r\nAucun vétérinaire n'existe\r\ndans la base de données.\r\nIl faut créer cet utilisateur");
    EXPECT_TRUE(run.op.log.empty());
}

TEST(ImportRun, TypedDefaultUserIsNeverPastedIntoTheStatement) {
    RunFixture run;
    for (const char *typed : {"1 or 1=1", "1; delete from ADMINISTRATION", "0x1"}) {
        run.state.options.edIDDefaultUser = typed;
        EXPECT_EQ(run.Import(), RunOutcome::Refused) << typed;
        EXPECT_EQ(run.state.IDDefaultUser, -1);
        EXPECT_EQ(run.op.messages[run.op.messages.size() - 2], "ID default USER inconnu dans la base : exception");
    }
    EXPECT_EQ(run.tdb.Scalar("select count(*) from ADMINISTRATION"), "1");
}

TEST(ImportRun, ConnectionFailureIsShownWithoutLogLines) {
    test::ScriptedOperator op;
    RunState state(op);
    state.options.edPathNameDatabase = "/nonexistent/BASE.FDB";
    EXPECT_EQ(btnImportationClick(state), RunOutcome::Failed);
    EXPECT_TRUE(op.log.empty());
    ASSERT_EQ(op.messages.size(), 2u);
    EXPECT_NE(op.messages[1].find("BASE.FDB"), std::string::npos);
    EXPECT_FALSE(state.db.IsOpen());
}

TEST(AccessTest, ReportsVeterinarianOrItsAbsence) {
    RunFixture run;
    EXPECT_TRUE(btnTestClick(run.state));
    EXPECT_EQ(run.op.messages.back(), "\r\n\r\nAccès à la base de données : OK");
    EXPECT_FALSE(run.state.db.IsOpen());

    test::TestDatabase empty;
    empty.Exec("delete from ADMINISTRATION");
    run.state.options.edPathNameDatabase = empty.Path();
    EXPECT_TRUE(btnTestClick(run.state));
    EXPECT_EQ(run.state.IDDefaultUser, -1);
    EXPECT_EQ(run.op.messages.back(),
              "\r\nAucun vétérinaire n'existe\r\ndans la base de données.\r\nIl faut créer cet utilisateur");
}

TEST(CorrespondenceFiles, OnlyTickedGroupsAreWrittenAndFailuresAreLogged) {
    test::TempDir dir;
    test::ScriptedOperator op;
    RunState state(op);
    state.PathSources = dir.Folder();
    state.options.cbCLIENTS = {true, true};
    state.options.cbANIMAUX = {true, false};
    state.lists.fSourceIDClientList.Add("C1");
    state.lists.fDatabaseIDClientList.Add(101);
    // A folder where the client source file should go makes that one file fail.
    std::filesystem::create_directory(dir.path() / "__fSourceIDClientList.txt");
    SaveCorrespondenceLists(state);
    EXPECT_EQ(dir.Read("__fDatabaseIDClientList.txt"), "101\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "__fSourceIDAnimalList.txt"));
    ASSERT_EQ(op.log.size(), 1u);
    EXPECT_NE(op.log[0].find("__fSourceIDClientList.txt"), std::string::npos);
    EXPECT_EQ(op.log[0].rfind("Liste de correspondance non écrite : ", 0), 0u);
}

TEST(CommittingOperator, PendingRowsAreCommittedBeforeTheOperatorIsShownAnything) {
    test::TestDatabase tdb;
    tdb.Exec("create table T (ID integer)");
    test::ScriptedOperator op;
    RunState state(op);
    state.options.edPathNameDatabase = tdb.Path();
    OpenTargetDatabase(state);
    EXPECT_EQ(state.db.Policy(), CommitPolicy::Grouped);
    Statement ins(state.db, "insert into T (ID) values (1)");
    ins.Execute();
    ASSERT_GT(state.db.PendingRows(), 0);
    state.op.ShowMessage("x");
    EXPECT_EQ(state.db.PendingRows(), 0);
    EXPECT_EQ(tdb.Scalar("select count(*) from T"), "1");
    ins.Execute();
    state.op.HideWait();
    EXPECT_EQ(tdb.Scalar("select count(*) from T"), "2");
    state.db.Close();
}
