// The connection as the statements use it: the rows their writes affect are counted where they are written,
// the commits follow from that count and from the savepoints, and statements survive their connection being
// closed, opened again, lost, or gone before them.

#include "database/DatabaseError.h"
#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "normalized/Win1252.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

using namespace clinova;
using clinova::test::TestDatabase;

namespace {

struct TableT {
    TestDatabase tdb;
    TableT() { tdb.Exec("create table T (ID integer not null primary key, N integer)"); }
    std::string Count() const { return tdb.Scalar("select count(*) from T"); }
};

} // namespace

TEST(Connection, StatementsCountTheRowsTheirWritesAffect) {
    TableT t;
    TargetDatabase db;
    db.Open(t.tdb.Path());
    // As in a step's lines: grouped commits wait for the end of a line, so only the count moves.
    const Connection::WholeLines wholeLines(db);
    Statement insert(db, "insert into T (ID, N) values (:ID, 0)");
    for (int id : {1, 2, 3}) {
        insert.SetInt("ID", id);
        insert.Execute();
        EXPECT_EQ(insert.RowsAffected(), 1u);
    }
    EXPECT_EQ(db.PendingRows(), 3);
    Statement update(db, "update T set N = N + 1 where ID >= :FROM");
    update.SetInt("FROM", 2);
    update.Execute();
    EXPECT_EQ(update.RowsAffected(), 2u);
    update.SetInt("FROM", 9);
    update.Execute();
    EXPECT_EQ(update.RowsAffected(), 0u);
    EXPECT_EQ(db.PendingRows(), 5);
    Statement remove(db, "delete from T where ID = 1");
    remove.Execute();
    EXPECT_EQ(db.PendingRows(), 6);
    Statement select(db, "select count(*) as N from T");
    ASSERT_TRUE(select.Open());
    select.Close();
    EXPECT_EQ(db.PendingRows(), 6);
    // The server counts none of the rows a procedure writes: the call counts as one.
    Statement procedure(db, "execute procedure PROC_UPDATE_CALLER_ID(1, 7, 123, 456, 0, 0, 0, 0)");
    procedure.Execute();
    EXPECT_EQ(db.PendingRows(), 7);
    EXPECT_EQ(db.Commits(), 0u);
    EXPECT_EQ(t.Count(), "0") << "nothing committed yet";

    db.CommitPendingRows();
    EXPECT_EQ(db.PendingRows(), 0);
    EXPECT_EQ(db.Commits(), 1u);
    EXPECT_EQ(t.Count(), "2");
    EXPECT_EQ(t.tdb.Scalar("select count(*) from CALLER_ID where IDFICHE = 7"), "2");

    // Strict: each write is committed as soon as it is written; a write of no row commits nothing.
    db.Open(t.tdb.Path(), {CommitPolicy::Strict});
    insert.SetInt("ID", 4);
    insert.Execute();
    EXPECT_EQ(db.PendingRows(), 0);
    EXPECT_EQ(db.Commits(), 1u);
    EXPECT_EQ(t.Count(), "3");
    update.Execute();
    EXPECT_EQ(db.Commits(), 1u);
    db.Close();
}

// A commit would end a savepoint, and with it the undo a step keeps ready: rows written under one wait for its
// release, and rolled back to it they no longer count.
TEST(Connection, RowsUnderASavepointWaitForItsReleaseAndARollbackToItTakesThemBack) {
    TableT t;
    TargetDatabase db;
    db.Open(t.tdb.Path(), {CommitPolicy::Strict});
    Statement insert(db, "insert into T (ID, N) values (:ID, 0)");
    const auto write = [&](int id) {
        insert.SetInt("ID", id);
        insert.Execute();
    };

    db.ExecuteImmediate("SAVEPOINT ROW_1");
    write(10);
    EXPECT_EQ(db.PendingRows(), 1);
    EXPECT_EQ(db.Commits(), 0u);
    db.ExecuteImmediate("ROLLBACK TO SAVEPOINT ROW_1");
    EXPECT_EQ(db.PendingRows(), 0);
    EXPECT_EQ(db.Commits(), 0u);

    db.ExecuteImmediate("savepoint row_1");
    write(11);
    db.ExecuteImmediate("release savepoint Row_1");
    EXPECT_EQ(db.PendingRows(), 0);
    EXPECT_EQ(db.Commits(), 1u);
    EXPECT_EQ(t.tdb.Scalar("select list(ID) from T"), "11");

    // The same through prepared statements, grouped, with a row written before the savepoint: that one stays.
    db.Open(t.tdb.Path(), {CommitPolicy::Grouped});
    const Connection::WholeLines wholeLines(db);
    write(12);
    Statement savepoint(db, "SAVEPOINT ROW_2");
    Statement rollback(db, "ROLLBACK TO ROW_2");
    savepoint.Execute();
    write(13);
    write(14);
    EXPECT_EQ(db.PendingRows(), 3);
    rollback.Execute();
    EXPECT_EQ(db.PendingRows(), 1);
    db.CommitPendingRows();
    EXPECT_EQ(t.tdb.Scalar("select list(ID) from (select ID from T order by ID)"), "11,12");
    db.Close();
}

