#include "LatencyRelay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <stdexcept>
#include <vector>

namespace clinova::bench {

namespace {

using Clock = std::chrono::steady_clock;

#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL; // a peer gone must fail the send, not end the process
#else
constexpr int kSendFlags = 0;
#endif

constexpr std::size_t kReadSize = 64 * 1024;

sockaddr_in IPv4Address(const std::string &host, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1)
        throw std::invalid_argument("not an IPv4 address: " + host);
    return address;
}

// The relay forwards small requests and answers: Nagle's algorithm would hold them back.
void NoDelay(int socket) {
    const int on = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

int ConnectTo(const sockaddr_in &address) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return -1;
    if (::connect(s, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

bool SendAll(int socket, const char *bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(socket, bytes, size, kSendFlags);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

RelayCounts RelayCounts::operator-(const RelayCounts &earlier) const {
    return {connections - earlier.connections,         roundTrips - earlier.roundTrips,
            bytesToServer - earlier.bytesToServer,     bytesToClient - earlier.bytesToClient,
            packetsToServer - earlier.packetsToServer, packetsToClient - earlier.packetsToClient};
}

// One relayed connection: a pipe each way. Each pipe's reader takes what its side sends and counts it; with a
// delay, its writer passes each chunk on once the chunk's time has come, so that chunks in flight overlap as
// they do on a network. An end of stream read on one side is passed on, after the data before it, as an end
// of stream on the other (shutdown for writing); a side that cannot be written to ends the whole connection.
class LatencyRelay::Connection {
public:
    Connection(int client, int server, std::chrono::microseconds delay, Counters &counters)
        : client_(client), server_(server), toServer_(*this, client, server, true, delay, counters),
          toClient_(*this, server, client, false, delay, counters) {}

    ~Connection() {
        Shutdown();
        toServer_.Join();
        toClient_.Join();
        ::close(client_);
        ::close(server_);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Unblocks every read and write of the connection; both sides see it closed.
    void Shutdown() {
        ::shutdown(client_, SHUT_RDWR);
        ::shutdown(server_, SHUT_RDWR);
    }
    bool Finished() const { return toServer_.Finished() && toClient_.Finished(); }

private:
    class Pipe {
    public:
        Pipe(Connection &owner, int from, int to, bool towardServer, std::chrono::microseconds delay,
             Counters &counters)
            : owner_(owner), from_(from), to_(to), towardServer_(towardServer), delay_(delay), counters_(counters) {
            if (delay_.count() > 0)
                writer_ = std::thread([this] { WriteLoop(); });
            reader_ = std::thread([this] { ReadLoop(); });
        }
        void Join() {
            reader_.join();
            if (writer_.joinable())
                writer_.join();
        }
        bool Finished() const { return finished_.load(); }

    private:
        struct Chunk {
            std::vector<char> bytes; // empty: the end of the stream
            Clock::time_point due;
        };

        void ReadLoop() {
            std::vector<char> buffer(kReadSize);
            for (;;) {
                const ssize_t n = ::recv(from_, buffer.data(), buffer.size(), 0);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                Count(static_cast<std::size_t>(n));
                if (writer_.joinable())
                    Push({std::vector<char>(buffer.data(), buffer.data() + n), Clock::now() + delay_});
                else
                    Forward(buffer.data(), static_cast<std::size_t>(n));
            }
            if (writer_.joinable()) {
                Push({{}, Clock::now() + delay_});
            } else {
                PassEnd();
                finished_ = true;
            }
        }

        void WriteLoop() {
#ifdef __linux__
            // The delay is a fraction of a millisecond: Linux's default 50 us timer slack would add to it twice
            // per round trip.
            prctl(PR_SET_TIMERSLACK, 1UL);
#endif
            for (;;) {
                Chunk chunk;
                {
                    std::unique_lock lock(mutex_);
                    ready_.wait(lock, [this] { return !queue_.empty(); });
                    chunk = std::move(queue_.front());
                    queue_.pop_front();
                }
                std::this_thread::sleep_until(chunk.due);
                if (chunk.bytes.empty())
                    break;
                Forward(chunk.bytes.data(), chunk.bytes.size());
            }
            PassEnd();
            finished_ = true;
        }

        // A server's answer after the client spoke ends one round trip; the client's flag is set before its
        // bytes are passed on, so the answer they cause cannot be read before it.
        void Count(std::size_t size) {
            if (towardServer_) {
                counters_.bytesToServer += size;
                ++counters_.packetsToServer;
                owner_.clientSpoke_ = true;
            } else {
                counters_.bytesToClient += size;
                ++counters_.packetsToClient;
                if (owner_.clientSpoke_.exchange(false))
                    ++counters_.roundTrips;
            }
        }

        void Push(Chunk chunk) {
            {
                std::lock_guard lock(mutex_);
                queue_.push_back(std::move(chunk));
            }
            ready_.notify_one();
        }

        void Forward(const char *bytes, std::size_t size) {
            if (!broken_ && !SendAll(to_, bytes, size)) {
                broken_ = true;
                owner_.Shutdown();
            }
        }

        void PassEnd() { ::shutdown(to_, SHUT_WR); }

        Connection &owner_;
        const int from_, to_;
        const bool towardServer_;
        const std::chrono::microseconds delay_;
        Counters &counters_;
        std::mutex mutex_;
        std::condition_variable ready_;
        std::deque<Chunk> queue_;
        bool broken_ = false; // written by the one thread that forwards
        std::atomic<bool> finished_{false};
        std::thread writer_, reader_;
    };

    const int client_, server_;
    std::atomic<bool> clientSpoke_{false};
    Pipe toServer_, toClient_;
};

LatencyRelay::LatencyRelay(const std::string &targetHost, int targetPort, std::chrono::microseconds oneWayDelay)
    : targetHost_(targetHost), targetPort_(targetPort), delay_(oneWayDelay) {
    IPv4Address(targetHost_, targetPort_); // refuses a bad target now rather than at the first connection
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener_ < 0)
        throw std::runtime_error(std::string("relay: socket: ") + std::strerror(errno));
    sockaddr_in address = IPv4Address("127.0.0.1", 0);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        const std::string error = std::strerror(errno);
        ::close(listener_);
        throw std::runtime_error("relay: cannot listen on 127.0.0.1: " + error);
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LatencyRelay::~LatencyRelay() {
    Stop();
}

void LatencyRelay::SetDelay(std::chrono::microseconds oneWayDelay) {
    std::lock_guard lock(mutex_);
    delay_ = oneWayDelay;
}

RelayCounts LatencyRelay::Counts() const {
    return {counters_.connections.load(),   counters_.roundTrips.load(),      counters_.bytesToServer.load(),
            counters_.bytesToClient.load(), counters_.packetsToServer.load(), counters_.packetsToClient.load()};
}

void LatencyRelay::Stop() {
    if (stopping_.exchange(true))
        return;
    // A connection of our own wakes the acceptor wherever shutting the listener down does not.
    ::shutdown(listener_, SHUT_RDWR);
    const int wake = ConnectTo(IPv4Address("127.0.0.1", port_));
    if (wake >= 0)
        ::close(wake);
    acceptor_.join();
    ::close(listener_);
    std::lock_guard lock(mutex_);
    connections_.clear();
}

void LatencyRelay::AcceptLoop() {
    const sockaddr_in target = IPv4Address(targetHost_, targetPort_);
    while (!stopping_) {
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            break;
        }
        if (stopping_) {
            ::close(client);
            break;
        }
        // A target that refuses the connection is passed on as a connection closed at once.
        const int server = ConnectTo(target);
        if (server < 0) {
            ::close(client);
            continue;
        }
        NoDelay(client);
        NoDelay(server);
        ++counters_.connections;
        std::lock_guard lock(mutex_);
        ReapFinished();
        connections_.push_back(std::make_unique<Connection>(client, server, delay_, counters_));
    }
}

void LatencyRelay::ReapFinished() {
    connections_.remove_if([](const std::unique_ptr<Connection> &c) { return c->Finished(); });
}

std::pair<std::string, int> SplitServerAddress(const std::string &address) {
    const auto slash = address.find('/');
    const std::string host = address.substr(0, slash);
    int port = 3050;
    if (slash != std::string::npos) {
        const std::string digits = address.substr(slash + 1);
        if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
            throw std::invalid_argument("not a port: " + address);
        port = std::stoi(digits);
        if (port < 1 || port > 65535)
            throw std::invalid_argument("not a port: " + address);
    }
    IPv4Address(host, port);
    return {host, port};
}

} // namespace clinova::bench
