#pragma once
// Identifiers drawn from the database's generators in blocks. Drawing one identifier is a request to the
// server and its answer; through a network that wait is most of a row's cost. A block of identifiers is
// reserved at once (the generator moves by the block's size) and handed out one by one, in the order and with
// the values that drawing them one at a time would give. What was reserved and not handed out is given back
// before the connection closes, so that each generator ends where drawing one at a time leaves it.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace clinova {

class Statement;
class StatementHost;

class IdReservations final {
public:
    // The largest block reserved at once; blocks start small and double while a generator is drawn from.
    static constexpr std::int64_t kLargestBlock = 512;

    explicit IdReservations(StatementHost &host);
    ~IdReservations();
    IdReservations(const IdReservations &) = delete;
    IdReservations &operator=(const IdReservations &) = delete;

    // One at a time (block of one): as the server's own GEN_ID(G, 1), for comparison and for old habits.
    void SetBlocks(bool on) { blocks_ = on; }

    // The next identifier of the generator; a failure of the server is thrown.
    std::int64_t Next(std::string_view generator);
    // Moves each generator back by what was reserved and not handed out, when nothing else drew from it since.
    void GiveBack();
    // The reservations are no longer valid (the connection is lost, or a generator was restarted): nothing is
    // handed out from them, nothing is given back.
    void Forget() noexcept;
    // A new connection: nothing reserved, nothing drawn yet.
    void Reset() noexcept;

    // The last identifier handed out, per generator (upper-cased name), since the connection opened.
    const std::map<std::string, std::int64_t> &LastDrawn() const { return lastDrawn_; }

private:
    struct Reservation {
        std::int64_t next = 0; // next to hand out
        std::int64_t last = -1; // last reserved; next > last: nothing left
        std::int64_t block = 0; // size of the next block
        std::unique_ptr<Statement> move; // SELECT GEN_ID(G, :N)
    };
    std::int64_t Move(Reservation &reservation, std::int64_t by);

    StatementHost &connection_;
    bool blocks_ = true;
    std::map<std::string, Reservation> reservations_;
    std::map<std::string, std::int64_t> lastDrawn_;
};

} // namespace clinova
