#pragma once
// Source identifiers of one kind of record, in the order they were met. Looked up ignoring letter case,
// the first occurrence winning; an index kept as entries are appended makes each lookup constant time.
//
// A large practice holds millions of identifiers for the whole run, so they are stored compactly: the texts
// end to end in one buffer, the end of each, and an open-addressing table of the first positions (about
// 20 bytes per entry instead of two strings and a hash node).

#include "normalized/OutputFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace clinova {

class IdentifierList {
public:
    int Count() const { return static_cast<int>(ends_.size()); }
    // Throws std::out_of_range outside 0..Count()-1.
    std::string_view operator[](int i) const;
    std::vector<std::string> Items() const;

    // Throws std::length_error when the texts would pass 4 GB.
    void Add(std::string_view identifier);
    void Clear();
    // Keeps the first count entries.
    void Truncate(int count);
    // The first position whose text equals the identifier ignoring letter case; -1 when none.
    int IndexOf(std::string_view identifier) const;

    // The texts as they are, each line followed by CR LF. Throws FileError.
    // Returns what stood at the name before (see WriteWholeFile).
    EntryKind SaveToFile(const std::string &fileName) const;
    // Replaces the content with the file's lines. Throws FileError.
    void LoadFromFile(const std::string &fileName);

private:
    std::string_view At(std::size_t i) const;
    // The slot holding the first position of the identifier's key, or the empty slot where it would go.
    std::size_t SlotOf(std::string_view identifier) const;
    void Rehash(std::size_t slotCount);

    std::string text_;
    std::vector<std::uint32_t> ends_;  // item i is text_[ends_[i-1], ends_[i])
    std::vector<std::uint32_t> slots_; // first position + 1 of each distinct key; 0 = empty; size a power of 2
    std::size_t keys_ = 0;             // occupied slots
};

} // namespace clinova
