#pragma once
// The data lines of a step whose rows are written but not committed yet.

#include "app/CorrespondenceTable.h"
#include "app/ImportStep.h"

#include <cstdint>
#include <string>
#include <vector>

namespace clinova {

// The data lines whose rows are written but not committed yet, and the lengths of the correspondence lists
// at the last commit. When the connection is lost those rows are gone: their lines become failed lines
// with their log lines, and the lists forget what they named, so that a later run imports them again.
class UncommittedLines {
public:
    struct Line {
        int number;
        std::string text;
        LineOutcome outcome;
    };

    explicit UncommittedLines(const RunState &state) : committed_(CurrentLengths(state)) {}

    // After a line that did not fail. listsBefore: the lengths before the line; commitsBefore: the commits
    // counted before it.
    void LineDone(const RunState &state, const ListLengths &listsBefore,
                  std::uint64_t commitsBefore, int number, const std::string &text, LineOutcome outcome) {
        if (state.db.PendingRows() == 0) {
            lines_.clear();
            committed_ = CurrentLengths(state);
            return;
        }
        if (state.db.Commits() != commitsBefore) {
            // Something committed inside the line (a message shown): the lines before it are safe.
            lines_.clear();
            committed_ = listsBefore;
        }
        if (outcome != LineOutcome::Skipped)
            lines_.push_back({number, text, outcome});
    }
    // A line whose row the server refused after the fact: it no longer waits for a commit, and the entries
    // it had added (removed from the lists) no longer count among the committed ones.
    void LineFailedLate(int number, const ListLengths &before,
                        const ListLengths &removed) {
        std::erase_if(lines_, [number](const Line &line) { return line.number == number; });
        for (std::size_t k = 0; k < committed_.size(); ++k)
            if (committed_[k] > before[k])
                committed_[k] -= removed[k];
    }
    void Committed(const RunState &state) {
        lines_.clear();
        committed_ = CurrentLengths(state);
    }
    const std::vector<Line> &Lines() const { return lines_; }
    const ListLengths &CommittedLengths() const { return committed_; }

private:
    std::vector<Line> lines_;
    ListLengths committed_;
};

} // namespace clinova
