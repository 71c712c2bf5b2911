// Faults of the files around the database: a source folder that cannot be written, a disk that is full when
// the lists and reports are written, and a database file that is not a Firebird database.

#include "faults/FaultSupport.h"

#include "app/DatabaseActions.h"
#include "cleaning/EmptyTables.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>

using namespace clinova;
using namespace clinova::test;

namespace {

int Shell(const std::string &command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

// True when a file can still be created in the folder.
bool Writable(const std::string &folder) {
    const std::string probe = folder + "probe.tmp";
    std::FILE *file = std::fopen(probe.c_str(), "wb");
    if (!file)
        return false;
    std::fclose(file);
    std::remove(probe.c_str());
    return true;
}

// The folder made read-only for everyone, root included: a read-only bind mount of itself, or else the
// immutable attribute. How it was done is kept for the record of what the test exercised.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::string &folder) : folder_(folder) {
        if (Shell("mount --bind '" + folder_ + "' '" + folder_ + "'") == 0) {
            mounted_ = true;
            if (Shell("mount -o remount,bind,ro '" + folder_ + "'") == 0)
                how_ = "read-only bind mount";
        }
        if (how_.empty() && Shell("chattr +i '" + folder_ + "'") == 0) {
            immutable_ = true;
            how_ = "immutable attribute";
        }
        if (Writable(folder_ + "/"))
            how_.clear();
    }
    ~ReadOnlyFolder() {
        if (immutable_)
            Shell("chattr -i '" + folder_ + "'");
        if (mounted_)
            Shell("umount '" + folder_ + "'");
    }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    // Empty when the folder could not be made read-only.
    const std::string &How() const { return how_; }

private:
    std::string folder_;
    std::string how_;
    bool mounted_ = false;
    bool immutable_ = false;
};

