#include "document/RVFReader.h"

#include "document/RVStyle.h"
#include "normalized/Win1252.h"

#include <cstdint>
#include <optional>

namespace clinova {

namespace {

// Record types below 0; 0 and above are text style numbers.
constexpr int rvsBreak = -1;
constexpr int rvsCheckpoint = -2;
constexpr int rvsPicture = -3;
constexpr int rvsHotspot = -4;
constexpr int rvsComponent = -5;
constexpr int rvsBullet = -6;
constexpr int rvsBack = -7;
constexpr int rvsVersionInfo = -8;
constexpr int rvsDocProperty = -9;
constexpr int rvsHotPicture = -10;
constexpr int rvsListMarker = -11;
constexpr int rvsTab = -12;
constexpr int rvsTable = -60;

// How the data lines of a record are written: 2 puts the last data line of a non-text item as a raw
// block preceded by its length; 3 writes each Unicode text line as hexadecimal. Unicode text written
// otherwise is raw UTF-16, each line ended by the paragraph separator.
constexpr int kReadBinary = 2;
constexpr int kReadHexUnicode = 3;

constexpr int kBRBit = 4;
constexpr int kUnicodeBit = 8;
constexpr std::uint16_t kParagraphSeparator = 0x2029;

struct Header {
    int type = 0;
    int dataCount = 0;
    int paraNo = 0;
    int options = 0;
    int readType = 0;
};

// The fields of a header line: integers, or names and tags in double quotes (a doubled quote standing
// for one), each followed by one blank.
class FieldScanner {
public:
    explicit FieldScanner(std::string_view line) : line_(line) {}

    bool Integer(int &value) {
        if (pos_ >= line_.size() || (line_[pos_] != '-' && !IsDigit(line_[pos_])))
            return false;
        const bool minus = line_[pos_] == '-';
        if (minus)
            ++pos_;
        std::int64_t v = 0;
        for (; pos_ < line_.size() && line_[pos_] != ' '; ++pos_) {
            if (!IsDigit(line_[pos_]))
                return false;
            v = v * 10 + (line_[pos_] - '0');
            if (v > 2147483648LL)
                return false;
        }
        if (minus)
            v = -v;
        if (v > 2147483647LL)
            return false;
        value = static_cast<int>(v);
        SkipBlank();
        return true;
    }

    bool Quoted(std::string &value) {
        if (pos_ >= line_.size() || line_[pos_] != '"')
            return false;
        value.clear();
        ++pos_;
        while (pos_ < line_.size()) {
            const char c = line_[pos_++];
            if (c != '"') {
                value.push_back(c);
            } else if (pos_ < line_.size() && line_[pos_] == '"') {
                value.push_back('"');
                ++pos_;
            } else {
                break;
            }
        }
        SkipBlank();
        return true;
    }

    // A style given by its number or, in documents saved with style names, by its name; an unknown name
    // stands for the first style, as the product reads it.
    bool Style(int &value, int (*indexOfName)(std::string_view)) {
        std::string name;
        if (Integer(value))
            return true;
        if (!Quoted(name))
            return false;
        value = indexOfName(name);
        if (value < 0)
            value = 0;
        return true;
    }

    bool Tag(bool mayBeQuoted) {
        std::string text;
        if (mayBeQuoted && Quoted(text))
            return true;
        const std::size_t start = pos_;
        while (pos_ < line_.size() && line_[pos_] != ' ')
            ++pos_;
        const bool present = pos_ > start;
        SkipBlank();
        return present;
    }

private:
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    void SkipBlank() {
        if (pos_ < line_.size() && line_[pos_] == ' ')
            ++pos_;
    }

