#include "database/DatabaseError.h"
#include "database/DatabaseSetup.h"
#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "normalized/Win1252.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using namespace clinova;
using clinova::test::TestDatabase;

TEST(TargetDatabase, DatabaseNameOfBothModes) {
    ConnectionSettings local{.useIP = false, .ip = {}, .path = "C:\\base.cn2"};
    EXPECT_EQ(DatabaseName(local), "C:\\base.cn2");
    ConnectionSettings ip{.useIP = true, .ip = {" 10", "0 ", "0", "5"}, .path = "/data/base.fdb"};
    EXPECT_EQ(DatabaseName(ip), "10.0.0.5:/data/base.fdb");
}

TEST(TargetDatabase, SupportedBuilds) {
    for (int b : {75, 76, 77, 79, 83, 85, 93})
        EXPECT_TRUE(IsSupportedBuild(b)) << b;
    for (int b : {0, 74, 78, 84, 94})
        EXPECT_FALSE(IsSupportedBuild(b)) << b;
}

TEST(TargetDatabase, CreatedDatabaseHoldsItsBuildAndOneVeterinarian) {
    TestDatabase tdb(85);
    TargetDatabase db;
    db.Open(tdb.Path());
    EXPECT_EQ(ReadDatabaseBuild(db), 85);
    db.ExecuteImmediate("delete from VERSION");
    EXPECT_EQ(ReadDatabaseBuild(db), 0);
    db.Close();
    EXPECT_EQ(tdb.Scalar("select count(*) from ADMINISTRATION where TYPE_USER=0"), "1");
}

TEST(TargetDatabase, NullEmptyTextBlobAndRepeatedNames) {
    TestDatabase tdb;
    tdb.Exec("create table T (ID integer, A varchar(10), B varchar(10), M blob sub_type text, D date, "
             "TS timestamp, F double precision, N numeric(15,2))");
    TargetDatabase db;
    db.Open(tdb.Path());
    Statement ins(db, "insert into T (ID, A, B, M, D, TS, F, N) values (:ID, :A, :B, :M, :D, :TS, :F, :ID)");
    std::string big(100000, 'x');
    big[5] = '\xE9';
    ins.SetInt("ID", 7);
    ins.SetText("A", "");
    ins.SetNull("B");
    ins.SetBlob("M", big);
    ins.SetDate("D", Date{2021, 3, 5});
    ins.SetDateTime("TS", DateTime{Date{2021, 3, 5}, 9, 30, 15, 250});
    ins.SetDouble("F", 12.5);
    ins.Execute();
    db.CommitRetaining();

    Statement sel(db, "select * from T where ID = :ID and N = :ID");
    sel.SetInt("ID", 7);
    ASSERT_TRUE(sel.Open());
    EXPECT_FALSE(sel.IsNull("A"));
    EXPECT_EQ(sel.GetText("A"), "");
    EXPECT_TRUE(sel.IsNull("B"));
    EXPECT_EQ(sel.GetBlob("M"), big);
    EXPECT_EQ(sel.GetDate("D"), (Date{2021, 3, 5}));
    EXPECT_EQ(sel.GetDateTime("TS"), (DateTime{Date{2021, 3, 5}, 9, 30, 15, 250}));
    EXPECT_DOUBLE_EQ(sel.GetDouble("F"), 12.5);
    EXPECT_EQ(sel.GetText("N"), "7.00");
    EXPECT_FALSE(sel.Next());
    sel.Close();
    db.Close();
}

TEST(TargetDatabase, TextTooLongForItsColumnFailsInsteadOfBeingCut) {
    TestDatabase tdb;
    tdb.Exec("create table T (A varchar(3))");
    TargetDatabase db;
    db.Open(tdb.Path());
    Statement ins(db, "insert into T (A) values (:A)");
    ins.SetText("A", "abcd");
    EXPECT_THROW(ins.Execute(), DatabaseError);
    ins.SetText("A", "abc");
    ins.Execute();
    db.Close();
    EXPECT_EQ(tdb.Scalar("select A from T"), "abc");
}

TEST(TargetDatabase, GeneratorsAndMissingGenerator) {
    TestDatabase tdb;
    tdb.Exec("create generator G_TEST");
    TargetDatabase db;
    db.Open(tdb.Path());
    EXPECT_EQ(db.GetNewID("G_TEST"), 1);
    EXPECT_EQ(db.GetNewID("G_TEST"), 2);
    EXPECT_EQ(db.GetNewID("NO_SUCH_GENERATOR"), -1);
    EXPECT_EQ(db.GetNewIDInTransaction("G_TEST"), 3);
    EXPECT_EQ(db.DrawNewID("G_TEST"), 4);
    try {
        db.DrawNewID("NO_SUCH_GENERATOR");
        FAIL() << "a missing generator must fail the line";
    } catch (const DatabaseError &e) {
        EXPECT_EQ(ToUtf8(e.what()), "générateur NO_SUCH_GENERATOR indisponible");
    }
    db.Close();
}

TEST(TargetDatabase, RowsCommittedWithRetainedContextSurviveALaterFailure) {
    TestDatabase tdb;
    tdb.Exec("create table T (ID integer not null primary key)");
    {
        TargetDatabase db;
        db.Open(tdb.Path());
        Statement ins(db, "insert into T (ID) values (:ID)");
        ins.SetInt("ID", 1);
        ins.Execute();
        db.CommitRetaining();
        EXPECT_THROW(ins.Execute(), DatabaseError); // duplicate key
        ins.SetInt("ID", 2);
        ins.Execute(); // the transaction goes on after a failed statement
    }
    EXPECT_EQ(tdb.Scalar("select count(*) from T"), "2");
}

TEST(TargetDatabase, ConnectionFailuresCarryTheClientMessage) {
    TargetDatabase db;
    try {
        db.Open("/nonexistent/folder/BASE.FDB");
        FAIL() << "opening a missing file must fail";
    } catch (const DatabaseError &e) {
        EXPECT_NE(std::string(e.what()).find("BASE.FDB"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(db.IsOpen());
}

TEST(TargetDatabase, GroupedCommitsKeepRowsOfTheGroupWhenOneStatementFails) {
    TestDatabase tdb;
    tdb.Exec("create table T (ID integer not null primary key)");
    TargetDatabase db;
    db.Open(tdb.Path(), {CommitPolicy::Grouped});
    Statement ins(db, "insert into T (ID) values (:ID)");
    for (int id : {1, 2, 3}) {
        ins.SetInt("ID", id);
        ins.Execute();
    }
    EXPECT_GT(db.PendingRows(), 0);
    EXPECT_EQ(tdb.Scalar("select count(*) from T"), "0") << "another connection sees no pending row";
    ins.SetInt("ID", 2);
    EXPECT_THROW(ins.Execute(), DatabaseError);
    ins.SetInt("ID", 4);
    ins.Execute();
    db.CommitRetaining();
    EXPECT_EQ(db.PendingRows(), 0);
    EXPECT_EQ(tdb.Scalar("select count(*) from T"), "4");

    db.Open(tdb.Path(), {CommitPolicy::Strict});
    ins.SetInt("ID", 5);
    ins.Execute();
    EXPECT_EQ(db.PendingRows(), 0);
    EXPECT_EQ(tdb.Scalar("select count(*) from T"), "5");
    db.Close();
}
