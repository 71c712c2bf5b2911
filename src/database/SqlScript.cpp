#include "database/SqlScript.h"

#include "normalized/Win1252.h"

namespace clinova {

namespace {

std::string Trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32)
        --e;
    return std::string(s.substr(b, e - b));
}

} // namespace

std::vector<std::string> SplitSqlScript(std::string_view script) {
    std::vector<std::string> statements;
    std::string terminator = ";";
    std::string current;
    std::size_t i = 0;
    const std::size_t n = script.size();
    const auto flush = [&]() {
        std::string stmt = Trim(current);
        current.clear();
        if (stmt.empty())
            return;
        const std::string upper = UpperCase1252(stmt);
        if (upper.rfind("SET TERM", 0) == 0) {
            terminator = Trim(std::string_view(stmt).substr(8));
            return;
        }
        statements.push_back(std::move(stmt));
    };
    while (i < n) {
        const char c = script[i];
        if (c == '\'' || c == '"') {
            const std::size_t start = i++;
            while (i < n && script[i] != c)
                ++i;
            i = i < n ? i + 1 : n;
            current.append(script.substr(start, i - start));
        } else if (c == '-' && i + 1 < n && script[i + 1] == '-') {
            while (i < n && script[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < n && script[i + 1] == '*') {
            const std::size_t end = script.find("*/", i + 2);
            i = end == std::string_view::npos ? n : end + 2;
        } else if (script.compare(i, terminator.size(), terminator) == 0) {
            i += terminator.size();
            flush();
        } else if (terminator != ";" && c == ';' && UpperCase1252(Trim(current)).rfind("SET TERM", 0) == 0) {
            // "SET TERM ; ^" restores the usual terminator; it ends with the old one.
            current.push_back(c);
            ++i;
        } else {
            current.push_back(c);
            ++i;
        }
    }
    flush();
    return statements;
}

} // namespace clinova
