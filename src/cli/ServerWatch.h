#pragma once
// While an import works through a server: a call that waits longer than a few seconds is a server that no longer
// answers (frozen, its machine or the network gone). The operator is told so, and for how long, every few
// seconds; a Ctrl+C or SIGTERM then cuts the connection instead of waiting for the call, and the run ends as on a
// lost connection: what was committed stays, and the import can be resumed.

#include <condition_variable>
#include <iosfwd>
#include <mutex>
#include <thread>

namespace clinova {

class ServerWatch {
public:
    explicit ServerWatch(std::ostream &err);
    ~ServerWatch();
    ServerWatch(const ServerWatch &) = delete;
    ServerWatch &operator=(const ServerWatch &) = delete;

    // For the interrupt handler: cuts the connection when the current call has waited too long already.
    static void OnSignal();

private:
    void Watch();

    std::ostream &err_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace clinova
