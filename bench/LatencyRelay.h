#pragma once
// A TCP relay on 127.0.0.1 that puts a network's latency between the Firebird client and a server, and
// counts the exchanges between them. Every chunk read on one side is held for the one-way delay before it is
// written to the other, in order and pipelined: a delay, not a bandwidth limit. A round trip is counted each
// time the server answers after the client spoke, which is what the client waits for over a real network.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace clinova::bench {

// The relay's counters at one moment; the difference of two snapshots gives what happened between them.
struct RelayCounts {
    std::uint64_t connections = 0;
    std::uint64_t roundTrips = 0;
    std::uint64_t bytesToServer = 0;
    std::uint64_t bytesToClient = 0;
    // Reads that returned data, one side to the other: about the TCP segments each side sent.
    std::uint64_t packetsToServer = 0;
    std::uint64_t packetsToClient = 0;

    RelayCounts operator-(const RelayCounts &earlier) const;
};

class LatencyRelay {
public:
    // Listens on an ephemeral port of 127.0.0.1 and relays every connection to targetHost:targetPort (an
    // IPv4 address), each direction delayed by oneWayDelay. Throws std::runtime_error when it cannot listen.
    LatencyRelay(const std::string &targetHost, int targetPort, std::chrono::microseconds oneWayDelay);
    // Stops: closes the listening socket and every relayed connection.
    ~LatencyRelay();
    LatencyRelay(const LatencyRelay &) = delete;
    LatencyRelay &operator=(const LatencyRelay &) = delete;

    int Port() const { return port_; }
    // The delay of the connections made from now on.
    void SetDelay(std::chrono::microseconds oneWayDelay);
    // Readable while connections are relayed.
    RelayCounts Counts() const;
    void Stop();

private:
    struct Counters {
        std::atomic<std::uint64_t> connections{0}, roundTrips{0}, bytesToServer{0}, bytesToClient{0},
            packetsToServer{0}, packetsToClient{0};
    };
    class Connection;

    void AcceptLoop();
    void ReapFinished();

    std::string targetHost_;
    int targetPort_;
    std::chrono::microseconds delay_; // guarded by mutex_
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    Counters counters_;
    std::mutex mutex_; // guards connections_
    std::list<std::unique_ptr<Connection>> connections_;
    std::thread acceptor_;
};

// "A.B.C.D/PORT" (the tool's server address; 3050 without a port) as host and port; throws
// std::invalid_argument on anything else.
std::pair<std::string, int> SplitServerAddress(const std::string &address);

} // namespace clinova::bench
