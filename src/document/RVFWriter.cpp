#include "document/RVFWriter.h"

#include "document/RVStyle.h"
#include "normalized/Errors.h"

#include <cstdint>

namespace clinova {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Record type of the style sheet records; their last number tells which collection follows.
constexpr int kDocProperty = -9;
constexpr int kTextStyles = 1;
constexpr int kParaStyles = 2;
constexpr int kListStyles = 4;
constexpr int kBRBit = 4;

void AppendLine(std::string &out, std::string_view line) {
    out += line;
    out += kCrLf;
}

// A style sheet record: its header, the name of the style component, then the collection as a raw
// block preceded by its length (unsigned, little-endian), with no line end after the block.
void AppendStyleRecord(std::string &out, int which, const std::string &collection) {
    AppendLine(out, std::to_string(kDocProperty) + " 2 0 0 2 0 " + std::to_string(which));
    AppendLine(out, "RVStyle");
    const auto size = static_cast<std::uint32_t>(collection.size());
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
    out += collection;
}

void CheckSavable(const RVItem &item) {
    if (item.kind != RVItemKind::Text)
        throw Error("Only text items can be saved in a consultation document");
    if (item.text.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        throw Error("A text item holding a line break cannot be saved");
}

// The items after the first of a text record each start a new paragraph with the same styles, since
// every line of a record is read back with the record's header.
bool SharesRecord(const RVItem &first, const RVItem &next) {
    return !first.sameAsPrev && !first.lineBreak && next.StartsNewParagraph() && next.styleNo == first.styleNo &&
           next.paraNo == first.paraNo;
}

// The format version record and the text, paragraph and list style records every document starts with.
void AppendDocumentHead(std::string &out) {
    AppendLine(out, "-8 1 3");
    AppendStyleRecord(out, kTextStyles, TextStylesStream());
    AppendStyleRecord(out, kParaStyles, ParaStylesStream());
    AppendStyleRecord(out, kListStyles, ListStylesStream());
}

// The header of a text record of count lines.
void AppendTextRecordHeader(std::string &out, int styleNo, std::size_t count, int paraNo, int options) {
    AppendLine(out, std::to_string(styleNo) + ' ' + std::to_string(count) + ' ' + std::to_string(paraNo) + ' ' +
                        std::to_string(options) + " 0 0");
}

// Room for the version and style sheet records.
constexpr std::size_t kHeadSize = 4096;

} // namespace

std::string SaveDocumentRVF(const RichViewDocument &document) {
    const auto &items = document.Items();
    if (items.empty())
        return {};
    for (const auto &item : items)
        CheckSavable(item);

    // Sized before it is written: a long text is not copied again as the document grows.
    std::size_t size = kHeadSize;
    for (const auto &item : items)
        size += item.text.size() + 32;
    std::string out;
    out.reserve(size);
    AppendDocumentHead(out);

    for (std::size_t first = 0; first < items.size();) {
        std::size_t end = first + 1;
        while (end < items.size() && SharesRecord(items[first], items[end]))
            ++end;
        const RVItem &head = items[first];
        const int paraNo = head.sameAsPrev ? -1 : head.paraNo;
        const int options = head.lineBreak ? kBRBit : 0;
        AppendTextRecordHeader(out, head.styleNo, end - first, paraNo, options);
        for (std::size_t i = first; i < end; ++i)
            AppendLine(out, items[i].text);
        first = end;
    }
    return out;
}

std::string ConsultationDocumentRVF(const std::vector<std::string> &lines) {
    return ConsultationDocumentRVFFrom([&lines](const std::function<void(std::string_view)> &each) {
        for (const auto &line : lines)
            each(line);
    });
}

std::string ConsultationDocumentRVFFrom(const LineSource &lines) {
    // The paragraphs of the lines all start a new paragraph with the same styles: SaveDocumentRVF would write
    // them as one text record, whose header counts them.
    std::size_t paragraphs = 0;
    std::size_t size = kHeadSize;
    lines([&](std::string_view line) {
        size += line.size();
        ForEachParagraphPiece(line, [&](std::string_view) {
            ++paragraphs;
            size += kCrLf.size();
        });
    });
    if (paragraphs == 0)
        return {};
    std::string out;
    out.reserve(size + 32);
    AppendDocumentHead(out);
    AppendTextRecordHeader(out, 0, paragraphs, 0, 0);
    lines([&](std::string_view line) {
        ForEachParagraphPiece(line, [&](std::string_view piece) {
            for (const char c : piece)
                if (c != '\0')
                    out.push_back(c);
            out += kCrLf;
        });
    });
    return out;
}

} // namespace clinova
