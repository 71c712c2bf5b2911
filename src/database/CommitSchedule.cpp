#include "database/CommitSchedule.h"

#include "normalized/Win1252.h"

#include <algorithm>
#include <limits>

namespace clinova {

namespace {

std::vector<std::string> Words(std::string_view sql, std::size_t count) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (words.size() < count) {
        while (i < sql.size() && static_cast<unsigned char>(sql[i]) <= 32)
            ++i;
        const std::size_t start = i;
        while (i < sql.size() && static_cast<unsigned char>(sql[i]) > 32)
            ++i;
        if (start == i)
            break;
        words.push_back(UpperCase1252(sql.substr(start, i - start)));
    }
    return words;
}

} // namespace

SavepointStatement ReadSavepointStatement(std::string_view sql) {
    using Kind = SavepointStatement::Kind;
    const auto words = Words(sql, 5);
    const auto at = [&](std::size_t i) { return i < words.size() ? words[i] : std::string(); };
    if (at(0) == "SAVEPOINT" && !at(1).empty())
        return {Kind::Set, at(1)};
    if (at(0) == "RELEASE" && at(1) == "SAVEPOINT" && !at(2).empty())
        return {Kind::Release, at(2)};
    if (at(0) == "ROLLBACK") {
        std::size_t i = at(1) == "WORK" ? 2 : 1;
        if (at(i++) != "TO")
            return {};
        if (at(i) == "SAVEPOINT")
            ++i;
        if (!at(i).empty())
            return {Kind::RollBack, at(i)};
    }
    return {};
}

bool CommitSchedule::RowsWritten(std::uint64_t rows) {
    if (rows == 0)
        return false;
    const auto room = static_cast<std::uint64_t>(std::numeric_limits<int>::max() - pendingRows_);
    pendingRows_ += static_cast<int>(std::min(rows, room));
    return DueAfterWriting();
}

bool CommitSchedule::LineEnded() const {
    return RowsWaiting() && GroupFull();
}

bool CommitSchedule::RowsWaiting() const {
    return pendingRows_ > 0 && savepoints_.empty();
}

bool CommitSchedule::SavepointDone(const SavepointStatement &statement) {
    int pendingWhenSet = 0;
    switch (statement.kind) {
    case SavepointStatement::Kind::Set:
        // A savepoint of a name already used replaces the earlier one.
        Forget(statement.name, &pendingWhenSet);
        savepoints_.push_back({statement.name, pendingRows_});
        return false;
    case SavepointStatement::Kind::Release:
        Forget(statement.name, &pendingWhenSet);
        return DueAfterWriting();
    case SavepointStatement::Kind::RollBack:
        if (Forget(statement.name, &pendingWhenSet))
            pendingRows_ = pendingWhenSet;
        return DueAfterWriting();
    case SavepointStatement::Kind::None:
        break;
    }
    return false;
}

void CommitSchedule::Committed() {
    pendingRows_ = 0;
    ++commits_;
    lastCommit_ = std::chrono::steady_clock::now();
    savepoints_.clear();
}

void CommitSchedule::RolledBack() {
    pendingRows_ = 0;
    savepoints_.clear();
}

void CommitSchedule::Reset() {
    pendingRows_ = 0;
    commits_ = 0;
    lastCommit_ = std::chrono::steady_clock::now();
    savepoints_.clear();
}

bool CommitSchedule::GroupFull() const {
    return pendingRows_ >= kGroupRows ||
           std::chrono::steady_clock::now() - lastCommit_ >= std::chrono::milliseconds(kGroupMilliseconds);
}

bool CommitSchedule::DueAfterWriting() const {
    return RowsWaiting() && (policy_ == CommitPolicy::Strict || (!lineCommits_ && GroupFull()));
}

bool CommitSchedule::Forget(const std::string &name, int *pendingRowsWhenSet) {
    const auto it =
        std::find_if(savepoints_.rbegin(), savepoints_.rend(), [&](const Savepoint &s) { return s.name == name; });
    if (it == savepoints_.rend())
        return false;
    *pendingRowsWhenSet = it->pendingRows;
    savepoints_.erase(std::next(it).base(), savepoints_.end());
    return true;
}

} // namespace clinova
