#pragma once
// Owners of the Firebird client's interfaces. Every interface the client hands out is held by one owner, which
// gives it back however the owner's life ends: reference-counted interfaces are released, disposable ones (the
// parameter block builders) disposed. No code releases an interface by hand. The owners need no Firebird
// header; the code that uses the interfaces includes FbClient.h, which also has the calls that end them.

#include <memory>

namespace Firebird {
class IAttachment;
class IBlob;
class IMessageMetadata;
class IResultSet;
class IService;
class IStatement;
class ITransaction;
} // namespace Firebird

namespace clinova::fb {

template <typename T> struct Releaser {
    void operator()(T *p) const noexcept { p->release(); }
};

template <typename T> struct Disposer {
    void operator()(T *p) const noexcept { p->dispose(); }
};

template <typename T> using Handle = std::unique_ptr<T, Releaser<T>>;
template <typename T> using Disposable = std::unique_ptr<T, Disposer<T>>;

} // namespace clinova::fb
