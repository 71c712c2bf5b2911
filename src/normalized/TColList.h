#pragma once
// The column map of a normalized file: where each named column of its header stands.

#include "normalized/TCut.h"

#include <string>
#include <string_view>
#include <vector>

namespace clinova {

struct TCol {
    std::string Name;
    int Index = -1; // zero-based position in the header
};

// An ordered list of columns; its capacity grows by 4 up to 8, by 16 up to 64, then by a quarter.
class TColList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    int Capacity() const { return capacity_; }
    // Throws ListError out of range.
    const TCol &operator[](int i) const;
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    void Add(TCol column);
    void Clear();

    // One column per field of the header line (line 0), cut at tabs, names taken exactly as written.
    // A missing or empty file, or a name that is not a regular file, leaves the map empty; a file that exists
    // but cannot be read throws FileError.
    void LoadHeader(const std::string &path);
    // The same from the header line itself.
    void LoadHeaderLine(std::string_view line);
    // The first column whose name equals name exactly (case-sensitive); nullptr when there is none.
    const TCol *FindColumn(std::string_view name) const;

private:
    void Grow();

    std::vector<TCol> items_;
    int capacity_ = 0;
};

// The text of the named column in the cutter's current line; empty when the map has no such column.
const std::string &FieldOf(const TColList &columns, const TCut &cut, std::string_view name);

} // namespace clinova
