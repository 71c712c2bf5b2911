#pragma once
// What a statement runs on, as the statement sees it: the handles of the moment and their lifetime, the batch of
// rows travelling together that must leave first, and where it reports the rows it writes. The connection is the
// one host; the statements, the batch and the identifier reservations know only this face of it, so that the
// files of the database layer depend one way: host, statement, batch and reservations, connection.

#include "database/CommitSchedule.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace Firebird {
class IAttachment;
class ITransaction;
} // namespace Firebird

namespace clinova {

class RowBatch;

class StatementHost {
public:
    virtual bool IsOpen() const = 0;
    virtual Firebird::IAttachment *AttachmentHandle() const = 0;
    virtual Firebird::ITransaction *TransactionHandle() const = 0;
    // Expires when the attachment is closed or lost: a statement prepared before must be prepared again, and
    // gives its old handles back without using them.
    virtual std::weak_ptr<const void> Lifetime() const = 0;

    // Whether the round trips to the server are spared, and how rows are committed.
    virtual bool Batching() const = 0;
    virtual CommitPolicy Policy() const = 0;

    // A batch of this host's writes (see RowBatch) starts, or ends: while one lives, it is sent before any
    // other statement runs, so that the writes keep their order.
    virtual void BatchOpened(RowBatch &batch) = 0;
    virtual void BatchClosed(RowBatch &batch) noexcept = 0;
    // Sends the rows of the open batch, if any: before any other statement runs.
    virtual void SendBatch() = 0;

    // A statement has written rows (inserted, updated, deleted, or through a procedure).
    virtual void RowsWritten(std::uint64_t rows) = 0;
    // A statement has set, released or rolled back to a savepoint.
    virtual void SavepointExecuted(std::string_view sql) = 0;

protected:
    ~StatementHost() = default;
};

} // namespace clinova
