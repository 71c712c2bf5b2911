#pragma once
// Lines of a normalized file: CR LF, CR and LF each end a line, a final line break makes no extra empty
// line, and a NUL byte ends the content. Bytes are taken as they are (no byte-order mark is recognised).
// Paths are the platform's narrow paths, used as given. Failures throw FileError.

#include <cstddef>
#include <cstdio>
#include <memory>
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

std::string ReadWholeFile(const std::string &path);
// Replaces the file with the bytes.
void WriteWholeFile(const std::string &path, std::string_view bytes);

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

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
    std::size_t linesRead_ = 0;
    std::optional<std::size_t> nulLine_;
};

} // namespace clinova
