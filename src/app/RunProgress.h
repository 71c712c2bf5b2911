#pragma once
// Where an import run stands and how long it has left, from the reports of the run and of its steps: the
// step, its label, the file and its line, the pace of the file and the time left for the step and for the run.
// The one arithmetic behind the command line's progress line and the window's wait window.

#include "app/Operator.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace clinova {

class RunProgress {
public:
    using Clock = std::chrono::steady_clock;

    // Takes a report in; true when it begins another step or another file, or ends the run: news to show at once.
    bool Report(const StepProgressReport &report, Clock::time_point now);

    // Between the first step's report and the end of the run.
    bool Running() const { return steps_ > 0; }
    int Step() const { return step_; }
    int Steps() const { return steps_; }
    const std::string &StepLabel() const { return stepLabel_; } // Windows-1252, as reported
    // The file of the step and the line just read; empty and 0 until the step reads a line (some read none).
    const std::string &FileName() const { return fileName_; }
    int Line() const { return line_; }
    int Lines() const { return lines_; }

    // The lines read a second in the current file, once a second of it has passed and a line is done.
    std::optional<double> LinesPerSecond(Clock::time_point now) const;
    // The time left for the current file at that pace.
    std::optional<double> StepSecondsLeft(Clock::time_point now) const;
    // The time left for the whole run: the bytes of its files still to read, at the pace of the bytes read.
    std::optional<double> RunSecondsLeft(Clock::time_point now) const;

    // "45 s", "2 min 05 s", "1 h 10 min": a time left, to the second above.
    static std::string RemainingText(double seconds);

private:
    int step_ = 0;
    int steps_ = 0;
    std::string stepLabel_;
    std::uintmax_t runBytes_ = 0;
    Clock::time_point runStart_{};

    std::string fileName_;
    std::uintmax_t fileBytes_ = 0;
    std::uintmax_t bytesBeforeFile_ = 0; // the files the run read before this one
    int line_ = 0;
    int lines_ = 0;
    int firstLine_ = 0;
    Clock::time_point fileStart_{};
};

} // namespace clinova
