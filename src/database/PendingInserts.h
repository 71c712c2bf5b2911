#pragma once
// Rows held back to travel together. While a step whose lines each write one main row (and perhaps, after it,
// writes that follow from it) reads its lines, those writes are not sent one by one: they wait here and go to
// the server several at a time, each group of the same insert or update as one EXECUTE BLOCK, before anything
// else runs on the connection (any other statement, a commit, a savepoint, the end of the step's lines). The
// main rows go first, then the writes that follow them; within a group the rows keep their order.
//
// A group the server refuses is split and sent again until the refused row is alone; that row is sent by
// itself to read the server's own message. A refused main row fails its line after the fact (the step then
// undoes what it counted for the line) and what follows it in that line is not sent; a refused write that
// follows a main row is a warning of its line. The other rows are written.

#include "database/FbHandles.h"
#include "database/StatementHost.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace clinova {

// A data line whose row the server refused when it was sent, after the line had been read.
struct LateLineFailure {
    int line;
    std::string message;
    // Refused was a write that followed the line's main row (see Connection::SetAfterMainRow): the main row stays,
    // and the line is imported with the message as its warning.
    bool warning = false;
};

class PendingInserts final {
public:
    explicit PendingInserts(StatementHost &host);
    ~PendingInserts();
    PendingInserts(const PendingInserts &) = delete;
    PendingInserts &operator=(const PendingInserts &) = delete;

    // The write's row, as bound in the message of that layout, for the data line given; afterMainRow for a
    // write that follows the line's main row.
    void Add(const std::shared_ptr<const StatementWriteShape> &shape,
             const std::shared_ptr<const StatementInputForm> &form, const std::vector<unsigned char> &message,
             int line, bool afterMainRow);
    std::size_t Count() const { return entries_.size(); }
    std::size_t Bytes() const { return bytes_; }

    // Sends every row that waits; the refused lines are added to failures. A lost connection is thrown, the
    // rows not sent then being gone with it.
    void Flush(std::vector<LateLineFailure> &failures);
    // The connection is gone: nothing waits any more, nothing prepared is used again.
    void Drop() noexcept;

private:
    struct Entry {
        std::shared_ptr<const StatementWriteShape> shape;
        std::shared_ptr<const StatementInputForm> form;
        std::vector<unsigned char> message;
        int line;
        bool afterMainRow;
    };
    using Group = std::vector<const Entry *>;

    void SendGroup(const Group &group, std::vector<LateLineFailure> &failures);
    void SendRange(const Group &group, std::size_t begin, std::size_t end, std::vector<LateLineFailure> &failures);
    void SendBlock(const Group &group, std::size_t begin, std::size_t end);
    // The server's message for the row sent alone, as the insert itself; empty when it is written after all.
    std::string SendAlone(const Entry &entry);
    Firebird::IStatement *Prepared(const std::string &key, const std::string &sql);

    StatementHost &connection_;
    std::vector<Entry> entries_;
    std::size_t bytes_ = 0;
    std::weak_ptr<const void> preparedOn_;
    std::map<std::string, fb::Handle<Firebird::IStatement>> prepared_;
};

} // namespace clinova
