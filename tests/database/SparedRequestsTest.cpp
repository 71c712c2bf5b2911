// The requests the connection spares change nothing of what is written: identifiers reserved in blocks are
// handed out as drawing them one at a time would, and the generator ends where one-at-a-time drawing leaves
// it; documents sent inside the message arrive as the blobs written beforehand would, NULL and empty kept
// apart; the count of a write is still there for the caller who reads it.

#include "database/DatabaseError.h"
#include "database/RowBatch.h"
#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "support/TestDatabase.h"

#include "normalized/Errors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace clinova;
using clinova::test::TestDatabase;

namespace {

struct Documents {
    TestDatabase tdb;
    Documents() {
        tdb.Exec("create sequence G_DOC");
        tdb.Exec("create table DOC (ID integer not null primary key, TXT blob sub_type text character set WIN1252, "
                 "BIN blob sub_type binary, NOTE varchar(20))");
    }
    std::string Generator() const { return tdb.Scalar("select gen_id(G_DOC, 0) from rdb$database"); }
};

std::vector<std::int64_t> Draw(TargetDatabase &db, int n) {
    std::vector<std::int64_t> ids;
    for (int i = 0; i < n; ++i)
        ids.push_back(db.NextID("G_DOC"));
    return ids;
}

} // namespace

TEST(IdReservations, BlocksHandOutTheOneAtATimeSequenceAndGiveTheRestBack) {
    Documents d;
    for (const bool blocks : {true, false}) {
        d.tdb.Exec("alter sequence G_DOC restart with 0");
        TargetDatabase db;
        db.Open(d.tdb.Path(), {CommitPolicy::Grouped, blocks});
        const auto ids = Draw(db, 1000);
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(ids[static_cast<std::size_t>(i)], i + 1) << "blocks " << blocks;
        EXPECT_EQ(db.LastDrawnIDs().at("G_DOC"), 1000);
        // Reserved ahead while the connection is open; given back when it closes.
        if (blocks) {
            EXPECT_GT(std::stoll(d.Generator()), 1000);
        }
        db.Close();
        EXPECT_EQ(d.Generator(), "1000") << "blocks " << blocks;
    }
}

TEST(IdReservations, OtherDrawersAndRestartsAreRespected) {
    Documents d;
    TargetDatabase db;
    db.Open(d.tdb.Path());
    EXPECT_EQ(db.NextID("G_DOC"), 1);
    // Another connection draws from the generator while a block is reserved: it gets a value beyond the block,
    // the block is still handed out, and what is left of it is not given back over the other's value.
    const std::int64_t other = std::stoll(d.tdb.Scalar("select gen_id(G_DOC, 1) from rdb$database"));
    EXPECT_EQ(db.NextID("G_DOC"), 2);
    db.Close();
    EXPECT_EQ(std::stoll(d.Generator()), other) << "nothing given back under the other's value";
    db.Open(d.tdb.Path());
    EXPECT_EQ(db.NextID("G_DOC"), other + 1);
    // A generator restarted on the connection: the reservation made before it is no longer used.
    db.ExecuteImmediate("alter sequence G_DOC restart with 100");
    db.CommitRetaining();
    EXPECT_EQ(db.NextID("G_DOC"), 101);
    db.Close();
    EXPECT_EQ(d.Generator(), "101");
    // A lost connection gives nothing back (it cannot): identifiers are skipped, never handed out twice.
    db.Open(d.tdb.Path());
    EXPECT_EQ(db.NextID("G_DOC"), 102);
    db.Abandon();
    db.Open(d.tdb.Path());
    EXPECT_GT(db.NextID("G_DOC"), 102);
    db.Close();
}

