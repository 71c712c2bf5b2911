#include "database/Transaction.h"

#include "database/Attachment.h"
#include "database/FbClient.h"

namespace clinova {

using namespace Firebird;

Transaction::Transaction(const Attachment &attachment, const std::vector<unsigned char> &parameters)
    : handle_(fb::Call([&](ThrowStatusWrapper *st) {
          return attachment.Get()->startTransaction(st, static_cast<unsigned>(parameters.size()), parameters.data());
      })) {}

Transaction::~Transaction() {
    RollbackQuietly();
}

Transaction &Transaction::operator=(Transaction &&other) noexcept {
    if (this != &other) {
        RollbackQuietly();
        handle_ = std::move(other.handle_);
    }
    return *this;
}

void Transaction::Commit() {
    fb::End(handle_, [](auto *transaction, auto *st) { transaction->commit(st); });
}

void Transaction::Rollback() {
    fb::End(handle_, [](auto *transaction, auto *st) { transaction->rollback(st); });
}

void Transaction::CommitRetaining() {
    fb::Call([&](ThrowStatusWrapper *st) { handle_->commitRetaining(st); });
}

void Transaction::RollbackRetaining() {
    fb::Call([&](ThrowStatusWrapper *st) { handle_->rollbackRetaining(st); });
}

void Transaction::RollbackQuietly() noexcept {
    fb::EndQuietly(handle_, [](auto *transaction, auto *st) { transaction->rollback(st); });
}

} // namespace clinova
