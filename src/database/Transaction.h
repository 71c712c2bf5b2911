#pragma once
// One transaction of an attachment. Destroyed while active, it is rolled back without throwing.

#include "database/FbHandles.h"

#include <vector>

namespace clinova {

class Attachment;

class Transaction final {
public:
    Transaction() = default;
    // Starts a transaction with these parameters (a TPB).
    Transaction(const Attachment &attachment, const std::vector<unsigned char> &parameters);

    ~Transaction();
    Transaction(Transaction &&) noexcept = default;
    Transaction &operator=(Transaction &&other) noexcept;

    bool IsActive() const { return handle_ != nullptr; }
    Firebird::ITransaction *Get() const { return handle_.get(); }

    void Commit();
    void Rollback();
    // Make the work permanent, or undo it, and go on in the same context.
    void CommitRetaining();
    void RollbackRetaining();

private:
    void RollbackQuietly() noexcept;

    fb::Handle<Firebird::ITransaction> handle_;
};

} // namespace clinova
