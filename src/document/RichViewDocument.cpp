#include "document/RichViewDocument.h"

#include "normalized/Errors.h"

namespace clinova {

RichViewDocument RichViewDocument::FromLines(const std::vector<std::string> &lines) {
    RichViewDocument doc;
    for (const auto &line : lines)
        doc.AddParagraph(line);
    return doc;
}

RichViewDocument RichViewDocument::FromLines(std::vector<std::string> &&lines) {
    RichViewDocument doc;
    for (auto &line : lines) {
        if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
            doc.AddParagraph(line);
            continue;
        }
        RVItem item;
        item.text = std::move(line);
        doc.items_.push_back(std::move(item));
    }
    return doc;
}

void RichViewDocument::AddParagraph(std::string_view text, int styleNo, int paraNo) {
    RVItem item;
    item.styleNo = styleNo;
    item.paraNo = paraNo;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0')
            continue;
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            items_.push_back(item);
            item.text.clear();
            continue;
        }
        item.text.push_back(c);
    }
    items_.push_back(std::move(item));
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
