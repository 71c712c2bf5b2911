#pragma once
// The line cutter: splits one line of a normalized file into the fields prepared from its header.

#include <string>
#include <string_view>
#include <vector>

namespace clinova {

class TCut {
public:
    static constexpr int kStatusOk = 0;
    static constexpr int kStatusEmptyLine = 1;
    static constexpr int kStatusTooManyPieces = 2;

    std::string Line;
    std::string Separator = ";";
    // When not empty, a piece that begins and ends with it (and holds it twice) loses one at each end.
    std::string Quote;
    int Status = kStatusOk;
    // Field i holds the value of column position i. Their number is fixed by PrepareFields, not by Cut.
    std::vector<std::string> Fields;

    // n empty fields.
    void PrepareFields(int n);
    // 0 for an empty line, otherwise the number of separators plus one.
    int CountFields() const;
    void PrepareFromLine() { PrepareFields(CountFields()); }
    // Splits Line into Fields; false (Status 1) for an empty line, which leaves Fields untouched.
    // Fields no piece reaches are empty; a piece beyond the last field sets Status 2 and ends the cut,
    // the fields already stored stay usable.
    bool Cut();
    void StoreField(int i, std::string_view piece);
    // Removes leading and trailing blanks and control characters of every field.
    void TrimFields();
};

} // namespace clinova
