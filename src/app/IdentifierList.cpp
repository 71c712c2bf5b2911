#include "app/IdentifierList.h"

#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"

namespace clinova {

void IdentifierList::Add(std::string_view identifier) {
    first_.try_emplace(UpperCase1252(identifier), Count());
    items_.emplace_back(identifier);
}

void IdentifierList::Clear() {
    items_.clear();
    first_.clear();
}

int IdentifierList::IndexOf(std::string_view identifier) const {
    const auto it = first_.find(UpperCase1252(identifier));
    return it == first_.end() ? -1 : it->second;
}

void IdentifierList::SaveToFile(const std::string &fileName) const {
    std::string text;
    for (const auto &item : items_) {
        text += item;
        text += "\r\n";
    }
    WriteWholeFile(fileName, text);
}

void IdentifierList::LoadFromFile(const std::string &fileName) {
    Clear();
    for (auto &line : SplitLines(ReadWholeFile(fileName)).lines)
        Add(line);
}

} // namespace clinova