TEST(SparedRequests, DocumentsArriveTheSameSentInsideTheMessageOrAsBlobs) {
    Documents d;
    std::string binary;
    for (int i = 0; i < 512; ++i)
        binary += static_cast<char>(i % 256);
    const std::string accented = FromUtf8("Vacciné contre la rage ; température 38,5 °C\r\nsuite");
    const std::string longText(70000, 'x'); // beyond what one message carries
    const std::string halfMessage(32000, 'y'); // two of them do not fit one message together
    struct Row {
        int id;
        const std::string *text; // nullptr: NULL
        const std::string *bytes;
    };
    const std::string empty;
    const std::vector<Row> rows = {{1, &accented, &binary},     {2, &empty, nullptr},
                                   {3, nullptr, &empty},        {4, &longText, &binary},
                                   {5, &halfMessage, &halfMessage}};
    std::vector<std::string> written[2];
    for (const bool batching : {true, false}) {
        d.tdb.Exec("delete from DOC");
        TargetDatabase db;
        db.Open(d.tdb.Path(), {CommitPolicy::Grouped, batching});
        Statement insert(db, "insert into DOC (ID, TXT, BIN, NOTE) values (:ID, :TXT, :BIN, :NOTE)");
        for (const Row &row : rows) {
            insert.ClearParameters();
            insert.SetInt("ID", row.id);
            insert.SetText("NOTE", "n" + std::to_string(row.id));
            if (row.text)
                insert.SetBlob("TXT", *row.text);
            if (row.bytes)
                insert.SetBlob("BIN", *row.bytes);
            insert.Execute();
            EXPECT_EQ(insert.RowsAffected(), 1u);
        }
        db.CommitRetaining();
        Statement read(db, "select ID, TXT, BIN, TXT is null as TXT_NULL, BIN is null as BIN_NULL, "
                           "char_length(TXT) as TXT_LENGTH, octet_length(BIN) as BIN_LENGTH from DOC order by ID");
        std::size_t i = 0;
        for (bool row = read.Open(); row; row = read.Next(), ++i) {
            ASSERT_LT(i, rows.size());
            const Row &expected = rows[i];
            EXPECT_EQ(read.GetText("TXT_NULL") == "True", expected.text == nullptr) << expected.id;
            EXPECT_EQ(read.GetText("BIN_NULL") == "True", expected.bytes == nullptr) << expected.id;
            EXPECT_EQ(read.GetBlob("TXT"), expected.text ? *expected.text : "") << expected.id;
            EXPECT_EQ(read.GetBlob("BIN"), expected.bytes ? *expected.bytes : "") << expected.id;
            written[batching ? 0 : 1].push_back(read.GetText("TXT_LENGTH") + "|" + read.GetText("BIN_LENGTH"));
        }
        EXPECT_EQ(i, rows.size());
        read.Close();
        db.Close();
    }
    EXPECT_EQ(written[0], written[1]);
}

TEST(SparedRequests, TheCountOfAWriteIsAskedForWhenItIsRead) {
    Documents d;
    TargetDatabase db;
    db.Open(d.tdb.Path());
    Statement insert(db, "insert into DOC (ID) values (:ID)");
    for (int id = 1; id <= 5; ++id) {
        insert.SetInt("ID", id);
        insert.Execute();
    }
    Statement update(db, "update DOC set NOTE = 'vu' where ID > :FROM");
    update.SetInt("FROM", 2);
    update.Execute();
    Statement other(db, "select count(*) as N from DOC where NOTE = 'vu'");
    ASSERT_TRUE(other.Open());
    EXPECT_EQ(other.GetInt("N"), 3);
    other.Close();
    // Read after another statement ran: still this execution's count.
    EXPECT_EQ(update.RowsAffected(), 3u);
    Statement remove(db, "delete from DOC where ID > 10");
    remove.Execute();
    EXPECT_EQ(remove.RowsAffected(), 0u);
    // An INSERT ... SELECT writes as many rows as it selects: asked for, not taken as one.
    Statement copy(db, "insert into DOC (ID) select ID + 100 from DOC");
    copy.Execute();
    EXPECT_EQ(copy.RowsAffected(), 5u);
    db.Close();
}

