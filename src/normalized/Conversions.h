#pragma once
// Conversions of normalized field values to what the target database expects, and a few text utilities.
// Texts are Windows-1252 bytes; to trim is to remove leading and trailing bytes of code 32 or less.
// Decimal numbers always use '.', whatever the locale: the locale is never read nor changed.

#include "normalized/DateTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clinova {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Text utilities.
std::string_view TrimView(std::string_view text);
std::string Trim(std::string_view text);
// Trims, then keeps the first n characters (none when n <= 0).
std::string TrimAndCut(std::string_view text, int n);
// Trims each text and joins the non-empty ones with one blank.
std::string JoinNonBlank(const std::vector<std::string> &texts);
std::string RemoveAllChars(std::string_view text, char c);
// Replaces the first occurrence from the start until none remains ("  " -> " " turns any run of blanks into
// one). When the replacement itself holds the searched text that would never end: each occurrence of the
// original text is then replaced once, left to right. An empty searched text changes nothing.
std::string ReplaceAllText(std::string_view text, std::string_view searched, std::string_view replacement);
// Doubles every single quote.
std::string QuoteForSQL(std::string_view text);
// Appends kPathSeparator unless the path already ends with it; an empty path stays empty.
std::string AddTrailingBackslash(std::string_view path);
// Ten characters once dots and blanks are removed: five pairs separated by blanks; otherwise unchanged.
std::string FormatPhoneNumber(std::string_view text);

// Multi-line texts.
// Vertical tabs separate lines in the files; the product's fields separate them with a single CR.
std::string VerticalTabsToLines(std::string_view text);
// Removes the lines that trim to empty at the end, then at the start.
void TrimBlankLines(std::vector<std::string> &lines);
// Removes one final CR LF.
std::string StripFinalLineBreak(std::string_view text);
// The lines without outer blank lines, joined with CR LF.
std::string StringsToText(std::vector<std::string> lines);
// The text split at CR LF, CR or LF, then as StringsToText.
std::string TrimTextBlankLines(std::string_view text);
// A field's lines (separated by vertical tabs) as TrimTextBlankLines(VerticalTabsToLines(field)) gives them,
// in one pass: a long field is held once more, not three times.
std::string VerticalTabLinesText(std::string_view field);

// Codes and numbers.
std::string BoolToTF(bool value);
// "T" when the text is exactly "1", "F" otherwise.
std::string OneToTF(std::string_view text);
int BoolToInt(bool value);
// 100 when a is false, plus 10 when b is false, plus 1 when c is false.
int ReminderChannelCode(bool a, bool b, bool c);
// base + base * rate / 100.
float AddPercentage(float rate, float base);
// The value brought to two decimals (halves up, in extended precision), then rounded half to even:
// 2.5 -> 2, 3.5 -> 4, 2.499 -> 2. FloatToInt100 rounds the hundredths: 12.345f -> 1235, 0.125f -> 12.
// Throws ConversionError when the result does not fit a 32-bit integer.
std::int32_t RoundToInt(float x);
std::int32_t FloatToInt100(float x);

// Decimal integers: an optional sign, then digits only. Empty or other text throws ConversionError.
std::int32_t StrToInt(std::string_view text);
std::optional<std::int32_t> TryStrToInt(std::string_view text);
std::int64_t StrToInt64(std::string_view text);
std::optional<std::int64_t> TryStrToInt64(std::string_view text);
// Decimal numbers with '.' as separator and an optional exponent; no blanks, no infinity, no NaN.
double StrToFloat(std::string_view text);
std::optional<double> TryStrToFloat(std::string_view text);

// Dates and times.
// "d/m/y" with decimal parts; no time part; a two-digit year is taken literally. Throws ConversionError.
Date ParseDateDMY(std::string_view text);
// Adds the bias of the machine's time zone as it is now (not as it was at the date t); t unchanged when
// the zone cannot be read.
DateTime LocalTimeToUTC(const DateTime &t);

} // namespace clinova
