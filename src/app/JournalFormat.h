#pragma once
// The lines of the import's journal: their escaped fields, the fingerprints of the source files, and the checksum
// that closes each record.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace clinova::journal_format {

// A field of a journal line: tabs, line ends and the escape itself written as %XX.
std::string Escaped(std::string_view text);
std::string Unescaped(std::string_view text);
// The fields of a line, unescaped.
std::vector<std::string> Fields(std::string_view line);
// The fingerprint line of a source file: its size and a hash of its whole content. Throws FileError.
std::string Fingerprint(const std::string &folder, const std::string &name);
// The checksum that closes a record: of its lines and its number.
std::string Checksum(std::string_view lines, std::uint64_t number);
// A record's closing line, written before its commit: "P", its number, its checksum.
std::string Closing(const std::string &lines, std::uint64_t number);

} // namespace clinova::journal_format
