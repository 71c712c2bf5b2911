#include "database/NamedParameters.h"

#include "normalized/Win1252.h"

namespace clinova {

namespace {

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '$'; }

// Whether the text at i is the word (case ignored), not part of a longer name.
bool WordAt(std::string_view sql, std::size_t i, std::string_view word) {
    if (i + word.size() > sql.size() || (i > 0 && IsNameChar(sql[i - 1])))
        return false;
    for (std::size_t k = 0; k < word.size(); ++k)
        if ((sql[i + k] & ~0x20) != word[k])
            return false;
    return i + word.size() == sql.size() || !IsNameChar(sql[i + word.size()]);
}

} // namespace

NamedParameters TranslateNamedParameters(std::string_view sql) {
    NamedParameters out;
    out.sql.reserve(sql.size());
    std::size_t i = 0;
    const std::size_t n = sql.size();
    // In an EXECUTE BLOCK only the values of its input parameters are markers: after its header (the list in
    // parentheses, or none before AS) every :NAME is a variable of the block.
    const std::size_t first = sql.find_first_not_of(" \t\r\n");
    bool markers = true;
    const std::size_t second =
        first == std::string_view::npos ? first : sql.find_first_not_of(" \t\r\n", first + 7);
    const bool block =
        second != std::string_view::npos && WordAt(sql, first, "EXECUTE") && WordAt(sql, second, "BLOCK");
    int depth = 0;
    while (i < n) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            // A quote is closed by the same quote; a doubled quote stands for one.
            const std::size_t start = i++;
            while (i < n) {
                if (sql[i] == c) {
                    if (i + 1 < n && sql[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out.sql.append(sql.substr(start, i - start));
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            const std::size_t end = sql.find('\n', i);
            const std::size_t stop = end == std::string_view::npos ? n : end;
            out.sql.append(sql.substr(i, stop - i));
            i = stop;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            const std::size_t end = sql.find("*/", i + 2);
            const std::size_t stop = end == std::string_view::npos ? n : end + 2;
            out.sql.append(sql.substr(i, stop - i));
            i = stop;
        } else if (markers && c == ':' && i + 1 < n && IsNameStart(sql[i + 1])) {
            std::size_t j = i + 1;
            while (j < n && IsNameChar(sql[j]))
                ++j;
            out.names.push_back(UpperCase1252(sql.substr(i + 1, j - i - 1)));
            out.sql.push_back('?');
            i = j;
        } else {
            if (block && markers) {
                if (c == '(')
                    ++depth;
                else if (c == ')' && --depth == 0)
                    markers = false;
                else if (depth == 0 && WordAt(sql, i, "AS"))
                    markers = false;
            }
            out.sql.push_back(c);
            ++i;
        }
    }
    return out;
}

} // namespace clinova
