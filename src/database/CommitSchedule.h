#pragma once
// When the rows written on the connection become permanent: the one place where the commits of an action are
// decided. The connection tells it what its statements write and asks it, at each moment that matters, whether
// a commit is due.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace clinova {

// How the rows written by the import are committed. Strict: a commit after every row, as the product's
// own tools do. Grouped: a commit at most every kGroupRows rows or kGroupMilliseconds, never inside a data
// line, and whenever the operator is shown something or a step ends; a commit waits for the disk, so this is
// most of an import's speed.
enum class CommitPolicy { Grouped, Strict };

// What a statement does to the savepoints of the transaction.
struct SavepointStatement {
    enum class Kind { None, Set, Release, RollBack };
    Kind kind = Kind::None;
    std::string name; // upper-cased
};

// "SAVEPOINT S", "RELEASE SAVEPOINT S [ONLY]" and "ROLLBACK [WORK] TO [SAVEPOINT] S"; any other text is None.
SavepointStatement ReadSavepointStatement(std::string_view sql);

class CommitSchedule final {
public:
    static constexpr int kGroupRows = 2000;
    static constexpr int kGroupMilliseconds = 200;

    // For a connection opened (after Reset).
    void SetPolicy(CommitPolicy policy) { policy_ = policy; }
    // While a step reads its lines, grouped commits wait for the end of a line.
    void SetLineCommits(bool on) { lineCommits_ = on; }

    // Each of these answers whether a commit is due now.
    // A statement has written rows.
    bool RowsWritten(std::uint64_t rows);
    // A data line has ended.
    bool LineEnded() const;
    // Before the operator is shown anything, and before and after a step's lines: whatever waits.
    bool RowsWaiting() const;
    // A savepoint statement has run. The rows written under a savepoint wait for its release, since a commit
    // would end the savepoint and the undo the step keeps ready with it; rolled back to it, they are no
    // longer written, and that savepoint's work is over.
    bool SavepointDone(const SavepointStatement &statement);

    void Committed();
    void RolledBack();
    // A connection opened or closed: nothing waits and nothing is committed yet.
    void Reset();

    // Rows written since the last commit.
    int PendingRows() const { return pendingRows_; }
    // Commits since the connection was opened.
    std::uint64_t Commits() const { return commits_; }

private:
    struct Savepoint {
        std::string name;
        int pendingRows; // when it was set
    };

    bool GroupFull() const;
    bool DueAfterWriting() const;
    // The savepoint of that name and every later one are gone; false when there is none of that name.
    bool Forget(const std::string &name, int *pendingRowsWhenSet);

    CommitPolicy policy_ = CommitPolicy::Grouped;
    bool lineCommits_ = false;
    int pendingRows_ = 0;
    std::uint64_t commits_ = 0;
    std::chrono::steady_clock::time_point lastCommit_ = std::chrono::steady_clock::now();
    std::vector<Savepoint> savepoints_;
};

} // namespace clinova
