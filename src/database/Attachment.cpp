#include "database/Attachment.h"

#include "database/FbClient.h"

namespace clinova {

using namespace Firebird;

Attachment::Attachment(IAttachment *attachment) : handle_(attachment) {
    if (attachment)
        fb::WatchAttachment(attachment);
}

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
    IAttachment *const attachment = handle_.get();
    fb::End(handle_, [](auto *a, auto *st) { a->detach(st); });
    fb::UnwatchAttachment(attachment);
}

void Attachment::Drop() {
    IAttachment *const attachment = handle_.get();
    fb::End(handle_, [](auto *a, auto *st) { a->dropDatabase(st); });
    fb::UnwatchAttachment(attachment);
}

void Attachment::DetachQuietly() noexcept {
    IAttachment *const attachment = handle_.get();
    fb::EndQuietly(handle_, [](auto *a, auto *st) { a->detach(st); });
    if (attachment)
        fb::UnwatchAttachment(attachment);
}

} // namespace clinova
