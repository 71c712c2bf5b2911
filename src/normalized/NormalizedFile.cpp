#include "normalized/NormalizedFile.h"

#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace clinova {

namespace {

constexpr const char *kCannotRead = "Erreur de lecture du fichier";

[[noreturn]] void ThrowFileError(std::string_view what, const std::string &path, int error) {
    throw FileError(FromUtf8(what) + " \"" + path + "\" : " + std::generic_category().message(error));
}

} // namespace

LineReader::LineReader(const std::string &path, std::size_t blockSize)
    : path_(path), file_(OpenRegularFileForReading(path)), buffer_(blockSize ? blockSize : 1) {}

bool LineReader::Refill() {
    if (!file_)
        return false;
    const std::size_t got = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
    if (got == 0 && std::ferror(file_.get()))
        ThrowFileError(kCannotRead, path_, errno);
    window_ = std::string_view(buffer_.data(), got);
    return got > 0;
}

bool LineReader::Advance(std::string *line) {
    if (line)
        line->clear();
    bool started = false; // bytes of this line were met: it exists even if no break ends it
    while (!ended_) {
        if (window_.empty() && !Refill())
            break;
        if (skipLF_) {
            skipLF_ = false;
            if (window_.front() == '\n') {
                window_.remove_prefix(1);
                continue;
            }
        }
        std::size_t p = 0;
        while (p < window_.size() && window_[p] != '\r' && window_[p] != '\n' && (window_[p] != '\0' || !nulEnds_))
            ++p;
        if (line)
            line->append(window_.substr(0, p));
        started = started || p > 0;
        if (p == window_.size()) {
            window_ = {};
            continue;
        }
        const char stop = window_[p];
        window_.remove_prefix(p + 1);
        if (stop == '\0' && nulEnds_) {
            nulLine_ = linesRead_;
            break;
        }
        skipLF_ = stop == '\r';
        ++linesRead_;
        return true;
    }
    ended_ = true;
    if (!started)
        return false;
    ++linesRead_;
    return true;
}

bool LineReader::Next(std::string &line) {
    return Advance(&line);
}

bool LineReader::Skip() {
    return Advance(nullptr);
}

std::size_t LineReader::CountLinesAfterNul() {
    if (!nulLine_ || !nulEnds_)
        return 0;
    nulEnds_ = false;
    ended_ = false;
    std::size_t count = 0;
    // The rest of the NUL's own line first: that line was read, up to the NUL.
    if (Advance(nullptr))
        while (Advance(nullptr))
            ++count;
    return count;
}

void Utf8Detector::Add(std::string_view line, std::size_t number) {
    bool high = false;
    for (const char c : line)
        high = high || static_cast<unsigned char>(c) >= 0x80;
    if (!high)
        return;
    if (!LooksLikeUtf8(line))
        windows1252_ = true;
    else if (!firstUtf8Line_)
        firstUtf8Line_ = number;
}

SourceLineReader::SourceLineReader(const std::string &path, bool utf8, std::size_t longestLine)
    : reader_(path), utf8_(utf8) {
    raw_.reserve(longestLine);
}

bool SourceLineReader::Next() {
    if (!reader_.Next(raw_))
        return false;
    unmapped_.reset();
    if (utf8_) {
        std::string_view bytes(raw_);
        if (first_ && bytes.starts_with("\xEF\xBB\xBF"))
            bytes.remove_prefix(3);
        char32_t character = 0;
        if (!ConvertUtf8To1252(bytes, text_, character))
            unmapped_ = character;
    }
    first_ = false;
    return true;
}

std::string UnmappedCharacterMessage(char32_t character) {
    if (character == 0xFFFD)
        return FromUtf8("octets qui ne forment pas un texte UTF-8 correct");
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
    return FromUtf8("caractère sans équivalent en Windows-1252 (") + code + ")";
}

FileSurvey SurveyFile(const std::string &path) {
    FileSurvey survey;
    LineReader reader(path);
    Utf8Detector utf8;
    std::string line;
    for (std::size_t number = 0; reader.Next(line); ++number) {
        utf8.Add(line, number);
        survey.longestLine = std::max(survey.longestLine, line.size());
    }
    survey.lines = reader.LinesRead();
    survey.nulLine = reader.NulLine();
    survey.linesAfterNul = reader.CountLinesAfterNul();
    survey.utf8Line = utf8.Utf8Line();
    return survey;
}

TextLines SplitLines(std::string_view content) {
    TextLines result;
    auto reader = LineReader::OfContent(content);
    for (std::string line; reader.Next(line);)
        result.lines.push_back(std::move(line));
    result.nulLine = reader.NulLine();
    return result;
}

TextLines ReadLines(const std::string &path) {
    TextLines result;
    LineReader reader(path);
    for (std::string line; reader.Next(line);)
        result.lines.push_back(std::move(line));
    result.nulLine = reader.NulLine();
    return result;
}

std::size_t CountLines(const std::string &path) {
    LineReader reader(path);
    while (reader.Skip()) {
    }
    return reader.LinesRead();
}

std::string ReadWholeFile(const std::string &path) {
    const auto file = OpenRegularFileForReading(path);
    std::string content;
    char block[1 << 16];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, file.get())) > 0;)
        content.append(block, got);
    if (std::ferror(file.get()))
        ThrowFileError(kCannotRead, path, errno);
    return content;
}

EntryKind WriteWholeFile(const std::string &path, std::string_view bytes) {
    // On a full disk or a failing write the old file (a correspondence list of an earlier run) stays whole.
    return WriteFileSafely(path, bytes);
}

} // namespace clinova
