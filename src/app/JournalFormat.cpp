#include "app/JournalFormat.h"

#include "normalized/Errors.h"
#include "normalized/NormalizedFile.h"
#include "normalized/OutputFile.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <cstdio>
#include <memory>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace clinova::journal_format {

// A field of a journal line: tabs, line ends and the escape itself written as %XX.
std::string Escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '%')
            out += fmt::format("%{:02X}", u);
        else
            out += c;
    }
    return out;
}

std::string Unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> Fields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        fields.push_back(Unescaped(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start)));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

// Size and a hash of the whole content: what a copy over the file, an edit or a new export changes. The time of
// the last change is left out: a copy of the folder is the same export.
std::string Fingerprint(const std::string &folder, const std::string &name) {
    const std::string path = folder + name;
    const EntryKind kind = KindOfEntry(path);
    if (kind == EntryKind::Missing)
        return "F\t" + Escaped(name) + "\tabsent";
    if (kind != EntryKind::RegularFile)
        return "F\t" + Escaped(name) + "\tautre";
    const FilePtr file = OpenRegularFileForReading(path);
    XXH3_state_t *hash = XXH3_createState();
    if (!hash)
        throw FileError(path + FromUtf8(" : mémoire insuffisante"));
    const std::unique_ptr<XXH3_state_t, XXH_errorcode (*)(XXH3_state_t *)> owned(hash, XXH3_freeState);
    XXH3_64bits_reset(hash);
    std::vector<char> buffer(1 << 20);
    std::uint64_t size = 0;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0;) {
        XXH3_64bits_update(hash, buffer.data(), n);
        size += n;
    }
    if (std::ferror(file.get()))
        throw FileError(path + FromUtf8(" : lecture impossible"));
    return fmt::format("F\t{}\t{}\t{:016x}", Escaped(name), size, XXH3_64bits_digest(hash));
}

// The checksum that closes a record: of its lines and its number.
std::string Checksum(std::string_view lines, std::uint64_t number) {
    const std::string closing = "P\t" + std::to_string(number);
    XXH3_state_t *hash = XXH3_createState();
    const std::unique_ptr<XXH3_state_t, XXH_errorcode (*)(XXH3_state_t *)> owned(hash, XXH3_freeState);
    XXH3_64bits_reset(hash);
    XXH3_64bits_update(hash, lines.data(), lines.size());
    XXH3_64bits_update(hash, closing.data(), closing.size());
    return fmt::format("{:016x}", XXH3_64bits_digest(hash));
}

// A record's closing line, written before its commit: "P", its number, its checksum.
std::string Closing(const std::string &lines, std::uint64_t number) {
    return "P\t" + std::to_string(number) + "\t" + Checksum(lines, number) + "\n";
}

} // namespace clinova::journal_format
