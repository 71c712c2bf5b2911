#pragma once
// The small common ground of the database classes over the Firebird client's OO API.

#include "database/DatabaseError.h"
#include "database/FbHandles.h"

#include <firebird/Interface.h>

#include <string>
#include <utility>
#include <vector>

namespace clinova::fb {

// The password of the product's database account; fixed, never shown or written anywhere.
inline constexpr const char *kPassword = "qordimtex";

Firebird::IMaster *Master();
Firebird::IUtil *Util();

// Ends the client library's and the embedded engine's threads before the program exits, so that none of them
// still runs while the library is unloaded. Nothing of the client may be used afterwards.
void ShutdownClient() noexcept;

// The program's calls to the database, watched from another thread: a server that stops answering (frozen,
// its machine gone) leaves a call waiting for as long as the network allows. Every call made through Call or
// End is timed; the last attachment made is the one AbortCurrentCall cuts.
class TimedCall {
public:
    TimedCall() noexcept;
    ~TimedCall();
    TimedCall(const TimedCall &) = delete;
    TimedCall &operator=(const TimedCall &) = delete;

private:
    bool outer_;
};
// How long the program's current call has been waiting, in seconds; 0 when none is.
double SecondsInCurrentCall() noexcept;
void WatchAttachment(Firebird::IAttachment *attachment) noexcept;
void UnwatchAttachment(Firebird::IAttachment *attachment) noexcept;
// Cuts the watched attachment's connection at the client's end: the call waiting on it fails at once as a lost
// connection, and nothing more goes through it. False when no attachment is watched.
bool AbortCurrentCall() noexcept;

// The client library's formatted message for a status, its lines joined by blanks.
std::string FormatStatus(const Firebird::IStatus *status);
DatabaseError ToDatabaseError(const Firebird::FbException &e);

// A status wrapper over a status object of its own, disposed with it. With ThrowStatusWrapper a failing call
// throws FbException; with CheckStatusWrapper the failure stays in the status, for the calls that must not
// throw (destructors, a connection given up).
template <typename Wrapper> class StatusOf final {
public:
    StatusOf() : wrapper_(Master()->getStatus()) {}
    ~StatusOf() { wrapper_.dispose(); }
    StatusOf(const StatusOf &) = delete;
    StatusOf &operator=(const StatusOf &) = delete;
    Wrapper *get() { return &wrapper_; }
    bool Failed() const { return (wrapper_.getState() & Firebird::IStatus::STATE_ERRORS) != 0; }

private:
    Wrapper wrapper_;
};

using Status = StatusOf<Firebird::ThrowStatusWrapper>;
using QuietStatus = StatusOf<Firebird::CheckStatusWrapper>;

// Runs f(status) and turns a client error into a DatabaseError.
template <typename F> auto Call(F &&f) {
    const TimedCall timed;
    Status status;
    try {
        return std::forward<F>(f)(status.get());
    } catch (const Firebird::FbException &e) {
        throw ToDatabaseError(e);
    }
}

// The calls that end an interface's work (commit, rollback, detach, free, close) give the interface back
// themselves when they succeed: the owner then lets it go. end(interface, status) makes the call.

// A failure is thrown as a DatabaseError and the owner keeps the interface, for its own end to deal with.
template <typename T, typename F> void End(Handle<T> &handle, F &&end) {
    if (!handle)
        return;
    Call([&](Firebird::ThrowStatusWrapper *st) { end(handle.get(), st); });
    (void)handle.release();
}

// For destructors and for a connection given up: nothing is thrown, and after a failure the interface is
// released.
template <typename T, typename F> void EndQuietly(Handle<T> &handle, F &&end) noexcept {
    if (!handle)
        return;
    const TimedCall timed;
    QuietStatus status;
    end(handle.get(), status.get());
    if (!status.Failed())
        (void)handle.release();
    handle.reset();
}

// The bytes of a parameter block (DPB, TPB, SPB) that fill(status, builder) writes.
template <typename F> std::vector<unsigned char> ParameterBlock(unsigned kind, F &&fill) {
    return Call([&](Firebird::ThrowStatusWrapper *st) {
        Disposable<Firebird::IXpbBuilder> builder(Util()->getXpbBuilder(st, kind, nullptr, 0));
        fill(st, builder.get());
        const unsigned char *bytes = builder->getBuffer(st);
        return std::vector<unsigned char>(bytes, bytes + builder->getBufferLength(st));
    });
}

} // namespace clinova::fb
