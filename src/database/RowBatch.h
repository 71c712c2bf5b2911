#pragma once
// Rows that travel together: the batch of a step whose lines each write one main row, by one insert, and after
// it only writes that follow from it. The step's lines add their writes to the batch instead of executing them;
// the batch sends them to the server several at a time, each group of the same insert or update as one EXECUTE
// BLOCK: when the step asks, and before anything else runs on the connection (any other statement, a commit, a
// savepoint, the connection's end), so that the order of the writes is never changed. The main rows go first,
// then the writes that follow them, in the order the step first used their statements; within a group the rows
// keep their order. A block declares its write once,
// as a procedure of its own that each row calls, and sends once the values every one of its rows holds (the
// defaults most columns take), so that a row costs the block little more than its own values.
//
// A group the server refuses is split and sent again until the refused row is alone; that row is sent by
// itself to read the server's own message. A refused main row fails its line after the fact and what follows it
// in that line is not sent; a refused write that follows a main row is a warning of its line. The other rows
// are written. What was refused is kept until the step takes it (TakeRefused): the batch calls nothing above
// the database.

#include "database/FbHandles.h"
#include "database/StatementHost.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace clinova {

class Statement;
struct StatementWriteShape;
struct StatementInputForm;

// A data line whose row the server refused when it was sent, after the line had been read.
struct RefusedLine {
    int line;
    std::string message;
    // Refused was a write that followed the line's main row: the main row stays, and the line is imported with
    // the message as its warning.
    bool warning = false;
};

class RowBatch final {
public:
    // The batch of the host's writes from now on; the host sends it before anything else runs on it, for as long
    // as the batch lives. One batch at a time on a host.
    explicit RowBatch(StatementHost &host);
    // What still waits is dropped: the step sends its batch before it ends.
    ~RowBatch();
    RowBatch(const RowBatch &) = delete;
    RowBatch &operator=(const RowBatch &) = delete;

    // The writes added from now on are those of this data line (numbers only grow), until EndLine.
    void StartLine(int line);
    void EndLine() { inLine_ = false; }
    // The row of the write as its parameters stand now, for the current line: the line's main row, or with
    // followsMainRow a write that follows it. What makes a refusal fail its line alone is checked here: a line
    // has at most one main row, written by an insert, and nothing follows a main row the line does not have; a
    // write that breaks it is a fault of the program (ProgramError), not a refusal of the data. With
    // refusalIgnored, a refusal of the write is dropped: a write that changes nothing else (the identification
    // of calls).
    void Add(Statement &write, bool followsMainRow, bool refusalIgnored = false);
    // A write that stands on its own (an update of many lines' rows after them, one per number): its refusal
    // comes back as a warning of its number, and nothing else depends on it.
    void AddOnItsOwn(Statement &write);

    bool Empty() const { return entries_.empty(); }
    // Enough waits for one sending to be worth it (rows or bytes).
    bool Full() const;
    // Whether rows of that line, or of a line before it, still wait.
    bool HoldsRowsOf(int line) const { return !entries_.empty() && entries_.front().line <= line; }

    // Sends every row that waits; the refused lines are kept for TakeRefused. A lost connection is thrown, the
    // rows not sent then being gone with it.
    void Send();
    // The lines refused by the sendings since the last call, in the order they were found.
    std::vector<RefusedLine> TakeRefused() { return std::exchange(refused_, {}); }
    // While a line is in progress, the refusal of its main row by a sending (it stays among those TakeRefused
    // gives); nullptr when there is none. Any later write of that line is then refused too (MainRowRefused).
    const std::string *RefusalOfLineInProgress() const;
    // The connection is gone: nothing waits any more, nothing prepared is used again.
    void Drop() noexcept;

private:
    struct Entry {
        std::shared_ptr<const StatementWriteShape> shape;
        std::shared_ptr<const StatementInputForm> form;
        std::vector<unsigned char> message;
        int line;
        bool afterMainRow;
        bool refusalIgnored;
    };
    using Group = std::vector<const Entry *>;

    // Which of the write's parameters have differed between rows in this step: the others travel once per block.
    const std::vector<bool> &Varying(const Group &group);
    void SendGroup(const Group &group);
    void SendRange(const Group &group, std::size_t begin, std::size_t end);
    void SendBlock(const Group &group, std::size_t begin, std::size_t end);
    // The server's message for the row sent alone, as the insert itself; empty when it is written after all.
    std::string SendAlone(const Entry &entry);
    Firebird::IStatement *Prepared(const std::string &key, const std::string &sql);

    StatementHost &host_;
    std::vector<Entry> entries_;
    std::size_t bytes_ = 0;
    int line_ = 0;
    bool inLine_ = false;
    bool lineHasMainRow_ = false;
    std::vector<RefusedLine> refused_;
    std::weak_ptr<const void> preparedOn_;
    std::map<std::string, fb::Handle<Firebird::IStatement>> prepared_;
    // Per write (its text), the parameters that have differed between rows. A parameter only ever joins them,
    // so that the blocks' texts change a few times in a step, not from one block to the next.
    std::map<std::string, std::vector<bool>> varying_;
    // Per write (its text), its rank among the writes the step used, in the order of their first use.
    std::map<std::string, std::size_t> firstUse_;
};

} // namespace clinova
