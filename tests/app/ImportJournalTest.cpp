// The journal against a real database: what a commit records, what a crash in the middle of a record leaves
// readable, what a resume rebuilds (lists, generators), and the files it refuses to read.

#include "app/ImportJournal.h"
#include "app/RunState.h"
#include "database/Statement.h"
#include "normalized/Errors.h"
#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"
#include "support/ScriptedOperator.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace clinova;
using namespace clinova::test;

namespace {

struct JournalCase {
    TestDatabase database;
    TempDir folder;
    ScriptedOperator op;
    RunState state{op};

    JournalCase() {
        state.PathSources = folder.Folder();
        WriteWholeFile(folder.File("CLIENTS.TXT"), "ID_CLIENT\tNOM\r\nC1\tA\r\n");
        state.db.Open(database.Path());
    }
    std::string Journal() const { return folder.File(JournalFileName()); }
};

} // namespace

TEST(ImportJournal, EachCommitRecordsTheListsAndGeneratorsAndAResumeRebuildsThem) {
    JournalCase c;
    auto journal = ImportJournal::Start(c.state, {"CLIENTS.TXT"});
    c.state.journal = journal.get();
    c.state.lists.fSourceIDClientList.Add("C1");
    c.state.lists.fDatabaseIDClientList.Add(c.state.db.DrawNewID("CURRENT_ID_CLIENT"));
    journal->LineStarting("CLIENTS.TXT", 1);
    journal->LineEnded(1);
    c.state.db.CommitRetaining();
    // A second line written, not committed: the journal does not name it.
    journal->LineStarting("CLIENTS.TXT", 2);
    c.state.lists.fSourceIDClientList.Add("C\t2%");
    const int uncommittedID = c.state.db.DrawNewID("CURRENT_ID_CLIENT");
    journal->LineEnded(2);
    const int committedID = c.state.lists.fDatabaseIDClientList.Get(0);
    ASSERT_EQ(uncommittedID, committedID + 1);

    const auto read = ReadJournal(c.Journal());
    ASSERT_TRUE(read);
    EXPECT_FALSE(read->finished);
    EXPECT_EQ(read->linesDone.at("CLIENTS.TXT"), 1);
    EXPECT_EQ(read->generators.at("CURRENT_ID_CLIENT"), committedID);
    ASSERT_EQ(read->lists.size(), 2u);
    EXPECT_EQ(read->lists[0].list, "fSourceIDClientList");
    EXPECT_EQ(read->lists[0].value, "C1");
    EXPECT_EQ(ResumeRefusal(*read, c.state), "");
    journal.reset();
    c.state.journal = nullptr;
    c.state.db.Close();
    // A connection opened again (the window's next run, maybe on another database) knows no earlier draw.
    c.state.db.Open(c.database.Path());
    EXPECT_TRUE(c.state.db.LastDrawnIDs().empty());
    c.state.db.Close();

    // The resume, as a new process would: its lists from the journal, the generator back where the commit
    // left it, so that the uncommitted line draws the same identifier again.
    ScriptedOperator op;
    RunState resumed(op);
    resumed.PathSources = c.folder.Folder();
    resumed.db.Open(c.database.Path());
    resumed.lists.fSourceIDClientList.Add("left over");
    auto continued = ImportJournal::Resume(resumed, *read);
    EXPECT_EQ(resumed.lists.fSourceIDClientList.Items(), std::vector<std::string>{"C1"});
    EXPECT_EQ(resumed.lists.fDatabaseIDClientList.Get(0), committedID);
    EXPECT_EQ(continued->LinesDoneBefore("CLIENTS.TXT"), 1);
    EXPECT_EQ(resumed.db.DrawNewID("CURRENT_ID_CLIENT"), uncommittedID);
    // Values with tabs and the escape character come back as they were.
    resumed.lists.fSourceIDClientList.Add("C\t2%");
    continued->LinesRead("CLIENTS.TXT", 2);
    continued->Finish();
    const auto finished = ReadJournal(c.Journal());
    ASSERT_TRUE(finished);
    EXPECT_TRUE(finished->finished);
    EXPECT_EQ(finished->lists.back().value, "C\t2%");
    EXPECT_NE(ResumeRefusal(*finished, resumed).find(FromUtf8("allée à son terme")), std::string::npos);
    resumed.db.Close();
}

