#include "import/medical/ConsultationText.h"

#include "normalized/Conversions.h"

namespace clinova {

namespace {

bool IsBlank(std::string_view line) {
    return TrimView(line).empty();
}

// Hands each to every piece of the text before a vertical tab, then to what follows the last one when it is
// not empty.
template <typename Each> void ForEachVerticalTabLine(std::string_view text, Each &&each) {
    std::size_t start = 0;
    for (std::size_t tab = text.find('\v'); tab != std::string_view::npos; tab = text.find('\v', start)) {
        each(text.substr(start, tab - start));
        start = tab + 1;
    }
    if (start < text.size())
        each(text.substr(start));
}

// The plain tab-marked text of the lines forEachLine hands out; it is called twice, once to size the text and
// once to write it, so that a long text is not copied again as it grows.
template <typename ForEachLine> std::string PlainTabMarked(ForEachLine &&forEachLine) {
    bool any = false;
    std::size_t size = 0;
    forEachLine([&](std::string_view line) {
        any = true;
        size += line.size() + 8;
    });
    if (!any)
        return "\t0/\t-1";
    std::string text;
    text.reserve(size);
    bool firstNonBlank = true;
    forEachLine([&](std::string_view line) {
        if (!IsBlank(line)) {
            text += "\t0/";
            if (!firstNonBlank)
                text += "  ";
            firstNonBlank = false;
            text += line;
        }
        text += "\t-1";
    });
    return text;
}

} // namespace

std::vector<std::string> SplitVerticalTabLines(std::string_view text) {
    std::vector<std::string> lines;
    ForEachVerticalTabLine(text, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

void CollapseBlankRuns(std::string &text) {
    // Replacing "  " by " " until none is left, in one pass and in place: a long text is not held twice.
    std::size_t kept = 0;
    for (const char c : text)
        if (c != ' ' || kept == 0 || text[kept - 1] != ' ')
            text[kept++] = c;
    text.resize(kept);
}

std::vector<std::string> RichTextConsultationLines(std::string_view text, bool collapseBlanks) {
    std::string collapsed(text);
    if (collapseBlanks)
        CollapseBlankRuns(collapsed);
    std::vector<std::string> lines;
    ForEachRichTextConsultationLine(collapsed, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

void ForEachRichTextConsultationLine(std::string_view text, const std::function<void(std::string_view)> &each) {
    // Of each run of blank lines only the first is kept.
    bool previousBlank = false;
    ForEachVerticalTabLine(text, [&](std::string_view line) {
        const bool blank = IsBlank(line);
        if (!(blank && previousBlank))
            each(line);
        previousBlank = blank;
    });
}

std::string PlainTabMarkedText(const std::vector<std::string> &lines) {
    return PlainTabMarked([&lines](const auto &each) {
        for (const auto &line : lines)
            each(line);
    });
}

std::string PlainTabMarkedFieldText(std::string_view text) {
    return PlainTabMarked([text](const auto &each) { ForEachVerticalTabLine(text, each); });
}

} // namespace clinova
