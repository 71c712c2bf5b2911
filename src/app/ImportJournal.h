#pragma once
// The journal of an import, in the source folder: what the database holds of the run, written after each
// commit and forced to the disk, so that a run that died (power lost, server restarted, process killed) can be
// finished by a later run that skips what is committed and ends exactly as an uninterrupted run would.
//
// It holds, in text lines: the settings that shape the run and a fingerprint of each source file (a resume on
// other files or settings is refused); then one record per commit: for each file, the number of its data lines
// done (lines are read in order, so the lines up to it are committed or wrote nothing); the entries the
// correspondence lists gained; the last value drawn from each generator; the steps that ended. A record counts
// only once its closing line is there, so a record cut by a crash is ignored. A finished run closes the journal
// with a last line, and such a journal cannot be resumed.

#include "normalized/OutputFile.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
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
    };
    std::map<std::string, std::map<int, NotedLine>> noted;
    bool finished = false;
    std::string text; // the valid part, as read (a resume writes it again and goes on after it)
};

// Reads a journal. nullopt when there is none; throws FileError when it cannot be read or is not a journal.
std::optional<JournalContents> ReadJournal(const std::string &path);

// Why a resume of this journal with these settings and files must not run (French, Windows-1252); empty when
// it may.
std::string ResumeRefusal(const JournalContents &journal, const RunState &state);

class ImportJournal {
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

    // Where the steps stand, for the next commit: a line of the file starts; it has ended (its rows all
    // written, or it failed). A commit inside a line records the lines before it, with the lists and
    // generators as they stood before the line.
    void LineStarting(const std::string &fileName, int number);
    void LineEnded(int number);
    // A line failed (its reason), was imported with warnings (their text) or was left aside (its reason):
    // recorded with its line.
    void LineNoted(const std::string &fileName, int number, NotedKind kind, const std::string &text);
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
    void Committed() noexcept;
    void Record(const std::string &extra, const Snapshot &at) noexcept;

    RunState &state_;
    std::unique_ptr<OutputFile> file_;
    std::vector<int> written_;                       // the lengths of the lists the journal holds
    std::map<std::string, std::int64_t> generators_; // the values the journal holds
    std::map<std::string, int> recordedLines_;       // by file, as the journal holds them
    std::map<std::string, int> linesDoneBefore_;
    std::set<std::string> stepsDoneBefore_;
    std::map<std::string, std::map<int, JournalContents::NotedLine>> notedBefore_;
    struct Noted {
        std::string fileName;
        int number;
        NotedKind kind;
        std::string text;
    };
    std::vector<Noted> noted_; // not recorded yet
    std::string fileName_;                          // the file whose lines are being read
    int doneLine_ = 0;                               // its last line ended
    int lineNumber_ = 0;                             // the line in progress
    bool inLine_ = false;
    Snapshot beforeLine_;
    std::uint64_t records_ = 0;
    bool failed_ = false;
    bool finished_ = false;
};

// The data lines of the file committed by the run a resume finishes; 0 without a journal or for a new run.
int LinesDoneBefore(const RunState &state, const std::string &fileName);

} // namespace clinova