TEST(ImportJournal, ARecordCutByACrashIsIgnoredAndAChangedFileOrSettingRefusesTheResume) {
    JournalCase c;
    {
        auto journal = ImportJournal::Start(c.state, {"CLIENTS.TXT"});
        journal->LineStarting("CLIENTS.TXT", 1);
        c.state.lists.fSourceIDClientList.Add("C1");
        journal->LineEnded(1);
        journal->LinesRead("CLIENTS.TXT", 1);
    }
    c.state.db.Close();
    // The crash cut the next record before its closing line.
    const std::string whole = ReadWholeFile(c.Journal());
    WriteWholeFile(c.Journal(), whole + "E\tCLIENTS.TXT\t9\nA\tfSourceIDClientList\tC9\nV\t");
    const auto read = ReadJournal(c.Journal());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->linesDone.at("CLIENTS.TXT"), 1);
    EXPECT_EQ(read->lists.size(), 1u);
    EXPECT_EQ(read->text, whole);

    EXPECT_EQ(ResumeRefusal(*read, c.state), "");
    c.state.options.cbDedoublonageClients = true;
    EXPECT_NE(ResumeRefusal(*read, c.state).find("cbDedoublonageClients"), std::string::npos);
    c.state.options.cbDedoublonageClients = false;
    // Same size, other bytes.
    WriteWholeFile(c.folder.File("CLIENTS.TXT"), "ID_CLIENT\tNOM\r\nC1\tB\r\n");
    EXPECT_NE(ResumeRefusal(*read, c.state).find("le fichier CLIENTS.TXT a chang"), std::string::npos);
}

TEST(ImportJournal, OnlyAJournalIsReadAndNeverThroughALink) {
    JournalCase c;
    ImportJournal::Start(c.state, {"CLIENTS.TXT"});
    c.state.db.Close();
    const std::string journal = ReadWholeFile(c.Journal());
    TempDir dir;
    EXPECT_FALSE(ReadJournal(dir.File(JournalFileName())));
    WriteWholeFile(dir.File("other.txt"), "ID_CLIENT\tNOM\r\n");
    EXPECT_THROW(ReadJournal(dir.File("other.txt")), FileError);
    WriteWholeFile(dir.File("real.txt"), journal);
    EXPECT_TRUE(ReadJournal(dir.File("real.txt")));
    std::filesystem::create_symlink(dir.File("real.txt"), dir.File(JournalFileName()));
    EXPECT_THROW(ReadJournal(dir.File(JournalFileName())), FileError);
    // A header without its closing line: the run died before it began.
    WriteWholeFile(dir.File("cut.txt"), journal.substr(0, journal.find("\nP\t0\t") + 1));
    EXPECT_THROW(ReadJournal(dir.File("cut.txt")), FileError);
    // An escape that is not two hexadecimal digits is refused as a bad number is, not left to escape the reader.
    WriteWholeFile(dir.File("escape.txt"), "JOURNAL_IMPORTATION\t2\nO\tcbAjout\t%zz\n");
    EXPECT_THROW(ReadJournal(dir.File("escape.txt")), FileError);
}

namespace {

// A journal whose one record drew a client's identifier, its row inserted and committed; the record's
// confirmation line taken away, as a crash right after the commit leaves it.
struct PendingCase : JournalCase {
    int id = 0;
    PendingCase() {
        auto journal = ImportJournal::Start(state, {"CLIENTS.TXT"});
        journal->LineStarting("CLIENTS.TXT", 1);
        id = state.db.DrawNewID("CURRENT_ID_CLIENT");
        Statement insert(state.db, "insert into CLIENTS (ID) values (:ID)");
        insert.SetInt("ID", id);
        insert.Execute();
        state.lists.fSourceIDClientList.Add("C1");
        state.lists.fDatabaseIDClientList.Add(id);
        journal->LineEnded(1);
        state.db.CommitRetaining();
        journal.reset();
        state.db.Close();
        std::string text = ReadWholeFile(Journal());
        const std::string confirmation = "V\t1\n";
        EXPECT_EQ(text.substr(text.size() - confirmation.size()), confirmation);
        WriteWholeFile(Journal(), text.substr(0, text.size() - confirmation.size()));
        state.db.Open(database.Path());
    }
};

} // namespace