TEST(Connection, StatementsArePreparedAgainAfterTheConnectionIsOpenedAgain) {
    TableT t;
    t.tdb.Exec("insert into T (ID, N) values (1, 0)");
    t.tdb.Exec("insert into T (ID, N) values (2, 0)");
    TargetDatabase db;
    db.Open(t.tdb.Path());
    Statement select(db, "select ID from T order by ID");
    Statement insert(db, "insert into T (ID, N) values (:ID, 0)");
    ASSERT_TRUE(select.Open());
    EXPECT_EQ(select.GetInt("ID"), 1);
    db.Close();
    EXPECT_FALSE(select.Next()) << "the cursor went with its connection";
    insert.SetInt("ID", 3);
    EXPECT_THROW(insert.Execute(), DatabaseError);

    db.Open(t.tdb.Path());
    ASSERT_TRUE(select.Open());
    EXPECT_EQ(select.GetInt("ID"), 1);
    select.Close();
    insert.Execute();
    db.Close();
    EXPECT_EQ(t.Count(), "3");
}

// A lost connection is given up without a commit: its rows are gone and it holds no lock (the transaction
// does not wait, so another connection writing the same row would fail at once). Its statements are prepared
// again on the next connection.
TEST(Connection, ALostConnectionIsGivenUpAndItsStatementsServeTheNextOne) {
    TableT t;
    t.tdb.Exec("insert into T (ID, N) values (1, 0)");
    TargetDatabase db;
    db.Open(t.tdb.Path());
    Statement update(db, "update T set N = :N where ID = 1");
    update.SetInt("N", 5);
    update.Execute();
    ASSERT_EQ(db.PendingRows(), 1);
    t.tdb.EndConnection(db);
    update.SetInt("N", 6);
    try {
        update.Execute();
        FAIL() << "the connection ended from outside still answered";
    } catch (const DatabaseError &e) {
        EXPECT_TRUE(e.ConnectionLost()) << e.what();
    }
    db.Abandon();
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.PendingRows(), 0);
    EXPECT_NO_THROW(t.tdb.Exec("update T set N = 7 where ID = 1"));
    EXPECT_EQ(t.tdb.Scalar("select N from T"), "7");

    db.Open(t.tdb.Path());
    update.SetInt("N", 8);
    update.Execute();
    // Given up while it still answers: what it wrote since its last commit is rolled back, not kept.
    db.Abandon();
    EXPECT_EQ(t.tdb.Scalar("select N from T"), "7");
    EXPECT_NO_THROW(t.tdb.Exec("update T set N = 9 where ID = 1"));
}

TEST(Connection, AStatementMayOutliveItsConnection) {
    TableT t;
    t.tdb.Exec("insert into T (ID, N) values (1, 0)");
    auto db = std::make_unique<TargetDatabase>();
    db->Open(t.tdb.Path());
    auto select = std::make_unique<Statement>(*db, "select ID from T");
    ASSERT_TRUE(select->Open());
    db.reset();
    EXPECT_FALSE(select->Next());
    select.reset();
    EXPECT_EQ(t.Count(), "1");
}

// The connection does not know its statements: it drops its database while one still has a cursor open.
TEST(Connection, ADatabaseIsDroppedWhileAStatementStillHoldsACursor) {
    test::TempDir dir;
    const std::string path = dir.File("DROP.FDB");
    TargetDatabase::Create(path);
    TargetDatabase db;
    db.Open(path);
    Statement q(db, "select 1 as N from RDB$DATABASE");
    ASSERT_TRUE(q.Open());
    db.Drop();
    EXPECT_FALSE(std::filesystem::exists(path));
}

// The errors a second connection causes are explained in French: a row it holds, the end of the connection by the
// administrator.
TEST(Connection, ARowHeldElsewhereAndAnEndedConnectionAreExplained) {
    TableT t;
    t.tdb.Exec("insert into T (ID, N) values (1, 0)");
    const auto explanation = [](const std::function<void()> &call) {
        try {
            call();
        } catch (const DatabaseError &e) {
            return ToUtf8(e.Explanation());
        }
        return std::string("no error");
    };
    TargetDatabase other, db;
    other.Open(t.tdb.Path());
    db.Open(t.tdb.Path());
    other.ExecuteImmediate("update T set N = 1 where ID = 1");
    EXPECT_EQ(explanation([&] { db.ExecuteImmediate("update T set N = 2 where ID = 1"); })
                  .rfind("la base de données est utilisée par une autre connexion", 0),
              0u);
    other.RollbackRetaining();
    other.Close();
    t.tdb.EndConnection(db);
    EXPECT_EQ(explanation([&] { db.ExecuteImmediate("update T set N = 3 where ID = 1"); })
                  .rfind("la connexion à la base de données a été perdue", 0),
              0u);
}
