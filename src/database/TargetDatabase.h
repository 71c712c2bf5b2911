#pragma once
// The target database: one attachment and one transaction (read_committed, rec_version, nowait) that
// every statement of every action runs on. Closing commits what the transaction still holds.

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Firebird {
class IAttachment;
class ITransaction;
} // namespace Firebird

namespace clinova {

class Statement;

// Where the database is: a local file, or a file on a server given by its IPv4 address.
struct ConnectionSettings {
    bool useIP = false;
    std::array<std::string, 4> ip;
    std::string path;
};

// How the rows written by the import are committed. Strict: a commit after every row, as the product's
// own tools do. Grouped: a commit at most every kGroupRows rows or kGroupMilliseconds, never inside a data
// line, and whenever the operator is shown something or a step ends; a commit waits for the disk, so this is
// most of an import's speed.
enum class CommitPolicy { Grouped, Strict };

// A local path unchanged; otherwise the four address parts trimmed, joined by ".", then ":" and the path.
std::string DatabaseName(const ConnectionSettings &settings);

// 75-77, 79-83 and 85-93: the schema builds the import was written against.
bool IsSupportedBuild(int build);

class TargetDatabase {
public:
    static constexpr const char *kUserName = "SYSDBA";

    TargetDatabase();
    ~TargetDatabase();
    TargetDatabase(const TargetDatabase &) = delete;
    TargetDatabase &operator=(const TargetDatabase &) = delete;

    // Disconnects when connected, attaches as SYSDBA (dialect 3, WIN1252) and starts the transaction.
    void Open(const std::string &databaseName);
    // Commits the active transaction and detaches. The handles are released even when the commit fails;
    // the failure is then thrown.
    void Close();
    bool IsOpen() const { return attachment_ != nullptr; }

    static constexpr int kGroupRows = 2000;
    static constexpr int kGroupMilliseconds = 200;

    // Makes every row written so far permanent and keeps the transaction open.
    void CommitRetaining();
    // Called after each row a step writes: the one place where the commits of a run are decided.
    void RowWritten();
    // While a step reads its lines, grouped commits wait for the end of a line (LineEnded), so that a line's
    // rows are committed together and a lost connection loses whole lines, never half of one.
    void SetLineCommits(bool on) { lineCommits_ = on; }
    // The end of a data line: commits when a grouped commit is due.
    void LineEnded();
    // Successful commits since the connection was opened.
    std::uint64_t Commits() const { return commits_; }
    void SetCommitPolicy(CommitPolicy policy) { policy_ = policy; }
    CommitPolicy Policy() const { return policy_; }
    // Rows written since the last commit.
    int PendingRows() const { return pendingRows_; }
    void RollbackRetaining();
    // The connection is lost: releases the handles without trying to commit; the rows not committed are gone.
    void Abandon() noexcept;

    // The next value of a generator; -1 on any failure, which is not reported.
    int GetNewID(std::string_view generator);
    int GetNewIDInTransaction(std::string_view generator);
    // The next value of a generator for the row of the current line: when the generator cannot be read
    // the line fails ("générateur X indisponible") instead of writing a row with the identifier -1. A lost
    // connection is reported as such.
    int DrawNewID(std::string_view generator);

    // Runs one statement without parameters (DDL of the schema scripts, deletes of the cleaning).
    void ExecuteImmediate(std::string_view sql);

    // Creates an empty database file (page size 8 KB, WIN1252) and leaves it closed.
    static void Create(const std::string &databaseName);
    // Deletes the database it is attached to, file included, and leaves the connection closed: for a database
    // this program made and must not leave behind.
    void Drop();

    Firebird::IAttachment *Attachment() const { return attachment_; }
    Firebird::ITransaction *Transaction() const { return transaction_; }

private:
    friend class Statement;
    void Register(Statement *statement);
    void Unregister(Statement *statement);
    void ReleaseStatements();
    void Detach() noexcept;
    int ReadGenerator(std::string_view generator);
    bool CommitDue() const;

    Firebird::IAttachment *attachment_ = nullptr;
    Firebird::ITransaction *transaction_ = nullptr;
    std::vector<Statement *> statements_;
    CommitPolicy policy_ = CommitPolicy::Grouped;
    int pendingRows_ = 0;
    bool lineCommits_ = false;
    std::uint64_t commits_ = 0;
    std::chrono::steady_clock::time_point lastCommit_ = std::chrono::steady_clock::now();
    std::unordered_map<std::string, std::unique_ptr<Statement>> generatorQueries_;
};

} // namespace clinova
