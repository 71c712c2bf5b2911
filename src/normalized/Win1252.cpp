#include "normalized/Win1252.h"

#include <array>
#include <cstdint>

namespace clinova {

namespace {

// Code points of bytes 0x80-0x9F; the rest of Windows-1252 is Latin-1.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::array<unsigned char, 256> MakeUpperTable() {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<unsigned char>(i);
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] = static_cast<unsigned char>(c - 32);
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7)
            t[c] = static_cast<unsigned char>(c - 32);
    t[0x9A] = 0x8A; // š Š
    t[0x9C] = 0x8C; // œ Œ
    t[0x9E] = 0x8E; // ž Ž
    t[0xFF] = 0x9F; // ÿ Ÿ
    return t;
}

constexpr std::array<unsigned char, 256> MakeLowerTable() {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<unsigned char>(i);
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] = static_cast<unsigned char>(c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7)
            t[c] = static_cast<unsigned char>(c + 32);
    t[0x8A] = 0x9A;
    t[0x8C] = 0x9C;
    t[0x8E] = 0x9E;
    t[0x9F] = 0xFF;
    return t;
}

constexpr auto kUpper = MakeUpperTable();
constexpr auto kLower = MakeLowerTable();

char ToWin1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<char>(cp);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == cp)
            return static_cast<char>(0x80 + i);
    return '?';
}

// Decodes one UTF-8 sequence at text[i]; returns its length, 0 when malformed.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t &cp) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    std::size_t len;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + len > text.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF)
        return 0;
    return len;
}

} // namespace

void AppendUtf8(std::string &out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

unsigned char UpperChar1252(unsigned char c) { return kUpper[c]; }

std::string UpperCase1252(std::string_view text) {
    std::string out(text);
    for (auto &c : out)
        c = static_cast<char>(kUpper[static_cast<unsigned char>(c)]);
    return out;
}

std::string LowerCase1252(std::string_view text) {
    std::string out(text);
    for (auto &c : out)
        c = static_cast<char>(kLower[static_cast<unsigned char>(c)]);
    return out;
}

int CompareText1252(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = kUpper[static_cast<unsigned char>(a[i])];
        const int cb = kUpper[static_cast<unsigned char>(b[i])];
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameText1252(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText1252(a, b) == 0;
}

std::string ToUtf8(std::string_view win1252) {
    std::string out;
    out.reserve(win1252.size() + win1252.size() / 8);
    for (const char ch : win1252) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            out.push_back(ch);
        else if (c < 0xA0)
            AppendUtf8(out, kHigh[c - 0x80]);
        else
            AppendUtf8(out, c);
    }
    return out;
}

std::string FromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const std::size_t len = DecodeUtf8(utf8, i, cp);
        if (len == 0) {
            out.push_back('?');
            ++i;
        } else {
            out.push_back(ToWin1252(cp));
            i += len;
        }
    }
    return out;
}

bool ConvertUtf8To1252(std::string_view utf8, std::string &out, char32_t &unmapped) {
    out.clear();
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const std::size_t len = DecodeUtf8(utf8, i, cp);
        if (len == 0) {
            unmapped = 0xFFFD;
            return false;
        }
        const char c = ToWin1252(cp);
        if (c == '?' && cp != U'?') {
            unmapped = cp;
            return false;
        }
        out.push_back(c);
        i += len;
    }
    return true;
}

bool LooksLikeUtf8(std::string_view bytes) {
    bool multi = false;
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const std::size_t len = DecodeUtf8(bytes, i, cp);
        if (len == 0)
            return false;
        multi = multi || len > 1;
        i += len;
    }
    return multi;
}

} // namespace clinova