TEST(ImportJournal, ACommitWhoseEndIsNotRecordedIsSettledByTheRowsItDrew) {
    {
        PendingCase c;
        auto read = ReadJournal(c.Journal());
        ASSERT_TRUE(read && read->pending);
        EXPECT_EQ(read->linesDone.count("CLIENTS.TXT"), 0u) << "not counted before the database tells";
        EXPECT_EQ(DatabaseRefusal(*read, c.state.db), "");
        EXPECT_EQ(read->linesDone.at("CLIENTS.TXT"), 1);
        EXPECT_EQ(read->generators.at("CURRENT_ID_CLIENT"), c.id);
        EXPECT_EQ(read->lists.size(), 2u);
        // What the resume writes again holds the record, confirmed.
        auto continued = ImportJournal::Resume(c.state, *read);
        continued.reset();
        const auto again = ReadJournal(c.Journal());
        ASSERT_TRUE(again);
        EXPECT_FALSE(again->pending);
        EXPECT_EQ(again->linesDone.at("CLIENTS.TXT"), 1);
        c.state.db.Close();
    }
    {
        // The commit was not made: the row is not there, the line is done again with the same identifier.
        PendingCase c;
        c.state.db.ExecuteImmediate("delete from CLIENTS");
        c.state.db.CommitRetaining();
        auto read = ReadJournal(c.Journal());
        ASSERT_TRUE(read);
        EXPECT_EQ(DatabaseRefusal(*read, c.state.db), "");
        EXPECT_EQ(read->linesDone.count("CLIENTS.TXT"), 0u);
        EXPECT_TRUE(read->lists.empty());
        auto continued = ImportJournal::Resume(c.state, *read);
        EXPECT_EQ(c.state.db.DrawNewID("CURRENT_ID_CLIENT"), c.id);
        continued.reset();
        c.state.db.Close();
    }
}

TEST(ImportJournal, AnEditedRecordOrAnotherDatabaseIsRefused) {
    PendingCase c;
    std::string text = ReadWholeFile(c.Journal());
    text += "V\t1\n";
    WriteWholeFile(c.Journal(), text);
    auto read = ReadJournal(c.Journal());
    ASSERT_TRUE(read);
    EXPECT_EQ(DatabaseRefusal(*read, c.state.db), "");

    // A count edited: the record no longer matches its checksum.
    std::string edited = text;
    const std::string count = "E\tCLIENTS.TXT\t1\n";
    edited.replace(edited.find(count), count.size(), "E\tCLIENTS.TXT\t7\n");
    WriteWholeFile(c.Journal(), edited);
    try {
        ReadJournal(c.Journal());
        ADD_FAILURE() << "an edited record was read";
    } catch (const FileError &e) {
        EXPECT_NE(std::string(e.what()).find(FromUtf8("altéré")), std::string::npos) << e.what();
    }

    // The same path, another database (a backup restored over it): refused, and so is a database emptied since.
    WriteWholeFile(c.Journal(), text);
    read = ReadJournal(c.Journal());
    TestDatabase other;
    TargetDatabase db;
    db.Open(other.Path());
    EXPECT_NE(DatabaseRefusal(*read, db).find(FromUtf8("n'est pas celle")), std::string::npos);
    db.Close();
    c.state.db.ExecuteImmediate("delete from CLIENTS");
    c.state.db.CommitRetaining();
    EXPECT_NE(DatabaseRefusal(*read, c.state.db).find("ne contient plus"), std::string::npos);
    c.state.db.Close();
}
