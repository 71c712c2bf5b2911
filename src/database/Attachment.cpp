#include "database/Attachment.h"

#include "database/FbClient.h"

namespace clinova {

using namespace Firebird;

Attachment::Attachment(IAttachment *attachment) : handle_(attachment) {}

Attachment Attachment::Attach(const std::string &databaseName, const std::vector<unsigned char> &parameters) {
    const fb::Handle<IProvider> provider(fb::Master()->getDispatcher());
    return Attachment(fb::Call([&](ThrowStatusWrapper *st) {
        return provider->attachDatabase(st, databaseName.c_str(), static_cast<unsigned>(parameters.size()),
                                        parameters.data());
    }));
}

Attachment Attachment::Create(const std::string &databaseName, const std::vector<unsigned char> &parameters) {
    const fb::Handle<IProvider> provider(fb::Master()->getDispatcher());
    return Attachment(fb::Call([&](ThrowStatusWrapper *st) {
        return provider->createDatabase(st, databaseName.c_str(), static_cast<unsigned>(parameters.size()),
                                        parameters.data());
    }));
}

Attachment::~Attachment() {
    DetachQuietly();
}

Attachment &Attachment::operator=(Attachment &&other) noexcept {
    if (this != &other) {
        DetachQuietly();
        handle_ = std::move(other.handle_);
    }
    return *this;
}

void Attachment::Detach() {
    fb::End(handle_, [](auto *attachment, auto *st) { attachment->detach(st); });
}

void Attachment::Drop() {
    fb::End(handle_, [](auto *attachment, auto *st) { attachment->dropDatabase(st); });
}

void Attachment::DetachQuietly() noexcept {
    fb::EndQuietly(handle_, [](auto *attachment, auto *st) { attachment->detach(st); });
}

} // namespace clinova
