#pragma once
// The target database: one attachment and one transaction (read_committed, rec_version, nowait) that
// every statement of every action runs on. Closing commits what the transaction still holds.

#include "database/Connection.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace clinova {

class Statement;

// Where the database is: a local file, or a file on a server given by its IPv4 address.
struct ConnectionSettings {
    bool useIP = false;
    std::array<std::string, 4> ip;
    std::string path;
};

// A local path unchanged; otherwise the four address parts trimmed, joined by ".", then ":" and the path.
std::string DatabaseName(const ConnectionSettings &settings);

// 75-77, 79-83 and 85-93: the schema builds the import was written against.
bool IsSupportedBuild(int build);

class TargetDatabase final : public Connection {
public:
    static constexpr const char *kUserName = "SYSDBA";

    TargetDatabase();
    ~TargetDatabase();

    // Disconnects when connected, attaches as SYSDBA (dialect 3, WIN1252) and starts the transaction.
    void Open(const std::string &databaseName, WritingSettings writing = {});

    // The next value of a generator; -1 on any failure, which is not reported.
    int GetNewID(std::string_view generator);
    int GetNewIDInTransaction(std::string_view generator);
    // The next value of a generator for the row of the current line: when the generator cannot be read
    // the line fails ("générateur X indisponible") instead of writing a row with the identifier -1. A lost
    // connection is reported as such.
    int DrawNewID(std::string_view generator);

    // Puts the generator back (or forward) to value: the next value drawn is value + 1.
    void SetGenerator(std::string_view name, std::int64_t value);

    // Creates an empty database file (page size 8 KB, WIN1252) and leaves it closed.
    static void Create(const std::string &databaseName);

private:
    int ReadGenerator(std::string_view generator);
};

} // namespace clinova
