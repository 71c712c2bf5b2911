#include "normalized/NormalizedFile.h"

#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace clinova {

namespace {

constexpr const char *kCannotOpen = "Impossible d'ouvrir le fichier";
constexpr const char *kCannotRead = "Erreur de lecture du fichier";
constexpr const char *kCannotWrite = "Impossible d'écrire le fichier";

[[noreturn]] void ThrowFileError(std::string_view what, const std::string &path, int error) {
    throw FileError(FromUtf8(what) + " \"" + path + "\" : " + std::generic_category().message(error));
}

FilePtr OpenFile(const std::string &path, const char *mode, std::string_view what) {
    errno = 0;
    FilePtr file(std::fopen(path.c_str(), mode));
    if (!file)
        ThrowFileError(what, path, errno);
    return file;
}

} // namespace

LineReader::LineReader(const std::string &path, std::size_t blockSize)
    : path_(path), file_(OpenFile(path, "rb", kCannotOpen)), buffer_(blockSize ? blockSize : 1) {}

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
        while (p < window_.size() && window_[p] != '\r' && window_[p] != '\n' && window_[p] != '\0')
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
        if (stop == '\0') {
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
    const auto file = OpenFile(path, "rb", kCannotOpen);
    std::string content;
    char block[1 << 16];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, file.get())) > 0;)
        content.append(block, got);
    if (std::ferror(file.get()))
        ThrowFileError(kCannotRead, path, errno);
    return content;
}

void WriteWholeFile(const std::string &path, std::string_view bytes) {
    // The bytes go to a file of their own, which then takes the place of the old one: on a full disk or a
    // failing write the old file (a correspondence list of an earlier run) stays whole.
    const std::string temporary = path + ".tmp";
    errno = 0;
    FilePtr file(std::fopen(temporary.c_str(), "wb"));
    if (!file)
        ThrowFileError(kCannotWrite, path, errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const int writeError = errno;
    // Closing flushes: its failure is a failed write too.
    const bool closed = std::fclose(file.release()) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        std::remove(temporary.c_str());
        ThrowFileError(kCannotWrite, path, written ? closeError : writeError);
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::remove(temporary.c_str());
        throw FileError(FromUtf8(kCannotWrite) + " \"" + path + "\" : " + ec.message());
    }
}

} // namespace clinova
