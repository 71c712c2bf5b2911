#pragma once
// What a statement runs on, as the statement sees it: the handles of the moment and their lifetime, the rows held
// back to travel together, and where it reports the rows it writes. The connection is the one host; the
// statements, the held rows and the identifier reservations know only this face of it, so that the files of the
// database layer depend one way: host, statement, held rows and reservations, connection.

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

struct StatementWriteShape;
struct StatementInputForm;

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

    // Whether a write of one row is held back now (see Connection::SetHeldLine), and holding it.
    virtual bool HoldsRowsBack() const = 0;
    virtual void HoldBack(const std::shared_ptr<const StatementWriteShape> &shape,
                          const std::shared_ptr<const StatementInputForm> &form,
                          const std::vector<unsigned char> &message) = 0;
    // Sends the rows held back: before any other statement runs.
    virtual void SendHeldRows() = 0;

    // A statement has written rows (inserted, updated, deleted, or through a procedure).
    virtual void RowsWritten(std::uint64_t rows) = 0;
    // A statement has set, released or rolled back to a savepoint.
    virtual void SavepointExecuted(std::string_view sql) = 0;

protected:
    ~StatementHost() = default;
};

} // namespace clinova
