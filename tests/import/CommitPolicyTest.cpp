// Grouped commits change when rows become permanent, never what a run writes: the same sample practice
// imported under both policies gives the same rows, log, correspondence lists and files. And whatever the
// policy, a line counts as committed only once a commit has come after the rows it wrote, which the
// statements count themselves: a lost connection fails exactly the lines whose rows it took away.

#include "app/DatabaseActions.h"
#include "app/ImportStep.h"
#include "run/ImportRun.h"
#include "app/RunState.h"
#include "run/SourceFolder.h"
#include "database/DatabaseSetup.h"
#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "import/catalogue/DosageWriter.h"
#include "import/catalogue/SampleCatalogue.h"
#include "import/clients_animals/ClientLoyalty.h"
#include "normalized/Conversions.h"
#include "normalized/DateTime.h"
#include "normalized/NormalizedFile.h"
#include "support/ScriptedOperator.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>

using namespace clinova;

namespace {

struct PolicyRun {
    std::vector<std::string> log;
    std::map<std::string, std::string> files; // the files the run wrote beside the sources
    std::map<std::string, std::string> tables; // one line per row, ordered by ID
};

const char *const kTables[] = {"CLIENTS", "ANIMAUX", "POIDS",  "PASSEPORTS", "CONSULT", "NOTES_DOSSIER",
                               "EVENTS",  "RELANCES", "RELANCES_CONFIG", "TARIFSACTES", "RDV", "CONTACT",
                               "VILLES",  "POSOS",   "FIDELITE01"};

// Every column of every row; the moments the run itself stamps (today at some time) are masked.
std::string TableContent(TargetDatabase &db, const std::string &table) {
    const std::regex now(FormatDMY(Today()) + " [0-9:]{8}");
    Statement q(db, "select * from " + table + " order by ID");
    std::string text;
    for (bool row = q.Open(); row; row = q.Next()) {
        for (int c = 0; c < q.ColumnCount(); ++c)
            text += std::regex_replace(q.GetText(q.ColumnName(c)), now, "NOW") + "\t";
        text += "\n";
    }
    q.Close();
    return text;
}

PolicyRun ImportSample(bool strict) {
    test::TempDir dir;
    const std::string db = dir.File("BASE.FDB");
    CreateTargetDatabase(db, 93);
    {
        TargetDatabase target;
        target.Open(db);
        AddSampleCatalogue(target);
        target.Close();
    }
    const auto sources = dir.path() / "practice";
    std::filesystem::copy(std::filesystem::path(CLINOVA_SOURCE_DIR) / "examples" / "practice", sources);

    test::ScriptedOperator op;
    RunState state(op);
    state.options.edPathNameDatabase = db;
    state.options.cbCommitParLigne = strict;
    state.options.cbDedoublonageClients = true;
    state.options.cbDedoublonageAnimaux = true;
    state.options.MemoCorrespondancesUtilisateurs =
        ReadWholeFile((std::filesystem::path(CLINOVA_SOURCE_DIR) / "examples" / "users.txt").string());
    ScanSourceFolder(state, sources.string());
    EXPECT_EQ(btnImportationClick(state), RunOutcome::CompletedWithFailures);

    PolicyRun run;
    // The summary's times differ from run to run, and so does the folder of the files written.
    const std::regex seconds("[0-9]+,[0-9] s");
    const std::regex folder("^(Fichiers écrits dans ).*( :)$");
    for (const auto &line : op.log)
        run.log.push_back(std::regex_replace(std::regex_replace(line, seconds, "T"), folder, "$1$2"));
    for (const auto &entry : std::filesystem::directory_iterator(sources)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("__", 0) == 0 || name.rfind("REJETS_", 0) == 0 || name.rfind("DOUBLONS_", 0) == 0 ||
            name.rfind("IGNOREES_", 0) == 0)
            run.files[name] = ReadWholeFile(entry.path().string());
    }
    TargetDatabase target;
    target.Open(db);
    for (const char *table : kTables)
        run.tables[table] = TableContent(target, table);
    target.Close();
    return run;
}

} // namespace

TEST(CommitPolicy, SamplePracticeGivesTheSameRunUnderBothPolicies) {
    const PolicyRun grouped = ImportSample(false);
    const PolicyRun strict = ImportSample(true);
    EXPECT_EQ(grouped.log, strict.log);
    EXPECT_EQ(grouped.files, strict.files);
    EXPECT_GE(grouped.files.size(), 11u) << "lists, rejects and duplicate reports";
    for (const char *table : kTables) {
        EXPECT_FALSE(grouped.tables.at(table).empty()) << table << " has rows";
        EXPECT_EQ(grouped.tables.at(table), strict.tables.at(table)) << table;
    }
}

