#pragma once
// The journal of an import, in the source folder: what the database holds of the run, so that a run that died
// (power lost, server restarted, process killed) can be finished by a later run that skips what is committed and
// ends exactly as an uninterrupted run would, and, once finished, the record of which files went into which
// database.
//
// It holds, in text lines: the settings that shape the run, a fingerprint of each source file (its size and a
// hash of its whole content) and the identity of the target database (a resume on other files, settings or
// another database is refused); then one record per commit: for each file, the number of its data lines done
// (lines are read in order, so the lines up to it are committed or wrote nothing); the entries the
// correspondence lists gained; the last value drawn from each generator; the steps that ended. A record is
// written and forced to the disk before its commit is asked for, closed by a line with its number and a
// checksum; once the commit is made a confirmation line follows. A record cut by a crash is ignored; a record
// whose commit is not confirmed is settled by the database itself: the rows whose identifiers the record drew
// are there or not. A finished run closes the journal with a last line, and such a journal cannot be resumed.

#include "database/Connection.h"
#include "normalized/OutputFile.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace clinova {

struct RunState;

// "JOURNAL_IMPORTATION.TXT".
const std::string &JournalFileName();

// What became of a line the journal notes, as its record's first field: R failed, W imported with warnings,
// L left aside ("ignorée"; I is the header's generator values).
enum class NotedKind : char { Failed = 'R', Warned = 'W', Skipped = 'L' };

// What a journal read back says.
struct JournalContents {
    std::vector<std::pair<std::string, std::string>> options; // name, value
    std::vector<std::string> fingerprints;                    // one per source file, as written
    std::map<std::string, std::int64_t> generators;           // at the start, then as drawn at each commit
    std::map<std::string, int> linesDone;                     // by file name
    std::set<std::string> stepsDone;                          // by the step's name in the log
    // The list entries, in order: the list's name and a value; a value-less entry with a length truncates.
    struct ListChange {
        std::string list;
        bool truncate = false;
        int length = 0;
        std::string value;
    };
    std::vector<ListChange> lists;
    // The lines among those done that failed (with their reason), were imported with warnings or were left
    // aside (with their reason), by file and line: a resume puts them in its rejects, warnings and lines left
    // aside again.
    struct NotedLine {
        NotedKind kind = NotedKind::Failed;
        std::string text;
        std::string column; // a failed line's value that did not convert: its column, which the rejects name
    };
    std::map<std::string, std::map<int, NotedLine>> noted;
    bool finished = false;
    std::string database; // the identity of the target database (see DatabaseIdentity)
    std::string started;  // when the run started, dd/mm/yyyy hh:mm:ss
    std::string process;  // the process that ran it
    std::string text;     // the confirmed part, as read (a resume writes it again and goes on after it)

    // What a record adds, as read.
    struct Record {
        std::map<std::string, std::int64_t> generators;
        std::map<std::string, int> linesDone;
        std::set<std::string> stepsDone;
        std::vector<ListChange> lists;
        std::map<std::string, std::map<int, NotedLine>> noted;
    };
    // The last record, written before a commit whose end the journal does not tell (the run died in between),
    // with its text; the generators' values it starts from are those above.
    std::optional<Record> pending;
    std::string pendingText;
    std::uint64_t pendingNumber = 0;
    std::uint64_t lastRecord = 0;                            // the number of the last record read
    std::map<std::string, std::int64_t> initialGenerators; // as the run found them

    // The pending record's commit was made: it counts as the others.
    void AcceptPending();
};

// The identity of the database the connection is attached to: its file as the server names it and the moment
// it was created (a copy restored from a backup is another database).
std::string DatabaseIdentity(Connection &db);

// The fingerprints of these source files of the folder, as the journal holds them.
std::vector<std::string> Fingerprints(const std::string &folder, const std::vector<std::string> &files);

// Whether the commit of the journal's pending record was made: true when a row whose identifier the record
// drew is in the database. A record that drew none is taken as not committed, and its lines are done again.
bool PendingRecordCommitted(Connection &db, const JournalContents &journal);

// Why the database the run is attached to is not the one the journal was written for, or does not hold what the
// journal says it committed (French, Windows-1252); empty when it is. The pending record is settled first.
std::string DatabaseRefusal(JournalContents &journal, Connection &db);

// The checksum that closes a record: of its lines (from the end of the previous record) and its number.
std::string JournalRecordChecksum(std::string_view lines, std::uint64_t number);

// Reads a journal. nullopt when there is none; throws FileError when it cannot be read or is not a journal.
std::optional<JournalContents> ReadJournal(const std::string &path);

// Whether the folder (with its final separator) holds the journal of an import that was interrupted and can be
// resumed.
bool ResumableImportIn(const std::string &folder);

