#include "app/RunProgress.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace clinova {

namespace {

double SecondsBetween(RunProgress::Clock::time_point from, RunProgress::Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

} // namespace

bool RunProgress::Report(const StepProgressReport &report, Clock::time_point now) {
    if (report.runEnded) {
        *this = RunProgress();
        return true;
    }
    bool news = false;
    if (report.steps > 0) {
        news = true;
        // The first step starts a run: the pace of an earlier run says nothing about this one.
        if (report.step <= 1 || steps_ == 0) {
            runStart_ = now;
            bytesBeforeFile_ = 0;
            fileBytes_ = 0;
            fileName_.clear();
        }
        step_ = report.step;
        steps_ = report.steps;
        stepLabel_ = std::string(report.stepLabel);
        runBytes_ = report.runBytes;
        line_ = 0;
        lines_ = 0;
    }
    if (report.line > 0) {
        if (report.fileName != fileName_ || report.line < line_) {
            news = true;
            // Another file: the one before is read, whether to its end or not.
            bytesBeforeFile_ += fileBytes_;
            fileName_ = std::string(report.fileName);
            std::error_code ec;
            fileBytes_ = std::filesystem::file_size(std::string(report.path), ec);
            if (ec)
                fileBytes_ = 0;
            firstLine_ = report.line;
            fileStart_ = now;
        }
        line_ = report.line;
        lines_ = report.lines;
    }
    return news;
}

std::optional<double> RunProgress::LinesPerSecond(Clock::time_point now) const {
    // Lines are reported as they are read: the lines done are those before.
    const double seconds = SecondsBetween(fileStart_, now);
    const int done = line_ - firstLine_;
    if (line_ == 0 || seconds < 1 || done < 1)
        return std::nullopt;
    return done / seconds;
}

std::optional<double> RunProgress::StepSecondsLeft(Clock::time_point now) const {
    const auto pace = LinesPerSecond(now);
    if (!pace)
        return std::nullopt;
    return (lines_ - line_ + 1) / *pace;
}

std::optional<double> RunProgress::RunSecondsLeft(Clock::time_point now) const {
    if (!LinesPerSecond(now))
        return std::nullopt;
    const double seconds = SecondsBetween(runStart_, now);
    const double bytesDone = static_cast<double>(bytesBeforeFile_) +
                             (lines_ > 0 ? static_cast<double>(fileBytes_) * (line_ - 1) / lines_ : 0.0);
    if (runBytes_ == 0 || bytesDone <= 0 || seconds < 1)
        return std::nullopt;
    const double bytesLeft = std::max(static_cast<double>(runBytes_) - bytesDone, 0.0);
    return seconds * bytesLeft / bytesDone;
}

std::string RunProgress::RemainingText(double seconds) {
    const auto whole = static_cast<long long>(std::ceil(std::max(seconds, 0.0)));
    if (whole < 60)
        return fmt::format("{} s", whole);
    if (whole < 3600)
        return fmt::format("{} min {:02} s", whole / 60, whole % 60);
    return fmt::format("{} h {:02} min", whole / 3600, (whole % 3600) / 60);
}

} // namespace clinova