// A small file system of its own (tmpfs), filled up after the sample practice was copied into it.
class FullDisk {
public:
    explicit FullDisk(const std::string &folder) : folder_(folder) {
        std::filesystem::create_directories(folder_);
        mounted_ = Shell("mount -t tmpfs -o size=1m tmpfs '" + folder_ + "'") == 0;
    }
    ~FullDisk() {
        if (mounted_)
            Shell("umount '" + folder_ + "'");
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    bool Mounted() const { return mounted_; }
    // Writes a filler file until the disk refuses a byte more; true when it did.
    bool Fill() const {
        std::FILE *file = std::fopen((folder_ + "/filler.bin").c_str(), "wb");
        if (!file)
            return false;
        std::setvbuf(file, nullptr, _IONBF, 0);
        const std::string block(4096, 'x');
        while (std::fwrite(block.data(), 1, block.size(), file) == block.size()) {
        }
        while (std::fwrite("x", 1, 1, file) == 1) {
        }
        const bool full = errno == ENOSPC;
        std::fclose(file);
        return full;
    }

private:
    std::string folder_;
    bool mounted_ = false;
};

std::set<std::string> FileNames(const std::string &folder) {
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// An import with the careful settings into a fresh database, from a given folder.
struct FolderRun {
    TempDir dir;
    std::string database = FreshDatabase(dir);
    FaultOperator op;
    RunState state{op};
    RunOutcome outcome = RunOutcome::Refused;

    explicit FolderRun(const std::string &folder) {
        state.options.edPathNameDatabase = database;
        CarefulSettings(state.options);
        ScanSourceFolder(state, folder);
    }
    void Run() { outcome = btnImportationClick(state); }
};

// The lists, reports and rejects cannot be written: each failure has its log line, the duplicate lines fail
// with the reason instead of going to their report, and the rows are those of a clean import.
void ExpectRunWithoutItsFiles(const FolderRun &run, const std::string &folder) {
    const Reference &clean = CleanImport();
    EXPECT_EQ(run.outcome, RunOutcome::CompletedWithFailures);
    EXPECT_EQ(run.op.messages.back(), "\r\n\r\nFin de l'opération d'importation");
    EXPECT_EQ(TableCounts(run.database), clean.counts);
    EXPECT_EQ(run.op.LogStartingWith("Liste de correspondance non écrite : " + folder + "__").size(),
              clean.lists.size());
    ExpectEveryReadLineAccountedFor(run.state.summaries);
    ASSERT_EQ(run.state.summaries.size(), clean.summaries.size());
    for (const auto &s : run.state.summaries) {
        const StepSummary &c = clean.summaries.at(s.fileName);
        EXPECT_EQ(s.read, c.read) << s.fileName;
        EXPECT_EQ(s.imported, c.imported) << s.fileName;
        // Without their report, the duplicates are failed lines, each with its log line.
        const bool reported = s.fileName == "CLIENTS.TXT" || s.fileName == "ANIMAUX.TXT" ||
                              s.fileName == "CONSULTATIONS.TXT";
        EXPECT_EQ(s.matched, reported ? 0 : c.matched) << s.fileName;
        EXPECT_EQ(s.failed, c.failed + (reported ? c.matched : 0)) << s.fileName;
        if (s.failed > 0) {
            const std::string rejects = "Impossible d'écrire le fichier \"" + folder + "REJETS_" + s.fileName;
            EXPECT_EQ(run.op.LogStartingWith(rejects).size(), 1u) << s.fileName;
        }
    }
}

} // namespace

TEST(FileFaults, ReadOnlySourceFolder) {
    TempDir dir;
    const std::string folder = CopyPractice(dir);
    const auto before = FileNames(folder);
    ReadOnlyFolder readOnly(folder);
    if (readOnly.How().empty())
        GTEST_SKIP() << "the folder cannot be made read-only here";
    RecordProperty("read_only_by", readOnly.How());

    FolderRun run(folder);
    run.Run();
    ExpectRunWithoutItsFiles(run, folder);
    const StepSummary &clients = CleanImport().summaries.at("CLIENTS.TXT");
    EXPECT_EQ(run.op.LogStartingWith("CLIENTS.TXT/ligne ").size(), clients.failed + clients.matched);
    EXPECT_EQ(FileNames(folder), before);
}

// The lists of an earlier run are still whole after a run that could not replace them.
TEST(FileFaults, FullDiskWhenTheListsAndReportsAreWritten) {
    TempDir dir;
    const std::string folder = dir.File("disk");
    FullDisk disk(folder);
    if (!disk.Mounted())
        GTEST_SKIP() << "mounting a small file system is not permitted here";
    std::filesystem::copy(SourceRoot() / "examples" / "practice", folder);
    const std::string earlier = "C0001\r\nC0002\r\n";
    dir.Write("disk/__fSourceIDClientList.txt", earlier);
    dir.Write("disk/__fDatabaseIDClientList.txt", "1\r\n2\r\n");
    ASSERT_TRUE(disk.Fill()) << "the disk could not be filled";
    const auto before = FileNames(folder);

    FolderRun run(folder + "/");
    run.Run();
    ExpectRunWithoutItsFiles(run, folder + "/");
    EXPECT_EQ(dir.Read("disk/__fSourceIDClientList.txt"), earlier);
    EXPECT_EQ(dir.Read("disk/__fDatabaseIDClientList.txt"), "1\r\n2\r\n");
    // Nothing half-written is left behind; the empty reports are all that could be created.
    auto after = FileNames(folder);
    for (const auto &name : {"DOUBLONS_CLIENTS.TXT", "DOUBLONS_ANIMAUX.TXT", "DOUBLONS_CONSULTATIONS.TXT"}) {
        if (after.erase(name)) {
            EXPECT_EQ(dir.Read(std::string("disk/") + name), "") << name;
        }
    }
    EXPECT_EQ(after, before);
}

// A database file that is not a Firebird database: the actions end with the client's message, write no log
// line and leave the file as it was.
TEST(FileFaults, ADatabaseFileThatIsNotAFirebirdDatabase) {
    TempDir dir;
    const std::string folder = CopyPractice(dir);
    std::string text = ReadWholeFile(folder + "CLIENTS.TXT");
    std::string zeros(64 * 1024, '\0');
    std::string truncated = ReadWholeFile(FreshDatabase(dir, "REAL.FDB"));
    truncated.resize(truncated.size() / 3);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"EMPTY.FDB", ""}, {"TEXT.FDB", text}, {"ZEROS.FDB", zeros}, {"TRUNCATED.FDB", truncated}};
    for (const auto &[name, bytes] : files) {
        SCOPED_TRACE(name);
        dir.Write(name, bytes);
        ScriptedOperator op;
        RunState state(op);
        state.options.edPathNameDatabase = dir.File(name);
        CarefulSettings(state.options);
        ScanSourceFolder(state, folder);
        const RunOutcome outcome = btnImportationClick(state);
        EXPECT_EQ(outcome, RunOutcome::Failed);
        ASSERT_EQ(op.messages.size(), 2u);
        EXPECT_FALSE(op.messages[1].empty());
        EXPECT_TRUE(op.log.empty()) << op.log.front();
        EXPECT_FALSE(std::filesystem::exists(folder + "__fSourceIDClientList.txt"));

        op.messages.clear();
        EXPECT_FALSE(btnTestClick(state));
        ASSERT_EQ(op.messages.size(), 1u);
        EXPECT_EQ(EmptyTables(state, true), CleaningOutcome::Failed);
        EXPECT_EQ(dir.Read(name), bytes) << "the file is left as it was";
    }
}
