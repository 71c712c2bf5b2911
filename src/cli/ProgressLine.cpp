#include "cli/ProgressLine.h"

#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <ostream>

namespace clinova {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

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

void ProgressLine::Report(const StepProgressReport &report, Clock::time_point now) {
    // Another step or another file is drawn at once; the lines of a file, ten times a second at most.
    service_.clear();
    const bool news = run_.Report(report, now) || lastDraw_ == Clock::time_point{};
    if (report.runEnded) {
        Erase();
        return;
    }
    if (news || now - lastDraw_ >= kRedrawInterval)
        Draw(now);
}

void ProgressLine::Report(const ServiceProgressReport &report, Clock::time_point now) {
    const std::string text = ToUtf8(report.text);
    const bool news = service_.empty() || lastDraw_ == Clock::time_point{};
    service_ = text;
    if (news || now - lastDraw_ >= kRedrawInterval)
        Draw(now);
}

std::string ProgressLine::Text(Clock::time_point now) const {
    if (!service_.empty())
        return service_;
    if (!run_.Running())
        return {};
    std::string text = fmt::format("étape {}/{}", run_.Step(), run_.Steps());
    // Until the step reads a line (some read none), the step's label.
    if (run_.Line() == 0)
        return run_.StepLabel().empty() ? text : text + " " + ToUtf8(run_.StepLabel());
    text += fmt::format(" {} {}/{}", ToUtf8(run_.FileName()), run_.Line(), run_.Lines());
    const auto pace = run_.LinesPerSecond(now);
    if (!pace)
        return text;
    text += fmt::format(" {:.0f} lignes/s restant {}", *pace, RemainingText(*run_.StepSecondsLeft(now)));
    if (const auto runLeft = run_.RunSecondsLeft(now))
        text += fmt::format(" (import {})", RemainingText(*runLeft));
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
