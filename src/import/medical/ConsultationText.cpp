#include "import/medical/ConsultationText.h"

#include "normalized/Conversions.h"

namespace clinova {

namespace {

bool IsBlank(std::string_view line) {
    return TrimView(line).empty();
}

} // namespace

std::vector<std::string> SplitVerticalTabLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t tab = text.find('\v'); tab != std::string_view::npos; tab = text.find('\v', start)) {
        lines.emplace_back(text.substr(start, tab - start));
        start = tab + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

void CollapseBlankLineRuns(std::vector<std::string> &lines) {
    std::vector<std::string> kept;
    kept.reserve(lines.size());
    bool previousBlank = false;
    for (auto &line : lines) {
        const bool blank = IsBlank(line);
        if (!(blank && previousBlank))
            kept.push_back(std::move(line));
        previousBlank = blank;
    }
    lines = std::move(kept);
}

std::vector<std::string> RichTextConsultationLines(std::string_view text, bool collapseBlanks) {
    // Replacing "  " by " " until none is left makes every run of blanks one blank: done line by line in one
    // pass, so that a long text is held once more, not three times.
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = text.find('\v', start);
        const std::string_view piece = text.substr(start, tab == std::string_view::npos ? tab : tab - start);
        if (tab == std::string_view::npos && piece.empty())
            break;
        std::string &line = lines.emplace_back();
        if (!collapseBlanks) {
            line.assign(piece);
        } else {
            line.reserve(piece.size());
            for (const char c : piece)
                if (c != ' ' || line.empty() || line.back() != ' ')
                    line.push_back(c);
        }
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    CollapseBlankLineRuns(lines);
    return lines;
}

std::string PlainTabMarkedText(const std::vector<std::string> &lines) {
    if (lines.empty())
        return "\t0/\t-1";
    std::string text;
    bool firstNonBlank = true;
    for (const auto &line : lines) {
        if (!IsBlank(line)) {
            text += "\t0/";
            if (!firstNonBlank)
                text += "  ";
            firstNonBlank = false;
            text += line;
        }
        text += "\t-1";
    }
    return text;
}

} // namespace clinova
