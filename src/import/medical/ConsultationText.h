#pragma once
// The text of a consultation as the consultation import stores it in CONSULT.CARTON: the lines of the
// CONSULTATION field, either as the paragraphs of a rich-text document or as the older plain tab-marked
// text the product still reads.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace clinova {

// The lines of a field whose line breaks are vertical tabs: every piece before a vertical tab is a line,
// empty pieces included; what follows the last vertical tab is a line only when it is not empty.
std::vector<std::string> SplitVerticalTabLines(std::string_view text);

// Makes every run of blanks of the text one blank, in place.
void CollapseBlankRuns(std::string &text);

// The lines of a consultation for its rich-text document: runs of blanks collapsed to one blank when
// collapseBlanks is set, then split at the vertical tabs, then blank-line runs collapsed.
std::vector<std::string> RichTextConsultationLines(std::string_view text, bool collapseBlanks);

// The same lines, blanks left as they are, handed to each one at a time: a long text of many short lines
// is never held as one string per line.
void ForEachRichTextConsultationLine(std::string_view text, const std::function<void(std::string_view)> &each);

// The plain tab-marked text of the lines: per non-blank line a tab, "0/", two blanks for every non-blank
// line after the first, the line; then per line, blank or not, a tab and "-1". No line gives "\t0/\t-1".
std::string PlainTabMarkedText(const std::vector<std::string> &lines);

// The plain tab-marked text of the lines of a field split at its vertical tabs, without holding the lines.
std::string PlainTabMarkedFieldText(std::string_view text);

} // namespace clinova
