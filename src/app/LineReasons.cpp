#include "app/LineReasons.h"

#include "normalized/Win1252.h"

namespace clinova {

namespace {

const std::string &Ellipsis() {
    static const std::string text = FromUtf8("…");
    return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::string ReasonPattern(std::string_view reason) {
    std::string pattern;
    pattern.reserve(reason.size());
    for (std::size_t i = 0; i < reason.size();) {
        const char c = reason[i];
        // A quoted value, up to its closing quote. An apostrophe inside a word ("n'est") opens nothing.
        const bool opens = c == '"' || (c == '\'' && (i == 0 || reason[i - 1] == ' ' || reason[i - 1] == '('));
        if (opens) {
            if (const std::size_t close = reason.find(c, i + 1); close != std::string_view::npos) {
                pattern += c;
                pattern += Ellipsis();
                pattern += c;
                i = close + 1;
                continue;
            }
        }
        if (IsDigit(c)) {
            // A number, its decimal separator with it: "12,50" and "3.5" are one value each.
            while (i < reason.size() &&
                   (IsDigit(reason[i]) ||
                    ((reason[i] == ',' || reason[i] == '.') && i + 1 < reason.size() && IsDigit(reason[i + 1]))))
                ++i;
            pattern += Ellipsis();
            continue;
        }
        pattern += c;
        ++i;
    }
    return pattern;
}

void LineReasons::Note(ReasonKind kind, int line, std::string_view reason) {
    std::string pattern = ReasonPattern(reason);
    std::string key = std::to_string(static_cast<int>(kind)) + '\t' + pattern;
    auto found = index_.find(key);
    if (found == index_.end()) {
        if (index_.size() >= kGroups) {
            pattern = FromUtf8("autres motifs");
            key = std::to_string(static_cast<int>(kind)) + "\t\t" + pattern;
            found = index_.find(key);
        }
        if (found == index_.end()) {
            found = index_.emplace(std::move(key), groups_.size()).first;
            groups_.push_back(ReasonGroup{kind, std::move(pattern), 0, {}, {}});
        }
    }
    ReasonGroup &group = groups_[found->second];
    ++group.count;
    if (group.lines.size() < kLines)
        group.lines.push_back(line);
    if (group.examples.size() < kExamples)
        group.examples.push_back(ReasonExample{line, std::string(reason)});
}

int LineReasons::Count(ReasonKind kind) const {
    int count = 0;
    for (const ReasonGroup &group : groups_)
        if (group.kind == kind)
            count += group.count;
    return count;
}

} // namespace clinova
