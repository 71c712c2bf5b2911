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

void IdentifierList::Truncate(int count) {
    for (int i = Count() - 1; i >= count && i >= 0; --i) {
        const auto it = first_.find(UpperCase1252(items_[static_cast<std::size_t>(i)]));
        if (it != first_.end() && it->second == i)
            first_.erase(it);
        items_.pop_back();
    }
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
