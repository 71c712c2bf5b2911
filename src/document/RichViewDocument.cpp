#include "document/RichViewDocument.h"

#include "normalized/Conversions.h"
#include "normalized/Errors.h"

namespace clinova {

void RichViewDocument::AddParagraph(std::string_view text, int styleNo, int paraNo) {
    ForEachParagraphPiece(text, [&](std::string_view piece) {
        RVItem item;
        item.styleNo = styleNo;
        item.paraNo = paraNo;
        item.text = RemoveAllChars(piece, '\0');
        items_.push_back(std::move(item));
    });
}

const std::string &RichViewDocument::ItemText(std::size_t i) const {
    const RVItem &item = Item(i);
    if (item.kind != RVItemKind::Text)
        throw Error("Can't get or set this kind of information for this item");
    return item.text;
}

std::vector<std::string> RichViewDocument::Texts() const {
    std::vector<std::string> texts;
    for (const auto &item : items_)
        if (item.kind == RVItemKind::Text)
            texts.push_back(item.text);
    return texts;
}

std::string RichViewDocument::PlainText() const {
    std::string out;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const RVItem &item = items_[i];
        if (i > 0 && item.StartsNewLine())
            out += "\r\n";
        if (item.kind == RVItemKind::Text)
            out += item.text;
        else if (item.kind == RVItemKind::Tab)
            out += '\t';
    }
    return out;
}

} // namespace clinova
