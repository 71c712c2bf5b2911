// The benchmark's latency relay against an echo server of the test's own: the round trips and bytes it
// counts, the delay it adds, that it delays without serialising, and that a close on one side reaches the other.

#include "LatencyRelay.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace {

using clinova::bench::LatencyRelay;
using clinova::bench::SplitServerAddress;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kWaitMs = 5000; // nothing here should take near this long

sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// A connected TCP socket to 127.0.0.1:port, closed at the end of its scope.
class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    static Socket To(int port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in a = Loopback(port);
        EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr *>(&a), sizeof a), 0);
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return Socket(fd);
    }
    Socket(Socket &&other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    ~Socket() { Close(); }
    void Close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    int fd() const { return fd_; }

    void Send(const std::string &bytes) const {
        ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    // Up to size bytes, waiting at most kWaitMs for each read; fewer when the peer closed or nothing came.
    std::string Receive(std::size_t size) const {
        std::string bytes;
        char buffer[65536];
        while (bytes.size() < size) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, kWaitMs) <= 0)
                break;
            const ssize_t n = ::recv(fd_, buffer, std::min(sizeof buffer, size - bytes.size()), 0);
            if (n <= 0)
                break;
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        return bytes;
    }
    // True when the peer closed its side within kWaitMs (a read then returns the end of the stream).
    bool SeesEnd() const {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, kWaitMs) <= 0)
            return false;
        char c;
        return ::recv(fd_, &c, 1, 0) <= 0;
    }

private:
    int fd_;
};

