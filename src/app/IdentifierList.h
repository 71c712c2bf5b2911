#pragma once
// Source identifiers of one kind of record, in the order they were met. Looked up ignoring letter case,
// the first occurrence winning; an index kept as entries are appended makes each lookup constant time.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace clinova {

class IdentifierList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string &operator[](int i) const { return items_.at(static_cast<std::size_t>(i)); }
    const std::vector<std::string> &Items() const { return items_; }

    void Add(std::string_view identifier);
    void Clear();
    // Keeps the first count entries.
    void Truncate(int count);
    // The first position whose text equals the identifier ignoring letter case; -1 when none.
    int IndexOf(std::string_view identifier) const;

    // The texts as they are, each line followed by CR LF. Throws FileError.
    void SaveToFile(const std::string &fileName) const;
    // Replaces the content with the file's lines. Throws FileError.
    void LoadFromFile(const std::string &fileName);

private:
    std::vector<std::string> items_;
    std::unordered_map<std::string, int> first_; // upper-cased text -> first position
};

} // namespace clinova
