#pragma once
// Lines of a normalized file: CR LF, CR and LF each end a line, a final line break makes no extra empty
// line, and a NUL byte ends the content. Bytes are taken as they are (no byte-order mark is recognised).
// Paths are the platform's narrow paths, used as given. Failures throw FileError.

#include "normalized/OutputFile.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clinova {

struct TextLines {
    std::vector<std::string> lines;
    // Index of the line a NUL byte stood in (what followed it was dropped); with the header as line 0
    // this is the data line number.
    std::optional<std::size_t> nulLine;
};

TextLines SplitLines(std::string_view content);
TextLines ReadLines(const std::string &path);
// The number of lines, header included, without keeping them.
std::size_t CountLines(const std::string &path);

// The whole content of a regular file (a folder, link, device or FIFO is refused).
std::string ReadWholeFile(const std::string &path);
// Replaces the file with the bytes (see OutputFile: nothing standing at the name is written through);
// returns what stood there before.
EntryKind WriteWholeFile(const std::string &path, std::string_view bytes);

// Reads lines one by one, a block at a time, so that neither a long line nor a large file is held whole.
class LineReader {
public:
    static constexpr std::size_t kDefaultBlockSize = 1 << 20;

    explicit LineReader(const std::string &path, std::size_t blockSize = kDefaultBlockSize);
    // Lines of bytes already in memory; they must outlive the reader.
    static LineReader OfContent(std::string_view content) { return LineReader(content); }

    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;

    // The next line, without its line break; false at the end of the content.
    bool Next(std::string &line);
    // Passes over the next line without storing it.
    bool Skip();

    std::size_t LinesRead() const { return linesRead_; }
    std::optional<std::size_t> NulLine() const { return nulLine_; }
    // Once a NUL byte has ended the content: the lines that followed the NUL's line, which no one reads.
    std::size_t CountLinesAfterNul();

private:
    explicit LineReader(std::string_view content) : window_(content) {}
    bool Advance(std::string *line);
    bool Refill();

    std::string path_;
    FilePtr file_;
    std::vector<char> buffer_;
    std::string_view window_; // bytes of the current block not read yet
    bool skipLF_ = false;     // the last line ended with CR: an LF right after it belongs to that break
    bool ended_ = false;
    bool nulEnds_ = true; // a NUL byte ends the content; false while the lines after it are counted
    std::size_t linesRead_ = 0;
    std::optional<std::size_t> nulLine_;
};

// A file written as UTF-8 rather than Windows-1252: some line is valid UTF-8 with multi-byte sequences, and no
// line has bytes that UTF-8 forbids (an accent of Windows-1252 alone is one).
class Utf8Detector {
public:
    void Add(std::string_view line, std::size_t number);
    // The first UTF-8 line (0 for the header) when the file as a whole looks like UTF-8.
    std::optional<std::size_t> Utf8Line() const {
        return windows1252_ ? std::nullopt : firstUtf8Line_;
    }

private:
    std::optional<std::size_t> firstUtf8Line_;
    bool windows1252_ = false;
};

// The lines of a source file as the steps read them: Windows-1252 bytes as they are, or, for a file written as
// UTF-8 that the operator chose to read so, each line converted to Windows-1252 (a byte-order mark at the start
// dropped). A line with a character Windows-1252 cannot hold does not convert: Unmapped() tells which.
class SourceLineReader {
public:
    // longestLine: the longest line's length when known (SurveyFile), so that a long line is held in a buffer
    // of its own size rather than one grown by doubling.
    SourceLineReader(const std::string &path, bool utf8, std::size_t longestLine = 0);
    bool Next();
    // The line exactly as read.
    const std::string &Raw() const { return raw_; }
    // The line as the engine reads it: Raw() itself, or its conversion.
    const std::string &Text() const { return utf8_ ? text_ : raw_; }
    std::string &Text() { return utf8_ ? text_ : raw_; }
    std::optional<char32_t> Unmapped() const { return unmapped_; }
    std::optional<std::size_t> NulLine() const { return reader_.NulLine(); }
    bool Utf8() const { return utf8_; }

private:
    LineReader reader_;
    bool utf8_;
    bool first_ = true;
    std::string raw_, text_;
    std::optional<char32_t> unmapped_;
};

// Why a line of a UTF-8 file does not convert.
std::string UnmappedCharacterMessage(char32_t character);

// What one reading of a whole file tells before its lines are worked on.
struct FileSurvey {
    std::size_t lines = 0; // header included, as the lines are numbered
    std::optional<std::size_t> nulLine;
    std::size_t linesAfterNul = 0;
    std::optional<std::size_t> utf8Line; // see Utf8Detector
    std::size_t longestLine = 0;
};
FileSurvey SurveyFile(const std::string &path);

} // namespace clinova