// Accepts one connection and sends back what it reads. With splitAnswers it answers each whole line, in two
// pieces sent a moment apart, as a server's answer may come in several segments. With answersBeforeClose > 0
// it closes the connection itself after that many answers. sawEnd is set when the other side closed first.
class EchoServer {
public:
    explicit EchoServer(bool splitAnswers = false, int answersBeforeClose = 0)
        : splitAnswers_(splitAnswers), answersBeforeClose_(answersBeforeClose) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = Loopback(0);
        socklen_t length = sizeof a;
        EXPECT_EQ(::bind(listener_, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
        EXPECT_EQ(::listen(listener_, 4), 0);
        ::getsockname(listener_, reinterpret_cast<sockaddr *>(&a), &length);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~EchoServer() {
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
    }
    int Port() const { return port_; }
    std::atomic<bool> sawEnd{false};

private:
    void Serve() {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, kWaitMs) <= 0)
            return;
        Socket peer(::accept(listener_, nullptr, nullptr));
        if (peer.fd() < 0)
            return; // the server closed without a connection
        const int on = 1;
        setsockopt(peer.fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        char buffer[65536];
        std::string pending;
        int answers = 0;
        for (;;) {
            pollfd q{peer.fd(), POLLIN, 0};
            if (::poll(&q, 1, kWaitMs) <= 0)
                return;
            const ssize_t n = ::recv(peer.fd(), buffer, sizeof buffer, 0);
            if (n <= 0) {
                sawEnd = true;
                return;
            }
            pending.append(buffer, static_cast<std::size_t>(n));
            std::size_t end;
            while (!pending.empty() && (end = splitAnswers_ ? pending.find('\n') + 1 : pending.size()) != 0) {
                const std::string answer = pending.substr(0, end);
                pending.erase(0, end);
                if (splitAnswers_) {
                    peer.Send(answer.substr(0, answer.size() / 2));
                    std::this_thread::sleep_for(1ms);
                    peer.Send(answer.substr(answer.size() / 2));
                } else {
                    peer.Send(answer);
                }
                if (++answers == answersBeforeClose_)
                    return;
            }
        }
    }

    bool splitAnswers_;
    int answersBeforeClose_;
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};

// The echo server notices a close on its own thread: give it the time to.
bool SawEnd(const EchoServer &echo) {
    for (int i = 0; i < kWaitMs / 10 && !echo.sawEnd; ++i)
        std::this_thread::sleep_for(10ms);
    return echo.sawEnd;
}

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One-way delays: none (the relay counts only) and 4 ms (a round trip of at least 8 ms).
class RelayExchanges : public testing::TestWithParam<int> {};

TEST_P(RelayExchanges, EachRequestAndAnswerIsOneRoundTripAndTakesTheDelayTwice) {
    const auto oneWay = std::chrono::milliseconds(GetParam());
    EchoServer echo(true);
    LatencyRelay relay("127.0.0.1", echo.Port(), oneWay);
    Socket client = Socket::To(relay.Port());
    constexpr int kExchanges = 20;
    std::size_t sent = 0;
    const auto start = Clock::now();
    for (int i = 0; i < kExchanges; ++i) {
        // Requests of different sizes, each sent in two pieces and answered in two before the next is sent:
        // one round trip each, however many segments carry it.
        const std::string request =
            "request " + std::to_string(i) + std::string(static_cast<std::size_t>(i * 37), 'x') + "\n";
        client.Send(request.substr(0, 5));
        std::this_thread::sleep_for(1ms);
        client.Send(request.substr(5));
        ASSERT_EQ(client.Receive(request.size()), request) << "exchange " << i;
        sent += request.size();
    }
    const double elapsed = MillisecondsSince(start);

    const auto counts = relay.Counts();
    EXPECT_EQ(counts.connections, 1u);
    EXPECT_EQ(counts.roundTrips, static_cast<std::uint64_t>(kExchanges));
    EXPECT_EQ(counts.bytesToServer, sent);
    EXPECT_EQ(counts.bytesToClient, sent);
    // Each piece is one read, or two pieces that came close together are one.
    for (const auto packets : {counts.packetsToServer, counts.packetsToClient}) {
        EXPECT_GE(packets, static_cast<std::uint64_t>(kExchanges));
        EXPECT_LE(packets, 2u * kExchanges);
    }
    if (GetParam() > 0) {
        EXPECT_GE(elapsed, kExchanges * 2.0 * GetParam());
    }

    // Counters are snapshots: the difference of two covers what happened between them.
    client.Send("one more\n");
    ASSERT_EQ(client.Receive(9), "one more\n");
    const auto later = relay.Counts() - counts;
    EXPECT_EQ(later.roundTrips, 1u);
    EXPECT_EQ(later.bytesToServer, 9u);
    EXPECT_EQ(later.connections, 0u);
}

// A stream of many chunks, sent without waiting for the answers: it comes back intact and in order.
TEST_P(RelayExchanges, AStreamArrivesIntactAndInOrder) {
    EchoServer echo;
    LatencyRelay relay("127.0.0.1", echo.Port(), std::chrono::milliseconds(GetParam()));
    Socket client = Socket::To(relay.Port());
    std::string stream;
    for (int i = 0; stream.size() < 2'000'000; ++i)
        stream += std::to_string(i) + ',';
    std::thread writer([&] {
        constexpr std::size_t kPiece = 1000;
        for (std::size_t at = 0; at < stream.size(); at += kPiece)
            client.Send(stream.substr(at, kPiece));
    });
    const std::string back = client.Receive(stream.size());
    writer.join();
    EXPECT_TRUE(back == stream) << back.size() << " of " << stream.size() << " bytes came back as sent";
    EXPECT_EQ(relay.Counts().bytesToServer, stream.size());
    EXPECT_EQ(relay.Counts().bytesToClient, stream.size());
}

INSTANTIATE_TEST_SUITE_P(OneWayDelay, RelayExchanges, testing::Values(0, 4),
                         [](const testing::TestParamInfo<int> &info) { return std::to_string(info.param) + "ms"; });

// Requests sent before the earlier ones are answered (the client library's deferred packets) are in flight
// together, as on a network: the delay is paid once for them all, not once each.
TEST(LatencyRelay, ChunksInFlightOverlap) {
    EchoServer echo;
    constexpr auto kOneWay = 20ms;
    constexpr int kPieces = 50;
    LatencyRelay relay("127.0.0.1", echo.Port(), kOneWay);
    Socket client = Socket::To(relay.Port());
    const auto start = Clock::now();
    std::thread writer([&] {
        for (int i = 0; i < kPieces; ++i) {
            client.Send("piece");
            std::this_thread::sleep_for(1ms);
        }
    });
    const std::string back = client.Receive(5 * kPieces);
    writer.join();
    const double elapsed = MillisecondsSince(start);
    EXPECT_EQ(back.size(), 5u * kPieces);
    // About 50 ms of sending and one 40 ms round trip; held in turn, the pieces would take 50 x 20 ms.
    EXPECT_GE(elapsed, 40.0);
    EXPECT_LT(elapsed, 500.0);
    EXPECT_GE(relay.Counts().roundTrips, 1u);
}

TEST(LatencyRelay, AConnectionClosedOnEitherSideIsClosedOnTheOther) {
    {
        EchoServer echo;
        LatencyRelay relay("127.0.0.1", echo.Port(), 2ms);
        Socket client = Socket::To(relay.Port());
        client.Send("bye");
        ASSERT_EQ(client.Receive(3), "bye");
        client.Close();
        EXPECT_TRUE(SawEnd(echo)) << "the server never saw the client's close";
    }
    {
        EchoServer echo(false, 1);
        LatencyRelay relay("127.0.0.1", echo.Port(), 2ms);
        Socket client = Socket::To(relay.Port());
        client.Send("last");
        ASSERT_EQ(client.Receive(4), "last"); // the answer sent before the close still arrives
        EXPECT_TRUE(client.SeesEnd()) << "the client never saw the server's close";
    }
    {
        // A server that is not there: the client's connection is closed rather than left hanging.
        int port;
        {
            EchoServer gone;
            port = gone.Port();
        }
        LatencyRelay relay("127.0.0.1", port, 2ms);
        Socket client = Socket::To(relay.Port());
        EXPECT_TRUE(client.SeesEnd());
        EXPECT_EQ(relay.Counts().connections, 0u);
    }
    {
        // Stopping the relay closes the connections it holds.
        EchoServer echo;
        LatencyRelay relay("127.0.0.1", echo.Port(), 2ms);
        Socket client = Socket::To(relay.Port());
        client.Send("x");
        ASSERT_EQ(client.Receive(1), "x");
        relay.Stop();
        EXPECT_TRUE(client.SeesEnd());
        EXPECT_TRUE(SawEnd(echo));
    }
}

TEST(LatencyRelay, ServerAddressesAreTheToolsOwn) {
    EXPECT_EQ(SplitServerAddress("127.0.0.1/30500"), std::make_pair(std::string("127.0.0.1"), 30500));
    EXPECT_EQ(SplitServerAddress("192.168.1.10"), std::make_pair(std::string("192.168.1.10"), 3050));
    for (const char *bad : {"127.0.0.1/", "127.0.0.1/x", "127.0.0.1/70000", "serveur/3050", "127.0.0.1/-1", ""})
        EXPECT_THROW(SplitServerAddress(bad), std::invalid_argument) << bad;
    EXPECT_THROW(LatencyRelay("not an address", 3050, 0ms), std::invalid_argument);
}

} // namespace
