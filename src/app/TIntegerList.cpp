#include "app/TIntegerList.h"

#include "normalized/Conversions.h"
#include "normalized/Errors.h"
#include "normalized/NormalizedFile.h"

namespace clinova {

int TIntegerList::Add(std::int32_t value) {
    if (count_ == Capacity())
        Grow();
    items_[static_cast<std::size_t>(count_)] = value;
    return count_++;
}

void TIntegerList::Grow() {
    const int capacity = Capacity();
    const int delta = capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4;
    SetCapacity(capacity + delta);
}

void TIntegerList::CheckIndex(int index) const {
    if (index < 0 || index >= count_)
        throw ListError("Index hors borne !");
}

std::int32_t TIntegerList::Get(int index) const {
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)];
}

void TIntegerList::Put(int index, std::int32_t value) {
    CheckIndex(index);
    items_[static_cast<std::size_t>(index)] = value;
}

int TIntegerList::IndexOf(std::int32_t value) const {
    for (int i = 0; i < count_; ++i)
        if (items_[static_cast<std::size_t>(i)] == value)
            return i;
    return -1;
}

void TIntegerList::SetCapacity(int capacity) {
    if (capacity < count_ || capacity > kMaxCount)
        throw ListError("Erreur de capacite !");
    items_.resize(static_cast<std::size_t>(capacity));
}

void TIntegerList::SetCount(int count) {
    if (count < 0 || count > kMaxCount)
        throw ListError("Erreur de Count");
    if (count > Capacity())
        SetCapacity(count);
    for (int i = count_; i < count; ++i)
        items_[static_cast<std::size_t>(i)] = 0;
    count_ = count;
}

void TIntegerList::Clear() {
    items_.clear();
    items_.shrink_to_fit();
    count_ = 0;
}

EntryKind TIntegerList::SaveToFile(const std::string &fileName) const {
    std::string text;
    text.reserve(static_cast<std::size_t>(count_) * 8);
    for (int i = 0; i < count_; ++i) {
        text += std::to_string(items_[static_cast<std::size_t>(i)]);
        text += "\r\n";
    }
    return WriteWholeFile(fileName, text);
}

void LoadIntegerList(const std::string &fileName, TIntegerList &list) {
    list.Clear();
    for (const auto &line : SplitLines(ReadWholeFile(fileName)).lines)
        list.Add(TryStrToInt(line).value_or(-1));
}

} // namespace clinova
