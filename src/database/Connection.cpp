#include "database/Connection.h"

#include "database/FbClient.h"
#include "database/StatementParts.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <iberror.h>

#include <utility>

namespace clinova {

using namespace Firebird;

void Connection::BatchOpened(RowBatch &batch) {
    if (batch_)
        throw ProgramError(FromUtf8("un lot de lignes est déjà ouvert sur la connexion"));
    batch_ = &batch;
}

void Connection::BatchClosed(RowBatch &batch) noexcept {
    if (batch_ == &batch)
        batch_ = nullptr;
}

void Connection::SendBatch() {
    if (!batch_)
        return;
    if (!batch_->Empty()) {
        try {
            batch_->Send();
        } catch (const DatabaseError &e) {
            if (e.ConnectionLost())
                Abandon();
            throw;
        }
    }
    // The line in progress does not go on past its refused main row: none of its later statements runs.
    if (const std::string *refusal = batch_->RefusalOfLineInProgress())
        throw MainRowRefused(*refusal);
}

Connection::Connection() = default;

Connection::~Connection() {
    try {
        Close();
    } catch (const Error &) {
        // Nothing can be reported from here; an action always closes its connection itself.
    }
}

Connection::Handles Connection::TakeHandles() noexcept {
    Handles handles{std::move(attachment_), std::move(transaction_), std::move(mark_)};
    lifetime_.reset();
    schedule_.Reset();
    return handles;
}

void Connection::Attach(const std::string &databaseName, const std::vector<unsigned char> &attachParameters,
                        const std::vector<unsigned char> &transactionParameters, WritingSettings writing) {
    Close();
    Attachment attachment = Attachment::Attach(databaseName, attachParameters);
    Transaction transaction(attachment, transactionParameters);
    attachment_ = std::move(attachment);
    transaction_ = std::move(transaction);
    transactionParameters_ = transactionParameters;
    lifetime_ = std::make_shared<const int>(0);
    schedule_.Reset();
    schedule_.SetPolicy(writing.policy);
    writing_ = writing;
    ids_.Reset();
    ids_.SetBlocks(writing.batching);
}

template <typename Commit> void Connection::ObservedCommit(Commit &&commit) {
    if (commitObserver_)
        commitObserver_->BeforeCommit();
    try {
        commit();
    } catch (const DatabaseError &e) {
        if (commitObserver_)
            commitObserver_->CommitFailed(e.ConnectionLost());
        throw;
    } catch (...) {
        if (commitObserver_)
            commitObserver_->CommitFailed(true);
        throw;
    }
    if (commitObserver_)
        commitObserver_->Committed();
}

void Connection::Close() {
    if (!IsOpen())
        return;
    SendBatch();
    try {
        ids_.GiveBack();
    } catch (const Error &) {
        // Identifiers not given back are only a gap in the numbering; the commit below is what matters.
    }
    Handles handles = TakeHandles();
    if (handles.mark.IsActive())
        handles.mark.Rollback();
    if (handles.transaction.IsActive())
        ObservedCommit([&] { handles.transaction.Commit(); });
    handles.attachment.Detach();
}

bool Connection::HoldMark(std::string_view lockStatement, int waitSeconds) {
    RequireOpen();
    const std::string text(lockStatement);
    // A mark held elsewhere is waited for a while: the mark of a run that died goes once its server sees the
    // connection gone (a frozen server let go, a killed client's connection not ended yet).
    const std::vector<unsigned char> parameters =
        fb::ParameterBlock(Firebird::IXpbBuilder::TPB, [&](Firebird::ThrowStatusWrapper *st, Firebird::IXpbBuilder *tpb) {
            tpb->insertTag(st, isc_tpb_write);
            tpb->insertTag(st, isc_tpb_read_committed);
            tpb->insertTag(st, isc_tpb_rec_version);
            tpb->insertTag(st, isc_tpb_wait);
            tpb->insertInt(st, isc_tpb_lock_timeout, waitSeconds);
        });
    Transaction mark(attachment_, parameters);
    try {
        fb::Call([&](Firebird::ThrowStatusWrapper *st) {
            attachment_.Get()->execute(st, mark.Get(), static_cast<unsigned>(text.size()), text.c_str(), 3, nullptr,
                                       nullptr, nullptr, nullptr);
        });
    } catch (const DatabaseError &e) {
        if (e.Code() == isc_lock_conflict || e.Code() == isc_update_conflict || e.Code() == isc_deadlock)
            return false;
        throw;
    }
    mark_ = std::move(mark);
    return true;
}

void Connection::ReleaseMark() noexcept {
    if (!mark_.IsActive())
        return;
    try {
        mark_.Rollback();
    } catch (...) {
        // A connection that is gone took the mark with it.
    }
    mark_ = Transaction();
}

void Connection::Abandon() noexcept {
    if (batch_)
        batch_->Drop();
    TakeHandles();
    ids_.Forget();
}

void Connection::Drop() {
    if (!IsOpen())
        return;
    if (batch_)
        batch_->Drop();
    Handles handles = TakeHandles();
    ids_.Forget();
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
    SendBatch();
    const std::string text(sql);
    fb::Call([&](ThrowStatusWrapper *st) {
        attachment_.Get()->execute(st, transaction_.Get(), static_cast<unsigned>(text.size()), text.c_str(), 3, nullptr,
                                   nullptr, nullptr, nullptr);
    });
    SavepointExecuted(text);
    // A generator restarted: what was reserved from it no longer follows its value.
    const std::string upper = UpperCase1252(text);
    if (upper.find("SEQUENCE") != std::string::npos || upper.find("GENERATOR") != std::string::npos)
        ids_.Forget();
}

std::int64_t Connection::NextID(std::string_view generator) {
    RequireOpen();
    return ids_.Next(generator);
}

void Connection::CommitRetaining() {
    if (!transaction_.IsActive())
        return;
    SendBatch();
    ObservedCommit([&] { transaction_.CommitRetaining(); });
    schedule_.Committed();
}

void Connection::RollbackRetaining() {
    if (!transaction_.IsActive())
        return;
    SendBatch();
    transaction_.RollbackRetaining();
    schedule_.RolledBack();
}

void Connection::CommitPendingRows() {
    if (schedule_.RowsWaiting())
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
