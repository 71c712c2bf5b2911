#pragma once
// Writes that stand on their own, each under a number (the latest weight written back into each animal, ...):
// sent together in a batch when the connection sends its rows grouped, executed one by one otherwise. A write the
// server refuses is handed back with its number and the server's message, in their order, whichever way the
// writes travel; the others are written. A lost connection fails each write that was not sent, and the writes
// after it.

#include "database/RowBatch.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace clinova {

class Connection;

class IndependentWrites final {
public:
    using Refused = std::function<void(int number, const std::string &message)>;
    IndependentWrites(Connection &db, Refused refused);
    ~IndependentWrites() = default;
    IndependentWrites(const IndependentWrites &) = delete;
    IndependentWrites &operator=(const IndependentWrites &) = delete;

    // The write of the number, as its parameters stand.
    void Write(int number, Statement &write);
    // Sends what still waits; to be called once the writes are all given.
    void Finish();

private:
    void Send();

    Refused refused_;
    std::optional<RowBatch> batch_;
    std::vector<int> waiting_; // the numbers of the writes in the batch
};

} // namespace clinova