// A batch: a line's main row and the writes that follow it wait together; a refused main row takes what
// follows it in its line along (never sent), a refused following write is only a warning of its line; the
// other lines' rows are all written, updates as well as inserts; any other statement sends what waits first.
TEST(RowBatch, ARefusedMainRowTakesItsFollowingWritesAlongAndARefusedFollowingWriteIsAWarning) {
    TestDatabase tdb;
    tdb.Exec("create table DOC (ID integer not null primary key check (ID <> 3), NOTE varchar(20))");
    tdb.Exec("create table LINK (ID integer not null, NOTE varchar(20) check (NOTE <> 'non'))");
    TargetDatabase db;
    db.Open(tdb.Path());
    Statement insert(db, "insert into DOC (ID) values (:ID)");
    Statement link(db, "insert into LINK (ID, NOTE) values (:ID, :NOTE)");
    Statement note(db, "update DOC set NOTE = :NOTE where ID = :ID");
    std::vector<RefusedLine> refused;
    {
        // As in a step: no grouped commit sends the rows in the middle of a line.
        const Connection::WholeLines wholeLines(db);
        RowBatch batch(db);
        for (int line = 1; line <= 6; ++line) {
            batch.StartLine(line);
            insert.SetInt("ID", line);
            batch.Add(insert, false);
            link.SetInt("ID", line);
            link.SetText("NOTE", line == 4 ? "non" : "oui");
            batch.Add(link, true);
            note.SetText("NOTE", "vu");
            note.SetInt("ID", line);
            batch.Add(note, true);
        }
        // Nothing has left yet, and an update's own count cannot be known before it does.
        EXPECT_TRUE(batch.HoldsRowsOf(1));
        EXPECT_THROW((void)note.RowsAffected(), std::logic_error);
        // A select runs after what waits: it sees every row written.
        EXPECT_EQ(clinova::test::SelectRows(db, "select ID, NOTE from DOC order by ID"),
                  (std::vector<std::string>{"1|vu", "2|vu", "4|vu", "5|vu", "6|vu"}));
        EXPECT_TRUE(batch.Empty());
        refused = batch.TakeRefused();
        // What makes that sound is checked: a second main row of a line, a main row written by an update, or a
        // following write without a main row, is a fault of the program, not a refusal of the data.
        batch.StartLine(7);
        insert.SetInt("ID", 7);
        batch.Add(insert, false);
        insert.SetInt("ID", 8);
        EXPECT_THROW(batch.Add(insert, false), ProgramError);
        batch.StartLine(8);
        EXPECT_THROW(batch.Add(note, false), ProgramError);
        EXPECT_THROW(batch.Add(link, true), ProgramError);
        // One batch at a time on a connection.
        EXPECT_THROW(RowBatch{db}, ProgramError);
    }
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[0].line, 3);
    EXPECT_FALSE(refused[0].warning);
    EXPECT_NE(refused[0].message.find("DOC"), std::string::npos);
    EXPECT_EQ(refused[1].line, 4);
    EXPECT_TRUE(refused[1].warning);
    EXPECT_NE(refused[1].message.find("LINK"), std::string::npos);
    EXPECT_EQ(clinova::test::SelectRows(db, "select ID from LINK order by ID"),
              (std::vector<std::string>{"1", "2", "5", "6"}));
    // The batch's end dropped what still waited (line 7): the step sends its batch before it ends.
    EXPECT_EQ(clinova::test::SelectRows(db, "select count(*) from DOC where ID = 7"), (std::vector<std::string>{"0"}));
    db.Close();
}

TEST(RowBatch, AValueEveryRowOfABlockHoldsTravelsOnceAndStillArrivesInEachRow) {
    TestDatabase tdb;
    tdb.Exec("create table DOC (ID integer not null primary key, NOTE varchar(20), N integer)");
    TargetDatabase db;
    db.Open(tdb.Path());
    Statement insert(db, "insert into DOC (ID, NOTE, N) values (:ID, :NOTE, :N)");
    const Connection::WholeLines wholeLines(db);
    RowBatch batch(db);
    // Three sendings: NOTE the same in the rows of each of the first two (another value each time), then
    // different from row to row, NULL and empty among them; N the same in all, then NULL in all.
    const std::vector<std::vector<const char *>> sendings = {
        {"a", "a", "a"}, {"b", "b", "b", "b"}, {"c", nullptr, "", "c", "d"}};
    int id = 0;
    std::vector<std::string> expected;
    for (std::size_t s = 0; s < sendings.size(); ++s) {
        for (const char *note : sendings[s]) {
            batch.StartLine(++id);
            insert.SetInt("ID", id);
            note ? insert.SetText("NOTE", note) : insert.SetNull("NOTE");
            s < 2 ? insert.SetInt("N", 7) : insert.SetNull("N");
            batch.Add(insert, false);
            batch.EndLine();
            expected.push_back(std::to_string(id) + "|" + (note ? std::string(note) == "" ? "''" : note : "NULL") +
                               "|" + (s < 2 ? "7" : "NULL"));
        }
        batch.Send();
    }
    EXPECT_TRUE(batch.TakeRefused().empty());
    EXPECT_EQ(clinova::test::SelectRows(db, "select ID, coalesce(iif(NOTE = '', '''''', NOTE), 'NULL') T, "
                                            "coalesce(cast(N as varchar(9)), 'NULL') V from DOC order by ID"),
              expected);
}
