#pragma once
// The consultation document: the rich-text document the product keeps in CONSULT.CARTON, as an ordered
// list of items grouped into paragraphs. The system builds documents of text items only; documents the
// product wrote may also hold pictures, controls, tabs, breaks, tables and the like, which are kept as
// items without text so that the paragraphs stay where they were.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace clinova {

enum class RVItemKind { Text, Break, Picture, HotPicture, Hotspot, Bullet, Control, ListMarker, Tab, Table, Other };

struct RVItem {
    RVItemKind kind = RVItemKind::Text;
    int styleNo = 0;         // text style number of a text item; the record type of any other item
    int paraNo = 0;          // paragraph style number
    bool sameAsPrev = false; // continues the paragraph of the item before it
    bool lineBreak = false;  // starts a new line inside its paragraph, not a new paragraph
    std::string text;        // Windows-1252; text items only

    bool StartsNewLine() const { return !sameAsPrev; }
    bool StartsNewParagraph() const { return !sameAsPrev && !lineBreak; }
};

class RichViewDocument {
public:
    void Clear() { items_.clear(); }

    // Appends text as new paragraphs of text items. A text item cannot hold a line break: a CR, LF or
    // CR LF inside the text starts a further paragraph. NUL characters are dropped, since the product's
    // loader stops reading a document at the first of them.
    void AddParagraph(std::string_view text, int styleNo = 0, int paraNo = 0);

    // Appends an item as it is (used by the loader).
    void AddItem(RVItem item) { items_.push_back(std::move(item)); }

    std::size_t ItemCount() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    const RVItem &Item(std::size_t i) const { return items_.at(i); }
    const std::vector<RVItem> &Items() const { return items_; }

    // The text of item i; fails, as the product's editor does, when the item is not a text item.
    const std::string &ItemText(std::size_t i) const;

    // The texts of the text items, in document order.
    std::vector<std::string> Texts() const;

    // The document as plain text: the items of a line run together (a tab item gives a tab character,
    // other non-text items nothing), the lines joined by CR LF.
    std::string PlainText() const;

private:
    std::vector<RVItem> items_;
};

// Hands each the texts of the paragraphs AddParagraph makes of text, in order: a CR, LF or CR LF ends a
// paragraph. The NUL characters are still in the pieces.
template <typename Each> void ForEachParagraphPiece(std::string_view text, Each &&each) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        each(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    each(text.substr(start));
}

} // namespace clinova