    std::string_view line_;
    std::size_t pos_ = 0;
};

std::optional<RVItemKind> ItemKindOf(int type) {
    switch (type) {
    case rvsCheckpoint:
    case rvsBack:
    case rvsVersionInfo:
    case rvsDocProperty:
        return std::nullopt;
    case rvsBreak:
        return RVItemKind::Break;
    case rvsPicture:
        return RVItemKind::Picture;
    case rvsHotspot:
        return RVItemKind::Hotspot;
    case rvsComponent:
        return RVItemKind::Control;
    case rvsBullet:
        return RVItemKind::Bullet;
    case rvsHotPicture:
        return RVItemKind::HotPicture;
    case rvsListMarker:
        return RVItemKind::ListMarker;
    case rvsTab:
        return RVItemKind::Tab;
    case rvsTable:
        return RVItemKind::Table;
    default:
        return RVItemKind::Other;
    }
}

// Items that take a whole line: the next item cannot continue their paragraph.
bool IsFullWidth(const RVItem &item) {
    return item.kind == RVItemKind::Break || item.kind == RVItemKind::Table;
}

std::optional<std::string> DecodeHex(std::string_view hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = HexDigit(hex[i]);
        const int lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes.push_back(static_cast<char>(hi * 16 + lo));
    }
    return bytes;
}

// UTF-16 little-endian bytes to Windows-1252; a lone surrogate or a character the code page lacks
// becomes '?', a trailing odd byte is dropped.
std::string Utf16ToWin1252(std::string_view bytes) {
    std::string utf8;
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                          (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            AppendUtf8(utf8, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            utf8.push_back('?');
        } else {
            AppendUtf8(utf8, u);
        }
    }
    return FromUtf8(utf8);
}

class RVFReader {
public:
    explicit RVFReader(std::string_view data) : data_(data) {}

    RichViewDocument Read() {
        while (!AtEnd()) {
            const std::string_view line = TextLine();
            Header h;
            if (!ParseHeader(line, h))
                continue; // not a record header: the line is skipped
            if (h.type == rvsVersionInfo)
                continue;
            if (h.type >= 0) {
                ReadTextRecord(h);
                continue;
            }
            if (!SkipData(h))
                break; // a block runs past the end: nothing after it can be found again
            if (const auto kind = ItemKindOf(h.type)) {
                RVItem item;
                item.kind = *kind;
                item.styleNo = h.type;
                Place(item, h);
            }
        }
        return std::move(doc_);
    }

private:
    bool AtEnd() const { return pos_ >= data_.size(); }

    // A line of text: up to CR, LF or the end; its CR, LF or CR LF is passed over.
    std::string_view TextLine() {
        const std::size_t start = pos_;
        while (pos_ < data_.size() && data_[pos_] != '\r' && data_[pos_] != '\n')
            ++pos_;
        const std::string_view line = data_.substr(start, pos_ - start);
        if (pos_ < data_.size() && data_[pos_] == '\r')
            ++pos_;
        if (pos_ < data_.size() && data_[pos_] == '\n')
            ++pos_;
        return line;
    }

    // A raw block: a signed 32-bit little-endian length, then that many bytes. False when the length is
    // negative or runs past the end.
    bool BinaryBlock() {
        if (data_.size() - pos_ < 4)
            return false;
        std::uint32_t size = 0;
        for (int i = 0; i < 4; ++i)
            size |= static_cast<std::uint32_t>(static_cast<unsigned char>(data_[pos_ + i])) << (8 * i);
        if (size > 0x7FFFFFFFu || size > data_.size() - pos_ - 4)
            return false;
        pos_ += 4 + size;
        return true;
    }

    // A raw UTF-16 line: up to the paragraph separator (or a NUL character, which would otherwise stop
    // the reading), which is passed over.
    std::string_view UnicodeLine() {
        const std::size_t start = pos_;
        while (data_.size() - pos_ >= 2) {
            const auto u = static_cast<std::uint16_t>(static_cast<unsigned char>(data_[pos_]) |
                                                      (static_cast<unsigned char>(data_[pos_ + 1]) << 8));
            if (u == kParagraphSeparator || u == 0)
                break;
            pos_ += 2;
        }
        const std::string_view line = data_.substr(start, pos_ - start);
        pos_ = data_.size() - pos_ >= 2 ? pos_ + 2 : data_.size();
        return line;
    }

