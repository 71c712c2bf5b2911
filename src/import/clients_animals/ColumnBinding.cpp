#include "import/clients_animals/ColumnBinding.h"

#include "database/Statement.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

#include <vector>

namespace clinova {

void BindCut(Statement &q, const StepLine &line, std::string_view column, std::string_view param, int n) {
    if (line.Has(column))
        q.SetText(param, TrimAndCut(line.Field(column), n));
}

void BindUpperCut(Statement &q, const StepLine &line, std::string_view column, std::string_view param, int n) {
    if (line.Has(column))
        q.SetText(param, UpperCase1252(TrimAndCut(line.Field(column), n)));
}

void BindOneToTF(Statement &q, const StepLine &line, std::string_view column, std::string_view param) {
    if (line.Has(column))
        q.SetText(param, OneToTF(line.Field(column)));
}

std::string PhoneField(const StepLine &line, std::string_view column) {
    return line.Has(column) ? TrimAndCut(FormatPhoneNumber(line.Field(column)), 15) : std::string();
}

std::string JoinAddressLines(const StepLine &line, std::initializer_list<std::string_view> columns) {
    std::vector<std::string> lines;
    for (const auto column : columns)
        if (line.Has(column) && !line.Field(column).empty())
            lines.push_back(line.Field(column));
    return StringsToText(std::move(lines));
}

} // namespace clinova
