#pragma once
// The progress of an import on a terminal: one line of stderr, redrawn in place as each step and each file
// begins and at most ten times a second in between, naming the step, the file, the line read, the pace and
// the time left for the step and for the whole run.
// It is erased before any other text reaches the terminal, so that log lines and messages stay whole.

#include "app/Operator.h"

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace clinova {

class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // width: the terminal's columns; the line is cut to fit one row, or "\r" would not take it back.
    explicit ProgressLine(std::ostream &terminal, int width = 80);

    void Report(const StepProgressReport &report, Clock::time_point now);
    // Takes the line off the terminal; the next report draws it again.
    void Erase();

    // The line as it reads at that moment, UTF-8, uncut; empty before the first report.
    std::string Text(Clock::time_point now) const;

    // "45 s", "2 min 05 s", "1 h 10 min": the time left, to the second.
    static std::string RemainingText(double seconds);

private:
    void Draw(Clock::time_point now);

    std::ostream &terminal_;
    int width_;
    bool shown_ = false;
    Clock::time_point lastDraw_{};

    int step_ = 0;
    int steps_ = 0;
    std::string stepName_;
    std::uintmax_t runBytes_ = 0;
    bool runStarted_ = false;
    Clock::time_point runStart_{};

    std::string fileName_; // Windows-1252, as reported
    std::uintmax_t fileBytes_ = 0;
    std::uintmax_t bytesBeforeFile_ = 0; // the files the run read before this one
    int line_ = 0;
    int lines_ = 0;
    int firstLine_ = 0;
    Clock::time_point fileStart_{};
};

} // namespace clinova
