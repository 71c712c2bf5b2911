#include "database/CommitSchedule.h"

#include <gtest/gtest.h>

using namespace clinova;

TEST(CommitSchedule, SavepointStatementsAreToldFromTheirText) {
    using Kind = SavepointStatement::Kind;
    const struct {
        const char *sql;
        Kind kind;
        const char *name;
    } cases[] = {
        {"SAVEPOINT FIDELITE01_ROW", Kind::Set, "FIDELITE01_ROW"},
        {"  savepoint\r\n  s1", Kind::Set, "S1"},
        {"RELEASE SAVEPOINT FIDELITE01_ROW", Kind::Release, "FIDELITE01_ROW"},
        {"release savepoint s1 only", Kind::Release, "S1"},
        {"ROLLBACK TO SAVEPOINT FIDELITE01_ROW", Kind::RollBack, "FIDELITE01_ROW"},
        {"rollback work to s1", Kind::RollBack, "S1"},
        {"ROLLBACK\tTO\nS1", Kind::RollBack, "S1"},
        {"ROLLBACK", Kind::None, ""},
        {"ROLLBACK WORK", Kind::None, ""},
        {"RELEASE S1", Kind::None, ""},
        {"SAVEPOINT", Kind::None, ""},
        {"SAVEPOINTS S1", Kind::None, ""},
        {"update T set SAVEPOINT = 1", Kind::None, ""},
        {"", Kind::None, ""},
    };
    for (const auto &c : cases) {
        const SavepointStatement s = ReadSavepointStatement(c.sql);
        EXPECT_EQ(s.kind, c.kind) << c.sql;
        EXPECT_EQ(s.name, c.name) << c.sql;
    }
}

// Nested savepoints: rolled back to the inner one, the rows before it still wait under the outer one, with no
// commit; released, the outer one lets the strict commit happen.
TEST(CommitSchedule, AStrictCommitWaitsForTheOutermostSavepoint) {
    using Kind = SavepointStatement::Kind;
    CommitSchedule schedule;
    schedule.SetPolicy(CommitPolicy::Strict);
    EXPECT_FALSE(schedule.SavepointDone({Kind::Set, "A"}));
    EXPECT_FALSE(schedule.RowsWritten(2));
    EXPECT_FALSE(schedule.SavepointDone({Kind::Set, "B"}));
    EXPECT_FALSE(schedule.RowsWritten(3));
    EXPECT_EQ(schedule.PendingRows(), 5);
    EXPECT_FALSE(schedule.SavepointDone({Kind::RollBack, "B"}));
    EXPECT_EQ(schedule.PendingRows(), 2);
    EXPECT_FALSE(schedule.RowsWaiting());
    EXPECT_TRUE(schedule.SavepointDone({Kind::Release, "A"}));
    EXPECT_TRUE(schedule.RowsWaiting());
    schedule.Committed();
    EXPECT_EQ(schedule.PendingRows(), 0);
    EXPECT_TRUE(schedule.RowsWritten(1));
}
