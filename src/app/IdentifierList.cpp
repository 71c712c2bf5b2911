#include "app/IdentifierList.h"

#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"

#include <limits>
#include <stdexcept>

namespace clinova {

namespace {

// FNV-1a over the upper-cased bytes, so that texts equal ignoring case meet in the same slot.
std::size_t KeyHash(std::string_view text) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : text) {
        h ^= UpperChar1252(static_cast<unsigned char>(c));
        h *= 1099511628211ull;
    }
    return static_cast<std::size_t>(h ^ (h >> 29));
}

} // namespace

std::string_view IdentifierList::At(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(begin, ends_[i] - begin);
}

std::string_view IdentifierList::operator[](int i) const {
    if (i < 0 || i >= Count())
        throw std::out_of_range("IdentifierList: position " + std::to_string(i) + " hors de la liste");
    return At(static_cast<std::size_t>(i));
}

std::vector<std::string> IdentifierList::Items() const {
    std::vector<std::string> items;
    items.reserve(ends_.size());
    for (std::size_t i = 0; i < ends_.size(); ++i)
        items.emplace_back(At(i));
    return items;
}

std::size_t IdentifierList::SlotOf(std::string_view identifier) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t s = KeyHash(identifier) & mask;
    while (slots_[s] != 0 && !SameText1252(At(slots_[s] - 1), identifier))
        s = (s + 1) & mask;
    return s;
}

void IdentifierList::Rehash(std::size_t slotCount) {
    slots_.assign(slotCount, 0);
    keys_ = 0;
    for (std::size_t i = 0; i < ends_.size(); ++i) {
        const std::size_t s = SlotOf(At(i));
        if (slots_[s] == 0) {
            slots_[s] = static_cast<std::uint32_t>(i + 1);
            ++keys_;
        }
    }
}

void IdentifierList::Add(std::string_view identifier) {
    constexpr std::size_t kMaxText = std::numeric_limits<std::uint32_t>::max();
    constexpr std::size_t kMaxCount = std::numeric_limits<int>::max() / 2;
    if (text_.size() + identifier.size() > kMaxText || ends_.size() >= kMaxCount)
        throw std::length_error("IdentifierList: liste d'identifiants trop grande");
    // The table stays at most half full, so that a search ends after a few slots.
    if (2 * (keys_ + 1) > slots_.size())
        Rehash(slots_.empty() ? 16 : 2 * slots_.size());
    text_.append(identifier);
    ends_.push_back(static_cast<std::uint32_t>(text_.size()));
    const std::size_t s = SlotOf(identifier);
    if (slots_[s] == 0) {
        slots_[s] = static_cast<std::uint32_t>(ends_.size());
        ++keys_;
    }
}

void IdentifierList::Clear() {
    text_.clear();
    ends_.clear();
    slots_.clear();
    keys_ = 0;
}

void IdentifierList::Truncate(int count) {
    if (count < 0)
        count = 0;
    if (count >= Count())
        return;
    ends_.resize(static_cast<std::size_t>(count));
    text_.resize(ends_.empty() ? 0 : ends_.back());
    // Rare (a failed commit): the index is built again from the entries kept.
    Rehash(slots_.size());
}

int IdentifierList::IndexOf(std::string_view identifier) const {
    if (slots_.empty())
        return -1;
    const std::uint32_t found = slots_[SlotOf(identifier)];
    return static_cast<int>(found) - 1;
}

EntryKind IdentifierList::SaveToFile(const std::string &fileName) const {
    std::string text;
    text.reserve(text_.size() + 2 * ends_.size());
    for (std::size_t i = 0; i < ends_.size(); ++i) {
        text += At(i);
        text += "\r\n";
    }
    return WriteWholeFile(fileName, text);
}

void IdentifierList::LoadFromFile(const std::string &fileName) {
    Clear();
    for (auto &line : SplitLines(ReadWholeFile(fileName)).lines)
        Add(line);
}

} // namespace clinova