// Why a resume of this journal with these settings and files must not run (French, Windows-1252); empty when
// it may.
std::string ResumeRefusal(const JournalContents &journal, const RunState &state);

class ImportJournal final : private Connection::CommitObserver {
public:
    // A new journal for a run of state's settings over these source files (names in the source folder): the
    // header, with the generators' values now. From then on every commit of state.db is recorded. Throws
    // FileError or DatabaseError.
    static std::unique_ptr<ImportJournal> Start(RunState &state, const std::vector<std::string> &files);
    // The journal of the interrupted run, written again under its name and continued: the lists of state are
    // rebuilt from it and the generators put back where its last record left them. Throws FileError or
    // DatabaseError.
    static std::unique_ptr<ImportJournal> Resume(RunState &state, const JournalContents &contents);
    ~ImportJournal();
    ImportJournal(const ImportJournal &) = delete;
    ImportJournal &operator=(const ImportJournal &) = delete;

    // The data lines of the file the interrupted run committed; 0 for a new run.
    int LinesDoneBefore(const std::string &fileName) const;
    bool StepDoneBefore(const std::string &stepName) const { return stepsDoneBefore_.count(stepName) > 0; }
    // What became of a line the interrupted run did, when it failed, had warnings or was left aside; nullptr
    // otherwise.
    const JournalContents::NotedLine *NotedBefore(const std::string &fileName, int number) const;
    // The lines of the file the interrupted run noted so (failed, left aside...).
    int NotedBefore(const std::string &fileName, NotedKind kind) const;
    // Every line of the file the interrupted run noted, by line number.
    const std::map<int, JournalContents::NotedLine> &NotedLinesBefore(const std::string &fileName) const;

    // Where the steps stand, for the next commit: a line of the file starts; it has ended (its rows all
    // written, or it failed). A commit inside a line records the lines before it, with the lists and
    // generators as they stood before the line.
    void LineStarting(const std::string &fileName, int number);
    void LineEnded(int number);
    // A line failed (its reason), was imported with warnings (their text) or was left aside (its reason):
    // recorded with its line.
    void LineNoted(const std::string &fileName, int number, NotedKind kind, const std::string &text,
                   const std::string &column = {});
    // The step has read the file up to lastLine and committed what they wrote.
    void LinesRead(const std::string &fileName, int lastLine);
    // A step has ended and its rows are committed.
    void StepDone(const std::string &stepName);
    // The run went to its end: the journal is closed as finished.
    void Finish();

private:
    struct Snapshot {
        std::vector<int> lengths;
        std::map<std::string, std::int64_t> generators;
    };
    ImportJournal(RunState &state, std::unique_ptr<OutputFile> file);
    Snapshot Take() const;
    void BeforeCommit() noexcept override;
    void Committed() noexcept override;
    void CommitFailed(bool connectionLost) noexcept override;
    // Writes what changed since the last record. beforeCommit: the record is closed as pending, to be confirmed
    // once its commit is made; otherwise it is confirmed at once.
    void Record(const std::string &extra, const Snapshot &at, bool beforeCommit = false) noexcept;
    void Write(const std::string &text, bool sync);
    void Abandon(const std::exception &e) noexcept;

    RunState &state_;
    std::unique_ptr<OutputFile> file_;
    // What the journal holds; a record whose commit failed is taken back.
    struct Position {
        std::vector<int> written;                       // the lengths of the lists
        std::map<std::string, std::int64_t> generators; // the values
        std::map<std::string, int> recordedLines;       // by file
        struct Noted {
            std::string fileName;
            int number;
            NotedKind kind;
            std::string text;
            std::string column;
        };
        std::vector<Noted> noted; // not recorded yet
    };
    Position at_;
    Position beforePending_;
    std::uint64_t pending_ = 0; // the record waiting for its commit's end, 0 when none
    std::map<std::string, int> linesDoneBefore_;
    std::set<std::string> stepsDoneBefore_;
    std::map<std::string, std::map<int, JournalContents::NotedLine>> notedBefore_;
    std::string fileName_;                          // the file whose lines are being read
    int doneLine_ = 0;                               // its last line ended
    int lineNumber_ = 0;                             // the line in progress
    bool inLine_ = false;
    Snapshot beforeLine_;
    std::uint64_t records_ = 0;
    bool failed_ = false;   // the journal could not be written: removed, nothing more is recorded
    bool stopped_ = false;  // the connection was lost during a commit: nothing more is recorded
    bool finished_ = false;
};

// The data lines of the file committed by the run a resume finishes; 0 without a journal or for a new run.
int LinesDoneBefore(const RunState &state, const std::string &fileName);

} // namespace clinova
