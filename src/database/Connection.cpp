#include "database/Connection.h"

#include "database/FbClient.h"
#include "database/StatementParts.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <iberror.h>

#include <utility>

namespace clinova {

using namespace Firebird;

namespace {
// Held rows are sent at the end of a line once this many wait, or this many bytes.
constexpr std::size_t kHeldRows = 1024;
constexpr std::size_t kHeldBytes = 4 << 20;
} // namespace

bool Connection::HoldsRowsBack() const {
    return heldLine_ > 0 && batching_ && schedule_.Policy() == CommitPolicy::Grouped && IsOpen();
}

void Connection::HoldBack(const std::shared_ptr<const StatementWriteShape> &shape,
                          const std::shared_ptr<const StatementInputForm> &form,
                          const std::vector<unsigned char> &message) {
    // What lets a refused row fail its line alone: a line's held rows are at most one main row, written by one
    // insert, and after it only writes that follow from it.
    if (!afterMainRow_) {
        if (!shape->insert || mainRowHeld_)
            throw ProgramError(FromUtf8("une ligne dont les écritures voyagent ensemble écrit plus d'une ligne "
                                        "principale, ou pas par un insert"));
        mainRowHeld_ = true;
    }
    if (!held_)
        held_ = std::make_unique<PendingInserts>(*this);
    held_->Add(shape, form, message, heldLine_, afterMainRow_);
    RowsWritten(1);
}

void Connection::SendHeldRows() {
    if (!held_ || held_->Count() == 0)
        return;
    try {
        held_->Flush(lateFailures_);
    } catch (const DatabaseError &e) {
        lateFailures_.clear();
        if (e.ConnectionLost())
            Abandon();
        throw;
    }
    if (heldRowsSentHandler_)
        heldRowsSentHandler_(TakeLateFailures());
}

std::size_t Connection::HeldRows() const { return held_ ? held_->Count() : 0; }

std::vector<LateLineFailure> Connection::TakeLateFailures() { return std::exchange(lateFailures_, {}); }

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
                        const std::vector<unsigned char> &transactionParameters) {
    Close();
    Attachment attachment = Attachment::Attach(databaseName, attachParameters);
    Transaction transaction(attachment, transactionParameters);
    attachment_ = std::move(attachment);
    transaction_ = std::move(transaction);
    transactionParameters_ = transactionParameters;
    lifetime_ = std::make_shared<const int>(0);
    schedule_.Reset();
    ids_.Reset();
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
    SendHeldRows();
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
    if (held_)
        held_->Drop();
    TakeHandles();
    ids_.Forget();
}

void Connection::Drop() {
    if (!IsOpen())
        return;
    if (held_)
        held_->Drop();
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
    SendHeldRows();
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

void Connection::SetBatching(bool on) {
    if (on == batching_)
        return;
    if (IsOpen())
        ids_.GiveBack();
    batching_ = on;
    ids_.SetBlocks(on);
}

std::int64_t Connection::NextID(std::string_view generator) {
    RequireOpen();
    return ids_.Next(generator);
}

void Connection::CommitRetaining() {
    if (!transaction_.IsActive())
        return;
    SendHeldRows();
    ObservedCommit([&] { transaction_.CommitRetaining(); });
    schedule_.Committed();
}

void Connection::RollbackRetaining() {
    if (!transaction_.IsActive())
        return;
    SendHeldRows();
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
    else if (held_ && (held_->Count() >= kHeldRows || held_->Bytes() >= kHeldBytes))
        SendHeldRows();
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