    // Record header: type (or text style), number of data lines, paragraph style, item options (from
    // format 1.2 on), how the data is written, tag; a style sheet record adds which collection follows.
    bool ParseHeader(std::string_view line, Header &h) {
        FieldScanner f(line);
        if (!f.Style(h.type, TextStyleIndex))
            return false;
        if (h.type == rvsVersionInfo) {
            int version = 0;
            int subVersion = 0;
            if (!f.Integer(version) || !f.Integer(subVersion))
                return false;
            version_ = version;
            subVersion_ = subVersion;
            return true;
        }
        if (!f.Integer(h.dataCount) || !f.Style(h.paraNo, ParaStyleIndex))
            return false;
        if (version_ >= 1 && subVersion_ >= 2) {
            if (!f.Integer(h.options))
                return false;
            h.options &= 0xFF;
        }
        if (!f.Integer(h.readType) || !f.Tag(version_ > 1 || subVersion_ > 2))
            return false;
        int which = 0;
        if (h.type == rvsDocProperty && !f.Integer(which))
            return false;
        return true;
    }

    // One text item per data line, each read with the record's header; no data line gives one empty item.
    void ReadTextRecord(const Header &h) {
        if (h.dataCount == 0)
            AddText(std::string(), h);
        const bool unicode = (h.options & kUnicodeBit) != 0;
        const bool rawUnicode = unicode && h.readType != kReadHexUnicode;
        for (int i = 0; i < h.dataCount && !AtEnd(); ++i) {
            if (rawUnicode) {
                AddText(Utf16ToWin1252(UnicodeLine()), h);
            } else if (unicode) {
                if (const auto bytes = DecodeHex(TextLine()))
                    AddText(Utf16ToWin1252(*bytes), h);
            } else {
                AddText(std::string(TextLine()), h);
            }
        }
    }

    // Passes over the data lines of a record that is not text; false when they run past the end.
    bool SkipData(const Header &h) {
        for (int i = 0; i < h.dataCount; ++i) {
            if (AtEnd())
                return false;
            if (h.readType == kReadBinary && i >= 1 && i == h.dataCount - 1) {
                if (!BinaryBlock())
                    return false;
            } else {
                TextLine();
            }
        }
        return true;
    }

    void AddText(std::string text, const Header &h) {
        RVItem item;
        item.styleNo = h.type;
        item.text = std::move(text);
        Place(item, h);
    }

    // Paragraph number -1 makes the item continue the paragraph of the item before it, unless there is
    // none or it takes a whole line.
    void Place(RVItem &item, const Header &h) {
        item.lineBreak = (h.options & kBRBit) != 0;
        if (h.paraNo == -1 && !doc_.Empty() && !IsFullWidth(doc_.Items().back())) {
            item.sameAsPrev = true;
            item.paraNo = doc_.Items().back().paraNo;
        } else {
            item.sameAsPrev = false;
            item.paraNo = h.paraNo == -1 ? 0 : h.paraNo;
        }
        doc_.AddItem(std::move(item));
    }

    std::string_view data_;
    std::size_t pos_ = 0;
    // Documents without a version record are of format 1.0, whose headers have no item options.
    int version_ = 1;
    int subVersion_ = 0;
    RichViewDocument doc_;
};

} // namespace

RichViewDocument LoadDocumentRVF(std::string_view bytes) {
    return RVFReader(bytes).Read();
}

std::vector<std::string> DocumentTexts(std::string_view bytes) {
    return LoadDocumentRVF(bytes).Texts();
}

std::string DocumentPlainText(std::string_view bytes) {
    return LoadDocumentRVF(bytes).PlainText();
}

} // namespace clinova
