#include "database/Connection.h"

#include "database/FbClient.h"
#include "normalized/Win1252.h"

namespace clinova {

using namespace Firebird;

Connection::~Connection() {
    try {
        Close();
    } catch (const Error &) {
        // Nothing can be reported from here; an action always closes its connection itself.
    }
}

Connection::Handles Connection::TakeHandles() noexcept {
    Handles handles{std::move(attachment_), std::move(transaction_)};
    lifetime_.reset();
    schedule_.Reset();
    return handles;
}

void Connection::Attach(const std::string &databaseName, const std::vector<unsigned char> &attachParameters,
                        const std::vector<unsigned char> &transactionParameters) {
    Close();
    Attachment attachment = Attachment::Attach(databaseName, attachParameters);
    Transaction transaction(attachment, transactionParameters);
    attachment_ = std::move(attachment);
    transaction_ = std::move(transaction);
    lifetime_ = std::make_shared<const int>(0);
    schedule_.Reset();
}

void Connection::Close() {
    if (!IsOpen())
        return;
    Handles handles = TakeHandles();
    if (handles.transaction.IsActive()) {
        handles.transaction.Commit();
        if (commitObserver_)
            commitObserver_();
    }
    handles.attachment.Detach();
}

void Connection::Abandon() noexcept {
    TakeHandles();
}

void Connection::Drop() {
    if (!IsOpen())
        return;
    Handles handles = TakeHandles();
    if (handles.transaction.IsActive())
        handles.transaction.Rollback();
    handles.attachment.Drop();
}

void Connection::RequireOpen() const {
    if (!IsOpen())
        throw DatabaseError(FromUtf8("la base de données n'est pas ouverte"));
}

void Connection::ExecuteImmediate(std::string_view sql) {
    RequireOpen();
    const std::string text(sql);
    fb::Call([&](ThrowStatusWrapper *st) {
        attachment_.Get()->execute(st, transaction_.Get(), static_cast<unsigned>(text.size()), text.c_str(), 3, nullptr,
                                   nullptr, nullptr, nullptr);
    });
    SavepointExecuted(text);
}

void Connection::CommitRetaining() {
    if (!transaction_.IsActive())
        return;
    transaction_.CommitRetaining();
    schedule_.Committed();
    if (commitObserver_)
        commitObserver_();
}

void Connection::RollbackRetaining() {
    if (!transaction_.IsActive())
        return;
    transaction_.RollbackRetaining();
    schedule_.RolledBack();
}

void Connection::CommitPendingRows() {
    if (schedule_.RowsWaiting())
        CommitRetaining();
}

void Connection::LineEnded() {
    if (schedule_.LineEnded())
        CommitRetaining();
}

void Connection::RowsWritten(std::uint64_t rows) {
    if (schedule_.RowsWritten(rows))
        CommitRetaining();
}

void Connection::SavepointExecuted(std::string_view sql) {
    const SavepointStatement savepoint = ReadSavepointStatement(sql);
    if (savepoint.kind != SavepointStatement::Kind::None && schedule_.SavepointDone(savepoint))
        CommitRetaining();
}

} // namespace clinova
