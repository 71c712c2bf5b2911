#include "normalized/Conversions.h"

#include "normalized/Errors.h"
#include "normalized/NormalizedFile.h"
#include "normalized/TimeZone.h"
#include "normalized/Win1252.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>

namespace clinova {

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// Extended precision (64-bit mantissa) is what makes 0.125 / 0.01 fall just below 12.5.
static_assert(std::numeric_limits<long double>::digits >= 64, "RoundToInt needs x87 extended precision");

// |x| brought to two decimals, halves up, stored as a double.
double TwoDecimals(float x) {
    const long double cent = 0.01; // the double nearest to 0.01, widened
    const long double k = std::trunc(std::fabs(static_cast<long double>(x)) / cent + 0.5L);
    return static_cast<double>(k * cent);
}

// The magnitude rounded half to even, given the sign of x.
std::int32_t RoundHalfEvenSigned(long double magnitude, float x) {
    long double r = std::floor(magnitude);
    const long double fraction = magnitude - r;
    if (fraction > 0.5L || (fraction == 0.5L && std::fmod(r, 2.0L) != 0))
        r += 1;
    if (std::signbit(x))
        r = -r;
    if (!(r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max()))
        throw ConversionError(FromUtf8("Valeur numérique hors limites : ") + std::to_string(x));
    return static_cast<std::int32_t>(r);
}

// What from_chars is given: it refuses a leading '+' and must not see a second sign, "inf" or "nan", so the
// sign has to be followed by a digit (or, in a decimal number, a point).
std::optional<std::string_view> NumberBody(std::string_view text, bool decimal) {
    const bool plus = text.starts_with('+');
    const std::size_t sign = plus || text.starts_with('-') ? 1 : 0;
    if (text.size() <= sign)
        return std::nullopt;
    const char c = text[sign];
    if (!(c >= '0' && c <= '9') && !(decimal && c == '.'))
        return std::nullopt;
    return plus ? text.substr(1) : text;
}

template <typename T> std::optional<T> ParseNumber(std::string_view text) {
    const auto body = NumberBody(text, std::is_floating_point_v<T>);
    if (!body)
        return std::nullopt;
    T value{};
    const char *end = body->data() + body->size();
    const auto [stop, ec] = std::from_chars(body->data(), end, value);
    if (ec != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

template <typename T> T ParseIntegerOrThrow(std::string_view text) {
    if (const auto value = ParseNumber<T>(text))
        return *value;
    throw ConversionError(Quoted(text) + FromUtf8(" n'est pas une valeur entière correcte"), std::string(text));
}

} // namespace

std::string_view TrimView(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string Trim(std::string_view text) {
    return std::string(TrimView(text));
}

std::string TrimAndCut(std::string_view text, int n) {
    return std::string(TrimView(text).substr(0, static_cast<std::size_t>(std::max(n, 0))));
}

std::string JoinNonBlank(const std::vector<std::string> &texts) {
    std::string result;
    for (const auto &text : texts) {
        const auto trimmed = TrimView(text);
        if (trimmed.empty())
            continue;
        if (!result.empty())
            result += ' ';
        result += trimmed;
    }
    return result;
}

std::string RemoveAllChars(std::string_view text, char c) {
    std::string result;
    result.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(result), [c](char x) { return x != c; });
    return result;
}

std::string ReplaceAllText(std::string_view text, std::string_view searched, std::string_view replacement) {
    if (searched.empty())
        return std::string(text);
    std::string result;
    if (replacement.find(searched) != std::string_view::npos) {
        for (std::size_t start = 0;;) {
            const std::size_t p = text.find(searched, start);
            result += text.substr(start, p - start);
            if (p == std::string_view::npos)
                return result;
            result += replacement;
            start = p + searched.size();
        }
    }
    // Every occurrence has the same length, so the first one from the start is the one that ends first:
    // characters move one by one from the pending text to the result, and as soon as the result ends with
    // the searched text, that text goes back to the pending text as the replacement. The result never
    // holds an occurrence, so each step costs one comparison of the result's end.
    std::string pending(text.rbegin(), text.rend());
    while (!pending.empty()) {
        result += pending.back();
        pending.pop_back();
        if (std::string_view(result).ends_with(searched)) {
            result.resize(result.size() - searched.size());
            pending.append(replacement.rbegin(), replacement.rend());
        }
    }
    return result;
}

std::string QuoteForSQL(std::string_view text) {
    return ReplaceAllText(text, "'", "''");
}

std::string AddTrailingBackslash(std::string_view path) {
    std::string result(path);
    if (!result.empty() && result.back() != kPathSeparator)
        result += kPathSeparator;
    return result;
}

std::string FormatPhoneNumber(std::string_view text) {
    const std::string compact = RemoveAllChars(RemoveAllChars(TrimView(text), '.'), ' ');
    if (compact.size() != 10)
        return std::string(text);
    std::string result;
    for (std::size_t i = 0; i < 10; i += 2) {
        if (i > 0)
            result += ' ';
        result += compact.substr(i, 2);
    }
    return result;
}

std::string VerticalTabsToLines(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    const auto append = [&result](std::string_view piece) {
        if (!result.empty())
            result += '\r';
        result += piece;
    };
    for (std::size_t p; (p = text.find('\v')) != std::string_view::npos; text.remove_prefix(p + 1))
        append(text.substr(0, p));
    if (!text.empty())
        append(text);
    return result;
}

void TrimBlankLines(std::vector<std::string> &lines) {
    const auto blank = [](const std::string &line) { return TrimView(line).empty(); };
    while (!lines.empty() && blank(lines.back()))
        lines.pop_back();
    lines.erase(lines.begin(), std::find_if_not(lines.begin(), lines.end(), blank));
}

std::string StripFinalLineBreak(std::string_view text) {
    if (text.ends_with("\r\n"))
        text.remove_suffix(2);
    return std::string(text);
}

namespace {

// The lines joined by CR LF, without the blank lines at either end; sized before it is written, so that a long
// text is held once more, not several times.
template <typename Lines> std::string JoinWithoutBlankEnds(const Lines &lines) {
    const auto blank = [](std::string_view line) { return TrimView(line).empty(); };
    auto first = std::find_if_not(lines.begin(), lines.end(), blank);
    auto last = std::find_if_not(lines.rbegin(), std::make_reverse_iterator(first), blank).base();
    std::size_t size = 0;
    for (auto it = first; it != last; ++it)
        size += std::string_view(*it).size() + 2;
    std::string text;
    text.reserve(size);
    for (auto it = first; it != last; ++it) {
        if (it != first)
            text += "\r\n";
        text += *it;
    }
    return text;
}

// The lines of a text as SplitLines cuts them (CR LF, CR or LF; a NUL ends the text), as views into it.
std::vector<std::string_view> LineViews(std::string_view text) {
    std::vector<std::string_view> lines;
    if (const auto nul = text.find('\0'); nul != std::string_view::npos)
        text = text.substr(0, nul);
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        const std::size_t next = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? end + 2 : end + 1;
        text.remove_prefix(next);
    }
    return lines;
}

} // namespace

std::string StringsToText(std::vector<std::string> lines) {
    return JoinWithoutBlankEnds(lines);
}

std::string TrimTextBlankLines(std::string_view text) {
    return JoinWithoutBlankEnds(LineViews(text));
}

std::string VerticalTabLinesText(std::string_view field) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0;;) {
        const std::size_t tab = field.find('\v', start);
        lines.push_back(field.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    return JoinWithoutBlankEnds(lines);
}

std::string BoolToTF(bool value) {
    return value ? "T" : "F";
}

std::string OneToTF(std::string_view text) {
    return BoolToTF(text == "1");
}

int BoolToInt(bool value) {
    return value ? 1 : 0;
}

int ReminderChannelCode(bool a, bool b, bool c) {
    return (a ? 0 : 100) + (b ? 0 : 10) + (c ? 0 : 1);
}

float AddPercentage(float rate, float base) {
    return static_cast<float>(base + static_cast<long double>(base) * rate / 100);
}

std::int32_t RoundToInt(float x) {
    return RoundHalfEvenSigned(TwoDecimals(x), x);
}

std::int32_t FloatToInt100(float x) {
    return RoundHalfEvenSigned(static_cast<long double>(TwoDecimals(x)) * 100, x);
}

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
    return ParseNumber<std::int32_t>(text);
}

