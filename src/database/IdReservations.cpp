#include "database/IdReservations.h"

#include "database/DatabaseError.h"
#include "database/Statement.h"
#include "normalized/Win1252.h"

#include <algorithm>

namespace clinova {

namespace {
constexpr std::int64_t kFirstBlock = 8;
} // namespace

IdReservations::IdReservations(StatementHost &host) : connection_(host) {}

IdReservations::~IdReservations() = default;

std::int64_t IdReservations::Move(Reservation &reservation, std::int64_t by) {
    Statement &move = *reservation.move;
    move.SetInt64("N", by);
    if (!move.Open()) {
        move.Close();
        throw DatabaseError(FromUtf8("le générateur n'a rien rendu"));
    }
    const std::int64_t value = move.GetInt64("GEN_ID");
    move.Close();
    return value;
}

std::int64_t IdReservations::Next(std::string_view generator) {
    const std::string name = UpperCase1252(generator);
    Reservation &reservation = reservations_[name];
    if (!reservation.move) {
        reservation.move =
            std::make_unique<Statement>(connection_, "SELECT GEN_ID(" + name + ", CAST(:N AS BIGINT)) FROM RDB$DATABASE");
        reservation.block = kFirstBlock;
    }
    if (reservation.next > reservation.last) {
        const std::int64_t size = blocks_ ? reservation.block : 1;
        const std::int64_t last = Move(reservation, size);
        reservation.next = last - size + 1;
        reservation.last = last;
        if (blocks_)
            reservation.block = std::min(reservation.block * 2, kLargestBlock);
    }
    const std::int64_t id = reservation.next++;
    lastDrawn_[name] = id;
    return id;
}

void IdReservations::GiveBack() {
    for (auto &[name, reservation] : reservations_) {
        const std::int64_t unused = reservation.last - reservation.next + 1;
        if (unused <= 0)
            continue;
        // Nothing is handed out from this block any more, whatever happens below.
        const std::int64_t expected = reservation.next - 1;
        reservation.next = reservation.last + 1;
        reservation.block = kFirstBlock;
        if (Move(reservation, -unused) != expected) {
            // Someone else drew from the generator meanwhile: its identifiers stay theirs, ours stay unused.
            Move(reservation, unused);
        }
    }
}

void IdReservations::Forget() noexcept {
    for (auto &[name, reservation] : reservations_) {
        reservation.next = reservation.last + 1;
        reservation.block = kFirstBlock;
    }
}

void IdReservations::Reset() noexcept {
    Forget();
    lastDrawn_.clear();
}

} // namespace clinova
