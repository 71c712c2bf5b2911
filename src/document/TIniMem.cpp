#include "document/TIniMem.h"

#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

namespace clinova {

namespace {

// The name of a line: its text before the first "=", empty when it has none.
std::string_view LineName(std::string_view line) {
    const auto eq = line.find('=');
    return eq == std::string_view::npos ? std::string_view() : line.substr(0, eq);
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A whole signed integer: leading blanks, a sign, then decimal digits or "$" and hexadecimal digits
// (up to 32 bits, read as their two's complement value).
std::optional<int> ParseInteger(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool minus = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        minus = s[i++] == '-';
    std::int64_t value = 0;
    if (i < s.size() && s[i] == '$') {
        if (++i == s.size())
            return std::nullopt;
        for (; i < s.size(); ++i) {
            const int d = HexDigit(s[i]);
            if (d < 0)
                return std::nullopt;
            value = value * 16 + d;
            if (value > 0xFFFFFFFFLL)
                return std::nullopt;
        }
        auto bits = static_cast<std::uint32_t>(value);
        if (minus)
            bits = 0u - bits;
        return static_cast<int>(static_cast<std::int32_t>(bits));
    }
    if (i == s.size())
        return std::nullopt;
    for (; i < s.size(); ++i) {
        if (!IsDigit(s[i]))
            return std::nullopt;
        value = value * 10 + (s[i] - '0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (minus)
        value = -value;
    if (value > 2147483647LL)
        return std::nullopt;
    return static_cast<int>(value);
}

// Reads an unsigned number of 1 to maxDigits digits at s[i].
std::optional<int> Number(std::string_view s, std::size_t &i, std::size_t maxDigits) {
    const std::size_t start = i;
    int value = 0;
    while (i < s.size() && IsDigit(s[i]) && i - start < maxDigits)
        value = value * 10 + (s[i++] - '0');
    if (i == start)
        return std::nullopt;
    return value;
}

bool Expect(std::string_view s, std::size_t &i, char c) {
    if (i < s.size() && s[i] == c) {
        ++i;
        return true;
    }
    return false;
}

std::optional<Date> ParseDate(std::string_view s, std::size_t &i) {
    const auto d = Number(s, i, 2);
    if (!d || !Expect(s, i, '/'))
        return std::nullopt;
    const auto m = Number(s, i, 2);
    if (!m || !Expect(s, i, '/'))
        return std::nullopt;
    const auto y = Number(s, i, 4);
    if (!y || !IsValidDate(*y, *m, *d))
        return std::nullopt;
    return Date{*y, *m, *d};
}

// "h:m" or "h:m:s" into the time of day of t.
bool ParseTime(std::string_view s, std::size_t &i, DateTime &t) {
    const auto h = Number(s, i, 2);
    if (!h || !Expect(s, i, ':'))
        return false;
    const auto m = Number(s, i, 2);
    if (!m)
        return false;
    std::optional<int> sec = 0;
    if (Expect(s, i, ':'))
        sec = Number(s, i, 2);
    if (!sec || *h > 23 || *m > 59 || *sec > 59)
        return false;
    t.hour = *h;
    t.minute = *m;
    t.second = *sec;
    t.millisecond = 0;
    return true;
}

std::string TwoDigits(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

std::string FormatTime(const DateTime &t) {
    return TwoDigits(t.hour) + ':' + TwoDigits(t.minute) + ':' + TwoDigits(t.second);
}

} // namespace

const TIniMem::Section *TIniMem::FindSection(std::string_view name) const {
    for (const auto &section : sections_)
        if (SameText1252(section.name, name))
            return &section;
    return nullptr;
}

TIniMem::Section *TIniMem::FindSection(std::string_view name) {
    return const_cast<Section *>(static_cast<const TIniMem *>(this)->FindSection(name));
}

std::string TIniMem::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    if (const Section *s = FindSection(section))
        for (const auto &line : s->lines)
            if (const auto eq = line.find('='); eq != std::string::npos && SameText1252(line.substr(0, eq), key))
                return line.substr(eq + 1);
    return std::string(defaultValue);
}

void TIniMem::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Section *s = FindSection(section);
    if (!s) {
        sections_.push_back(Section{std::string(section), {}});
        s = &sections_.back();
    }
    std::string line = std::string(key) + '=' + std::string(value);
    for (auto &existing : s->lines) {
        if (existing.find('=') != std::string::npos && SameText1252(LineName(existing), key)) {
            existing = std::move(line);
            return;
        }
    }
    s->lines.push_back(std::move(line));
}

int TIniMem::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    std::string text = ReadString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = '$' + text.substr(2);
    return ParseInteger(text).value_or(defaultValue);
}

void TIniMem::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

bool TIniMem::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniMem::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

Date TIniMem::ReadDate(std::string_view section, std::string_view key, const Date &defaultValue) const {
    const std::string text = ReadString(section, key, "");
    const std::string_view s = TrimBlanks(text);
    std::size_t i = 0;
    const auto date = ParseDate(s, i);
    return date && i == s.size() ? *date : defaultValue;
}

DateTime TIniMem::ReadDateTime(std::string_view section, std::string_view key, const DateTime &defaultValue) const {
    const std::string text = ReadString(section, key, "");
    const std::string_view s = TrimBlanks(text);
    std::size_t i = 0;
    const auto date = ParseDate(s, i);
    if (!date)
        return defaultValue;
    DateTime result{*date, 0, 0, 0, 0};
    if (i == s.size())
        return result;
    if (!Expect(s, i, ' '))
        return defaultValue;
    while (i < s.size() && s[i] == ' ')
        ++i;
    return ParseTime(s, i, result) && i == s.size() ? result : defaultValue;
}

double TIniMem::ReadFloat(std::string_view section, std::string_view key, double defaultValue) const {
    const std::string text = ReadString(section, key, "");
    const std::string_view s = TrimBlanks(text);
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
        return defaultValue;
    return value;
}

DateTime TIniMem::ReadTime(std::string_view section, std::string_view key, const DateTime &defaultValue) const {
    const std::string text = ReadString(section, key, "");
    const std::string_view s = TrimBlanks(text);
    std::size_t i = 0;
    DateTime result{};
    return ParseTime(s, i, result) && i == s.size() ? result : defaultValue;
}

void TIniMem::WriteDate(std::string_view section, std::string_view key, const Date &value) {
    WriteString(section, key, FormatDMY(value));
}

void TIniMem::WriteDateTime(std::string_view section, std::string_view key, const DateTime &value) {
    WriteString(section, key, FormatDMY(value.date) + ' ' + FormatTime(value));
}

void TIniMem::WriteFloat(std::string_view section, std::string_view key, double value) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    WriteString(section, key, ec == std::errc() ? std::string_view(buf, end - buf) : std::string_view("0"));
}

void TIniMem::WriteTime(std::string_view section, std::string_view key, const DateTime &value) {
    WriteString(section, key, FormatTime(value));
}

void TIniMem::ReadSection(std::string_view section, std::vector<std::string> &names) const {
    names.clear();
    if (const Section *s = FindSection(section))
        for (const auto &line : s->lines)
            names.emplace_back(LineName(line));
}

void TIniMem::ReadSections(std::vector<std::string> &sections) const {
    sections.clear();
    for (const auto &section : sections_)
        sections.push_back(section.name);
}

void TIniMem::ReadSectionValues(std::string_view section, std::vector<std::string> &lines) const {
    lines.clear();
    if (const Section *s = FindSection(section))
        lines = s->lines;
}

void TIniMem::EraseSection(std::string_view section) {
    for (auto it = sections_.begin(); it != sections_.end(); ++it) {
        if (SameText1252(it->name, section)) {
            sections_.erase(it);
            return;
        }
    }
}

void TIniMem::DeleteKey(std::string_view section, std::string_view key) {
    Section *s = FindSection(section);
    if (!s)
        return;
    for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
        if (it->find('=') != std::string::npos && SameText1252(LineName(*it), key)) {
            s->lines.erase(it);
            return;
        }
    }
}

void TIniMem::UpdateFile() const {
    const std::string utf8 = ToUtf8(fileName_);
    std::ofstream out(std::filesystem::path(std::u8string(utf8.begin(), utf8.end())), std::ios::binary);
    const std::string text = GetText();
    if (!out || !out.write(text.data(), static_cast<std::streamsize>(text.size())) || !out.flush())
        throw FileError(FromUtf8("Impossible d'écrire le fichier ") + fileName_);
}

void TIniMem::WriteStringList(std::string_view section, const std::vector<std::string> &texts) {
    EraseSection(section);
    WriteInteger(section, "count", static_cast<int>(texts.size()));
    for (std::size_t i = 0; i < texts.size(); ++i)
        WriteString(section, "str" + std::to_string(i), texts[i]);
}

void TIniMem::GetStrings(std::vector<std::string> &lines) const {
    lines.clear();
    for (const auto &section : sections_) {
        lines.push_back('[' + section.name + ']');
        lines.insert(lines.end(), section.lines.begin(), section.lines.end());
        lines.emplace_back();
    }
}

std::string TIniMem::GetText() const {
    std::vector<std::string> lines;
    GetStrings(lines);
    std::string text;
    for (const auto &line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace clinova
