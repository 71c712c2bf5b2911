#pragma once
// Text inside the engine is std::string holding Windows-1252 bytes, as the normalized files and the
// database columns are. These are the only conversions to and from UTF-8 (terminal, Qt, source literals)
// and the letter-case rules of that code page.

#include <string>
#include <string_view>

namespace clinova {

// Upper-case of one Windows-1252 byte: a-z, the accented lower-case letters (é -> É), š œ ž ÿ.
unsigned char UpperChar1252(unsigned char c);
std::string UpperCase1252(std::string_view text);
std::string LowerCase1252(std::string_view text);

// Case-insensitive equality and ordering used by the identifier lookups: letters are compared
// without regard to case; accents are compared, not ignored.
bool SameText1252(std::string_view a, std::string_view b);
int CompareText1252(std::string_view a, std::string_view b);

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined map to the code point
// of the same number, as Windows itself does, so that no byte is lost.
std::string ToUtf8(std::string_view win1252);

// UTF-8 to Windows-1252; a character the code page cannot hold, or a malformed sequence, becomes '?'.
// Source files are UTF-8: French literals reach the engine through this function.
std::string FromUtf8(std::string_view utf8);

// UTF-8 to Windows-1252 for text that must convert whole (a file read as UTF-8): false when a character has
// no Windows-1252 form, which is then in unmapped (U+FFFD for a malformed sequence); out holds the text
// converted up to it.
bool ConvertUtf8To1252(std::string_view utf8, std::string &out, char32_t &unmapped);

// Appends the UTF-8 encoding of one code point.
void AppendUtf8(std::string &out, char32_t cp);

// The value of one hexadecimal digit (either case); -1 for any other character.
int HexDigit(char c);

// True when the bytes form valid UTF-8 with at least one multi-byte sequence: such a file was most
// likely written as UTF-8, not Windows-1252.
bool LooksLikeUtf8(std::string_view bytes);

} // namespace clinova
