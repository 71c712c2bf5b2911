#include "normalized/TColList.h"

#include "normalized/Errors.h"
#include "normalized/NormalizedFile.h"


namespace clinova {

const TCol &TColList::operator[](int i) const {
    if (i < 0 || i >= Count())
        throw ListError("Index hors borne !");
    return items_[static_cast<std::size_t>(i)];
}

void TColList::Grow() {
    const int delta = capacity_ > 64 ? capacity_ / 4 : capacity_ > 8 ? 16 : 4;
    capacity_ += delta;
    items_.reserve(static_cast<std::size_t>(capacity_));
}

void TColList::Add(TCol column) {
    if (Count() == capacity_)
        Grow();
    items_.push_back(std::move(column));
}

void TColList::Clear() {
    items_ = {};
    capacity_ = 0;
}

void TColList::LoadHeader(const std::string &path) {
    Clear();
    if (KindOfEntry(path) != EntryKind::RegularFile)
        return;
    std::string header;
    if (LineReader(path, 1 << 16).Next(header))
        LoadHeaderLine(header);
}

void TColList::LoadHeaderLine(std::string_view line) {
    Clear();
    TCut cut;
    cut.Separator = "\t";
    cut.Line = line;
    cut.PrepareFromLine();
    if (!cut.Cut())
        return;
    for (std::size_t i = 0; i < cut.Fields.size(); ++i)
        Add(TCol{std::move(cut.Fields[i]), static_cast<int>(i)});
}

const TCol *TColList::FindColumn(std::string_view name) const {
    for (const auto &column : items_)
        if (column.Name == name)
            return &column;
    return nullptr;
}

const std::string &FieldOf(const TColList &columns, const TCut &cut, std::string_view name) {
    static const std::string kAbsent;
    const TCol *column = columns.FindColumn(name);
    if (column == nullptr || column->Index < 0 || static_cast<std::size_t>(column->Index) >= cut.Fields.size())
        return kAbsent;
    return cut.Fields[static_cast<std::size_t>(column->Index)];
}

} // namespace clinova
