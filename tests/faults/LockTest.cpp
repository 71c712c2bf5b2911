// A row locked by another connection (the product open on another computer): the transaction does not
// wait, so the line that meets the lock fails with its log line and the next lines go on.

#include "faults/FaultSupport.h"

#include <gtest/gtest.h>

using namespace clinova;
using namespace clinova::test;

namespace {

struct LockedRun {
    TempDir dir;
    std::string database = FreshDatabase(dir);
    FaultOperator op;
    RunState state{op};
    RunOutcome outcome = RunOutcome::Refused;

    LockedRun() {
        state.options.edPathNameDatabase = database;
        CarefulSettings(state.options);
        ScanSourceFolder(state, CopyPractice(dir));
    }
};

} // namespace

// Another connection updates a product and keeps its transaction open while the stock counts are imported:
// the count of that product fails with the lock conflict, every other count is written, and once the other
// connection has gone the locked product holds what it held before.
TEST(RowLock, AStockCountOnALockedProductFailsAloneAndTheNextLinesGoOn) {
    const Reference &free = CleanImport();
    LockedRun locked;
    const auto before = StockRows(locked.database);
    TargetDatabase other;
    other.Open(locked.database);
    other.ExecuteImmediate("update TARIFSPRODUITS set DESIGNATION = DESIGNATION where ID = 101");
    locked.outcome = btnImportationClick(locked.state);
    other.RollbackRetaining();
    other.Close();

    EXPECT_EQ(locked.outcome, RunOutcome::CompletedWithFailures);
    const auto failures = locked.op.LogStartingWith("INVENTAIRE.TXT/ligne ");
    std::vector<std::string> freeFailures;
    for (const auto &line : free.log)
        if (line.rfind("INVENTAIRE.TXT/ligne ", 0) == 0)
            freeFailures.push_back(line);
    ASSERT_EQ(failures.size(), freeFailures.size() + 1) << ::testing::PrintToString(failures);
    EXPECT_EQ(failures[0].rfind("INVENTAIRE.TXT/ligne 1/", 0), 0u) << failures[0];
    EXPECT_NE(failures[0].find("update conflicts with concurrent update"), std::string::npos) << failures[0];
    EXPECT_TRUE(std::equal(freeFailures.begin(), freeFailures.end(), failures.begin() + 1));
    EXPECT_TRUE(locked.op.Logged("FIN import doImportationInventaires"));
    EXPECT_TRUE(locked.op.Logged("FIN import doImportationPosologies"));

    const auto after = StockRows(locked.database);
    ASSERT_EQ(after.size(), free.stock.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (after[i].rfind("101|", 0) == 0) {
            EXPECT_EQ(after[i], before[i]) << "the locked product is untouched";
        } else {
            EXPECT_EQ(after[i], free.stock[i]) << "every other product has its count";
        }
    }
    EXPECT_NE(free.stock, before) << "the free run changed the counts";
    // Nothing else of the run depends on the locked row.
    EXPECT_EQ(TableCounts(locked.database), free.counts);
    // The failed line waits in the rejects file, to be imported again; unknown wholesalers are left aside by
    // rule and are no rejects.
    const auto rejects = FileLines(locked.dir.File("practice/REJETS_INVENTAIRE.TXT"));
    ASSERT_EQ(rejects.size(), 2u);
    EXPECT_EQ(rejects[1].rfind("CENTRAVET\tCV1001\t", 0), 0u) << rejects[1];
}

// The medical summary of an animal locked by another connection fails with its log line; the other animals
// get theirs, and the run, which otherwise had no failure, ends with failures (exit status 3 of the command
// line) instead of reporting success.
TEST(RowLock, ALockedAnimalFailsItsSummaryAndTheRunReportsIt) {
    for (const bool lock : {false, true}) {
        SCOPED_TRACE(lock ? "locked" : "free");
        TempDir dir;
        const std::string database = FreshDatabase(dir);
        dir.Write("CLIENTS.TXT", "ID_CLIENT\tNOM\r\nC1\tMARTIN\r\nC2\tDURAND\r\n");
        dir.Write("ANIMAUX.TXT", "ID_ANIMAL\tID_CLIENT\tDCD\tNOM\r\nA1\tC1\t0\tREX\r\nA2\tC2\t0\tMIA\r\n");
        FaultOperator op;
        RunState state(op);
        state.options.edPathNameDatabase = database;
        ScanSourceFolder(state, dir.Folder());
        TargetDatabase other;
        op.onWaitMessage = [&](const std::string &message) {
            if (lock && message.rfind("Syntèse dossier 1/", 0) == 0) {
                other.Open(database);
                other.ExecuteImmediate("update ANIMAUX set NOM = NOM where ID = (select min(ID) from ANIMAUX)");
            }
        };
        const RunOutcome outcome = btnImportationClick(state);
        if (other.IsOpen()) {
            other.RollbackRetaining();
            other.Close();
        }
        const auto failures = op.LogStartingWith("Syntèses dossiers médicaux/");
        if (!lock) {
            EXPECT_EQ(outcome, RunOutcome::Completed);
            EXPECT_TRUE(failures.empty());
            continue;
        }
        EXPECT_EQ(outcome, RunOutcome::CompletedWithFailures);
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0].rfind("Syntèses dossiers médicaux/ID_ANIMAL(source)=A1/", 0), 0u) << failures[0];
        EXPECT_EQ(Rows(database, "select count(*) from ANIMAUX where SYNTHESE_DOSSIER is not null"),
                  std::vector<std::string>{"1"});
    }
}
