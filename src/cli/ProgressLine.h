#pragma once
// The progress of an import on a terminal: one line of stderr, redrawn in place as each step and each file
// begins and at most ten times a second in between, naming the step, the file, the line read, the pace and
// the time left for the step and for the whole run (RunProgress computes them); during a backup or a restore,
// its tables and rows.
// It is erased before any other text reaches the terminal, so that log lines and messages stay whole.

#include "app/Operator.h"
#include "app/RunProgress.h"

#include <chrono>
#include <iosfwd>
#include <string>

namespace clinova {

class ProgressLine {
public:
    using Clock = RunProgress::Clock;

    // width: the terminal's columns; the line is cut to fit one row, or "\r" would not take it back.
    explicit ProgressLine(std::ostream &terminal, int width = 80);

    void Report(const StepProgressReport &report, Clock::time_point now);
    void Report(const ServiceProgressReport &report, Clock::time_point now);
    // Takes the line off the terminal; the next report draws it again.
    void Erase();

    // The line as it reads at that moment, UTF-8, uncut; empty before the first report and after the run.
    std::string Text(Clock::time_point now) const;

    // "45 s", "2 min 05 s", "1 h 10 min": the time left, to the second.
    static std::string RemainingText(double seconds) { return RunProgress::RemainingText(seconds); }

private:
    void Draw(Clock::time_point now);

    std::ostream &terminal_;
    int width_;
    bool shown_ = false;
    Clock::time_point lastDraw_{};
    RunProgress run_;
    std::string service_; // the backup's or the restore's text, UTF-8; empty outside them
};

} // namespace clinova
