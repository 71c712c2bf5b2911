#pragma once
// One attachment to a database. Destroyed while attached, it detaches without throwing.

#include "database/FbHandles.h"

#include <string>
#include <vector>

namespace clinova {

class Attachment final {
public:
    Attachment() = default;
    // Attaches to the database of that name with these parameters (a DPB).
    static Attachment Attach(const std::string &databaseName, const std::vector<unsigned char> &parameters);
    // Creates the database file and stays attached to it.
    static Attachment Create(const std::string &databaseName, const std::vector<unsigned char> &parameters);

    ~Attachment();
    Attachment(Attachment &&) noexcept = default;
    Attachment &operator=(Attachment &&other) noexcept;

    bool IsAttached() const { return handle_ != nullptr; }
    Firebird::IAttachment *Get() const { return handle_.get(); }

    // Fails while a transaction is active: it must end first.
    void Detach();
    // Deletes the database, file included.
    void Drop();

private:
    explicit Attachment(Firebird::IAttachment *attachment);
    void DetachQuietly() noexcept;

    fb::Handle<Firebird::IAttachment> handle_;
};

} // namespace clinova
