// The journal against a real database: what a commit records, what a crash in the middle of a record leaves
// readable, what a resume rebuilds (lists, generators), and the files it refuses to read.

#include "app/ImportJournal.h"
#include "app/RunState.h"
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
    TempDir dir;
    EXPECT_FALSE(ReadJournal(dir.File(JournalFileName())));
    WriteWholeFile(dir.File("other.txt"), "ID_CLIENT\tNOM\r\n");
    EXPECT_THROW(ReadJournal(dir.File("other.txt")), FileError);
    WriteWholeFile(dir.File("real.txt"), "JOURNAL_IMPORTATION\t1\nV\t0\n");
    EXPECT_TRUE(ReadJournal(dir.File("real.txt")));
    std::filesystem::create_symlink(dir.File("real.txt"), dir.File(JournalFileName()));
    EXPECT_THROW(ReadJournal(dir.File(JournalFileName())), FileError);
    // A header without its closing line: the run died before it began.
    WriteWholeFile(dir.File("cut.txt"), "JOURNAL_IMPORTATION\t1\nO\tcbAjout\t0\n");
    EXPECT_THROW(ReadJournal(dir.File("cut.txt")), FileError);
}
