#include "database/FbClient.h"

#include <iberror.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

namespace clinova {

bool DatabaseError::ConnectionLost() const {
    switch (code_) {
    case isc_network_error:
    case isc_net_read_err:
    case isc_net_write_err:
    case isc_conn_lost:
    case isc_lost_db_connection:
    case isc_shutdown:
    case isc_att_shutdown:
    case isc_bad_db_handle:
        return true;
    default:
        return false;
    }
}

} // namespace clinova

namespace clinova::fb {

Firebird::IMaster *Master() {
    static Firebird::IMaster *master = Firebird::fb_get_master_interface();
    return master;
}

Firebird::IUtil *Util() { return Master()->getUtilInterface(); }

void ShutdownClient() noexcept {
    QuietStatus status;
    Firebird::IProvider *dispatcher = Master()->getDispatcher();
    dispatcher->shutdown(status.get(), 0, fb_shutrsn_app_stopped);
    dispatcher->release();
}

namespace {

std::atomic<std::int64_t> callStart{0}; // steady clock, in microseconds; 0 when no call waits
std::mutex watchedMutex;
Firebird::IAttachment *watched = nullptr; // with a reference of its own

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

// A call made inside another (a status built while a call runs) is part of it.
TimedCall::TimedCall() noexcept : outer_(callStart.load() == 0) {
    if (outer_)
        callStart.store(Now());
}

TimedCall::~TimedCall() {
    if (outer_)
        callStart.store(0);
}

double SecondsInCurrentCall() noexcept {
    const std::int64_t start = callStart.load();
    return start == 0 ? 0.0 : static_cast<double>(Now() - start) / 1e6;
}

void WatchAttachment(Firebird::IAttachment *attachment) noexcept {
    attachment->addRef();
    Firebird::IAttachment *before = nullptr;
    {
        const std::lock_guard<std::mutex> lock(watchedMutex);
        before = watched;
        watched = attachment;
    }
    if (before)
        before->release();
}

void UnwatchAttachment(Firebird::IAttachment *attachment) noexcept {
    if (!attachment)
        return;
    {
        const std::lock_guard<std::mutex> lock(watchedMutex);
        if (watched != attachment)
            return;
        watched = nullptr;
    }
    attachment->release();
}

bool AbortCurrentCall() noexcept {
    Firebird::IAttachment *attachment = nullptr;
    {
        const std::lock_guard<std::mutex> lock(watchedMutex);
        attachment = watched;
        if (attachment)
            attachment->addRef();
    }
    if (!attachment)
        return false;
    QuietStatus status;
    attachment->cancelOperation(status.get(), fb_cancel_abort);
    attachment->release();
    return true;
}

std::string FormatStatus(const Firebird::IStatus *status) {
    char buffer[2048];
    const unsigned len = Util()->formatStatus(buffer, sizeof buffer, const_cast<Firebird::IStatus *>(status));
    std::string text(buffer, len < sizeof buffer ? len : sizeof buffer - 1);
    for (auto &c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

DatabaseError ToDatabaseError(const Firebird::FbException &e) {
    const Firebird::IStatus *status = e.getStatus();
    const ISC_STATUS *errors = const_cast<Firebird::IStatus *>(status)->getErrors();
    const long code = (errors && errors[0] == isc_arg_gds) ? static_cast<long>(errors[1]) : 0;
    return DatabaseError(FormatStatus(status), code);
}

} // namespace clinova::fb
