#include "cli/ProgressLine.h"

#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <cmath>
#include <filesystem>
#include <ostream>

namespace clinova {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

double SecondsBetween(ProgressLine::Clock::time_point from, ProgressLine::Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// The first `columns` characters of a UTF-8 text.
std::string CutToColumns(const std::string &text, int columns) {
    int seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (seen++ == columns)
            return text.substr(0, i);
    }
    return text;
}

} // namespace

ProgressLine::ProgressLine(std::ostream &terminal, int width) : terminal_(terminal), width_(width > 1 ? width : 80) {}

std::string ProgressLine::RemainingText(double seconds) {
    const auto whole = static_cast<long long>(std::ceil(std::max(seconds, 0.0)));
    if (whole < 60)
        return fmt::format("{} s", whole);
    if (whole < 3600)
        return fmt::format("{} min {:02} s", whole / 60, whole % 60);
    return fmt::format("{} h {:02} min", whole / 3600, (whole % 3600) / 60);
}

void ProgressLine::Report(const StepProgressReport &report, Clock::time_point now) {
    // Another step or another file is drawn at once; the lines of a file, ten times a second at most.
    bool news = lastDraw_ == Clock::time_point{};
    if (report.steps > 0) {
        news = true;
        // The first step starts a run: the pace of an earlier run says nothing about this one.
        if (report.step <= 1 || !runStarted_) {
            runStarted_ = true;
            runStart_ = now;
            bytesBeforeFile_ = 0;
            fileBytes_ = 0;
            fileName_.clear();
        }
        step_ = report.step;
        steps_ = report.steps;
        stepName_ = ToUtf8(report.stepName);
        runBytes_ = report.runBytes;
        line_ = 0;
        lines_ = 0;
    }
    if (report.line > 0) {
        if (report.fileName != fileName_ || report.line < line_) {
            news = true;
            // Another file: the one before is read, whether to its end or not.
            bytesBeforeFile_ += fileBytes_;
            fileName_ = report.fileName;
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
    if (news || now - lastDraw_ >= kRedrawInterval)
        Draw(now);
}

std::string ProgressLine::Text(Clock::time_point now) const {
    if (steps_ == 0)
        return {};
    std::string text = fmt::format("étape {}/{}", step_, steps_);
    // Until the step reads a line (some read none), the step's name.
    if (line_ == 0)
        return stepName_.empty() ? text : text + " " + stepName_;
    text += fmt::format(" {} {}/{}", ToUtf8(fileName_), line_, lines_);

    // Lines are reported as they are read: the lines done are those before.
    const double fileSeconds = SecondsBetween(fileStart_, now);
    const int done = line_ - firstLine_;
    if (fileSeconds < 1 || done < 1)
        return text;
    const double pace = done / fileSeconds;
    text += fmt::format(" {:.0f} lignes/s restant {}", pace, RemainingText((lines_ - line_ + 1) / pace));

    // The run's files are read at the pace of the bytes read so far.
    const double runSeconds = SecondsBetween(runStart_, now);
    const double bytesDone = static_cast<double>(bytesBeforeFile_) +
                             (lines_ > 0 ? static_cast<double>(fileBytes_) * (line_ - 1) / lines_ : 0.0);
    if (runBytes_ > 0 && bytesDone > 0 && runSeconds >= 1) {
        const double bytesLeft = std::max(static_cast<double>(runBytes_) - bytesDone, 0.0);
        text += fmt::format(" (import {})", RemainingText(runSeconds * bytesLeft / bytesDone));
    }
    return text;
}

void ProgressLine::Draw(Clock::time_point now) {
    const std::string text = Text(now);
    if (text.empty())
        return;
    // Back to the start of the row, the new text, and whatever a longer earlier text left erased.
    terminal_ << '\r' << CutToColumns(text, width_ - 1) << "\033[K" << std::flush;
    shown_ = true;
    lastDraw_ = now;
}

void ProgressLine::Erase() {
    if (!shown_)
        return;
    terminal_ << "\r\033[K" << std::flush;
    shown_ = false;
}

} // namespace clinova
