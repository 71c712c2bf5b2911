#pragma once
// A growable list of 32-bit integers: the target identifiers of the correspondence lists.

#include "normalized/OutputFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace clinova {

class TIntegerList {
public:
    static constexpr int kMaxCount = 134217727;

    int Count() const { return count_; }
    int Capacity() const { return static_cast<int>(items_.size()); }

    int Add(std::int32_t value);
    std::int32_t Get(int index) const;
    void Put(int index, std::int32_t value);
    int IndexOf(std::int32_t value) const;
    void SetCapacity(int capacity);
    void SetCount(int count);
    void Clear();

    // One value per line in decimal, each line followed by CR LF. Throws FileError.
    // Returns what stood at the name before (see WriteWholeFile).
    EntryKind SaveToFile(const std::string &fileName) const;

private:
    void Grow();
    void CheckIndex(int index) const;

    std::vector<std::int32_t> items_; // size() is the capacity
    int count_ = 0;
};

// Clears the list and appends each line of the file as a decimal integer, -1 for a line that is not one.
// Throws FileError when the file cannot be read.
void LoadIntegerList(const std::string &fileName, TIntegerList &list);

} // namespace clinova