std::int32_t StrToInt(std::string_view text) {
    return ParseIntegerOrThrow<std::int32_t>(text);
}

std::optional<std::int64_t> TryStrToInt64(std::string_view text) {
    return ParseNumber<std::int64_t>(text);
}

std::int64_t StrToInt64(std::string_view text) {
    return ParseIntegerOrThrow<std::int64_t>(text);
}

std::optional<double> TryStrToFloat(std::string_view text) {
    return ParseNumber<double>(text);
}

double StrToFloat(std::string_view text) {
    if (const auto value = TryStrToFloat(text))
        return *value;
    throw ConversionError(Quoted(text) + FromUtf8(" n'est pas une valeur numérique correcte"), std::string(text));
}

Date ParseDateDMY(std::string_view text) {
    constexpr auto npos = std::string_view::npos;
    const std::size_t first = text.find('/');
    const std::size_t second = first == npos ? npos : text.find('/', first + 1);
    const auto day = TryStrToInt(text.substr(0, first));
    const auto month = TryStrToInt(first == npos ? "" : text.substr(first + 1, second - first - 1));
    const auto year = TryStrToInt(second == npos ? "" : text.substr(second + 1));
    if (!day || !month || !year || !IsValidDate(*year, *month, *day))
        throw ConversionError(Quoted(text) + FromUtf8(" n'est pas une date correcte"), std::string(text));
    return Date{*year, *month, *day};
}

DateTime LocalTimeToUTC(const DateTime &t) {
    const auto bias = CurrentTimeZoneBias();
    return bias ? AddMinutes(t, *bias) : t;
}

} // namespace clinova