namespace {

// A step over LIGNES.TXT (one column ID, lines 1 to 4) whose connection is ended from outside as line 3
// starts. What the step's work writes for a line goes through statements only: nothing tells the connection
// that rows were written. Each policy writes its own identifiers (the line's number plus an offset), so that
// both run on one database.
class LostConnectionStep {
public:
    static constexpr int kLostAt = 3;

    LostConnectionStep(test::TestDatabase &tdb, bool strict) : tdb_(tdb), offset(strict ? 100 : 0) {
        tdb.Dir().Write("LIGNES.TXT", "ID\r\n1\r\n2\r\n3\r\n4\r\n");
        state.PathSources = tdb.Dir().Folder();
        state.options.edPathNameDatabase = tdb.Path();
        state.options.cbCommitParLigne = strict;
        OpenTargetDatabase(state);
    }

    // write(id) fails the line by throwing.
    void Run(const std::function<void(int id)> &write) {
        const StepDefinition step{.fileName = "LIGNES.TXT",
                                  .checkBox = nullptr,
                                  .waitText = "Importation des lignes",
                                  .progressText = "Importation ligne ",
                                  .mandatoryColumns = {"ID"},
                                  .interruptionKind = "LIGNES",
                                  .logPrefix = {}};
        state.db.CommitRetaining();
        const LineWork work = [&](const StepLine &line) {
            const int id = StrToInt(line.Field("ID")) + offset;
            commitsAtStart_.push_back(state.db.Commits());
            if (line.Number() == kLostAt)
                tdb_.EndConnection(state.db);
            write(id);
            state.lists.fSourceIDClientList.Add(std::to_string(id));
            state.lists.fDatabaseIDClientList.Add(id);
            return LineOutcome::Imported;
        };
        EXPECT_THROW(RunImportStep(state, step, work), DatabaseError);
        ASSERT_EQ(commitsAtStart_.size(), static_cast<std::size_t>(kLostAt));
        EXPECT_EQ(LogOf(kLostAt).size(), 1u);
        EXPECT_EQ(op.log.back().rfind("LIGNES.TXT/lignes 4 à 4 non lues : ", 0), 0u) << op.log.back();
    }

    // A line's rows are kept when a commit came after them before the connection was lost.
    bool Committed(int line) const {
        return commitsAtStart_.at(kLostAt - 1) > commitsAtStart_.at(static_cast<std::size_t>(line - 1));
    }
    std::vector<std::string> LogOf(int line) const {
        std::vector<std::string> lines;
        std::copy_if(op.log.begin(), op.log.end(), std::back_inserter(lines), [&](const std::string &text) {
            return text.rfind("LIGNES.TXT/ligne " + std::to_string(line) + "/", 0) == 0;
        });
        return lines;
    }
    // Failed because its rows were lost with the connection.
    bool Lost(int line) const {
        const auto lines = LogOf(line);
        return lines.size() == 1 &&
               lines[0].rfind("LIGNES.TXT/ligne " + std::to_string(line) + "/écrite mais non validée : ", 0) == 0;
    }
    bool Listed(int line) const {
        return state.lists.fSourceIDClientList.IndexOf(std::to_string(line + offset)) >= 0;
    }
    // Of a line that did not fail by itself: either committed, kept and listed, or lost, gone and forgotten.
    void ExpectAccountedFor(int line, const std::string &rowsOfLine) const {
        const bool committed = Committed(line);
        EXPECT_EQ(Lost(line), !committed) << "line " << line << ": " << ::testing::PrintToString(op.log);
        EXPECT_EQ(Listed(line), committed) << "line " << line;
        EXPECT_EQ(tdb_.Scalar(rowsOfLine) != "0", committed) << "line " << line << ": " << rowsOfLine;
    }

    const test::TestDatabase &tdb_;
    const int offset;
    test::ScriptedOperator op;
    RunState state{op};

private:
    std::vector<std::uint64_t> commitsAtStart_;
};

std::string WithID(const std::string &sql, int id) { return sql + std::to_string(id); }

} // namespace

// The work only writes its row: until a commit comes after it, its line is uncommitted, and the lost connection
// fails it (and the lists forget it) instead of reporting it imported.
TEST(LineAccounting, ARowWrittenWithoutAnyOtherCallKeepsItsLineUncommittedUntilTheCommit) {
    test::TestDatabase tdb;
    tdb.Exec("create table T (ID integer not null primary key)");
    for (const bool strict : {false, true}) {
        SCOPED_TRACE(strict ? "strict commits" : "grouped commits");
        LostConnectionStep step(tdb, strict);
        Statement insert(step.state.db, "insert into T (ID) values (:ID)");
        step.Run([&](int id) {
            insert.SetInt("ID", id);
            insert.Execute();
            // Grouped commits wait for the end of the line; a strict commit follows the row at once.
            if (strict) {
                EXPECT_EQ(step.state.db.PendingRows(), 0);
            } else {
                EXPECT_GT(step.state.db.PendingRows(), 0);
            }
        });
        for (int line : {1, 2})
            step.ExpectAccountedFor(line, WithID("select count(*) from T where ID = ", line + step.offset));
        EXPECT_EQ(tdb.Scalar(WithID("select count(*) from T where ID = ", 3 + step.offset)), "0");
        if (strict) {
            EXPECT_TRUE(step.Committed(2));
        }
    }
}

// A loyalty row undone by the step itself (the client's membership cannot be written) takes its count back: it
// leaves its line as committed as the client row made it, and it is never committed. A loyalty row that succeeds
// is committed with its membership, never between the two (that would end the savepoint holding the undo).
TEST(LineAccounting, ALoyaltyRowTheStepUndoesLeavesItsLineAsCommittedAsItsClient) {
    test::TestDatabase tdb;
    tdb.Exec("create exception NO_MEMBERSHIP 'no membership'");
    tdb.Exec("create trigger CLIENTS_NO_MEMBERSHIP for CLIENTS before update as begin "
             "if (new.NOM = 'SANS CARTE') then exception NO_MEMBERSHIP; end");
    for (const bool strict : {false, true}) {
        SCOPED_TRACE(strict ? "strict commits" : "grouped commits");
        LostConnectionStep step(tdb, strict);
        Statement client(step.state.db, "insert into CLIENTS (ID, NOM, FIDELITE) values (:ID, :NOM, 0)");
        ClientLoyalty loyalty(step.state.db, 1);
        step.Run([&](int id) {
            const bool card = id % 2 == 1;
            client.SetInt("ID", id);
            client.SetText("NOM", card ? "AVEC CARTE" : "SANS CARTE");
            client.Execute();
            EXPECT_EQ(loyalty.doAddFidelite01(id, 1, 500, 0, 0, -1, -1), card) << id;
        });
        for (int line : {1, 2})
            step.ExpectAccountedFor(line, WithID("select count(*) from CLIENTS where ID = ", line + step.offset));
        EXPECT_EQ(tdb.Scalar(WithID("select count(*) from FIDELITE01 where ID_CLIENT = ", 1 + step.offset)),
                  step.Committed(1) ? "1" : "0");
        EXPECT_EQ(tdb.Scalar(WithID("select count(*) from FIDELITE01 where ID_CLIENT = ", 2 + step.offset)), "0");
        if (strict) {
            EXPECT_TRUE(step.Committed(2));
        }
    }
}

// The dosage writer deletes a dosage whose link failed. That delete is a write like any other: under strict
// commits it is committed at once, so that no dosage without its link is left behind when the connection is lost
// right after; the line of the failed dosage fails by itself, once.
TEST(LineAccounting, ADosageTheWriterTakesBackLeavesNoDosageWithoutItsLink) {
    test::TestDatabase tdb;
    for (const bool strict : {false, true}) {
        SCOPED_TRACE(strict ? "strict commits" : "grouped commits");
        LostConnectionStep step(tdb, strict);
        DosageWriter writer(step.state.db);
        // As in the dosage step, the product is looked up first: the writer itself tells no failure apart.
        Statement product(step.state.db, "select count(*) as N from TARIFSPRODUITS");
        step.Run([&](int id) {
            product.Open();
            product.Close();
            // The link of line 2 cannot take a GTIN that long.
            if (!writer.AddDosage("DOSAGE " + std::to_string(id), id % 100 == 2 ? "123456789012345" : "3400000000001"))
                throw Error("posologie non enregistrée : " + writer.LastError());
        });
        step.ExpectAccountedFor(1, "select count(*) from POSOS where POSOLOGIE = 'DOSAGE " +
                                       std::to_string(1 + step.offset) + "'");
        EXPECT_EQ(step.LogOf(2).size(), 1u);
        EXPECT_FALSE(step.Lost(2));
        EXPECT_EQ(tdb.Scalar("select count(*) from POSOS p where not exists "
                             "(select 1 from LINK_POSOLOGIES l where l.ID_POSOLOGIE = p.ID)"),
                  "0");
    }
}
