#pragma once
// Binding the fields of a data line to the parameters of an insert: a column the header lacks leaves its
// parameter at the default the step gave it.

#include "app/ImportStep.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace clinova {

class Statement;

// The field trimmed and cut to n characters, when the header has the column.
void BindCut(Statement &q, const StepLine &line, std::string_view column, std::string_view param, int n);
// The same, then upper-cased.
void BindUpperCut(Statement &q, const StepLine &line, std::string_view column, std::string_view param, int n);
// "T" when the field is exactly "1", else "F", when the header has the column.
void BindOneToTF(Statement &q, const StepLine &line, std::string_view column, std::string_view param);

// The field formatted as a phone number and cut to 15 characters; empty when the header lacks the column.
std::string PhoneField(const StepLine &line, std::string_view column);

// The non-empty fields of the columns the header has, in the given order, joined by CR LF, not cut.
std::string JoinAddressLines(const StepLine &line, std::initializer_list<std::string_view> columns);

} // namespace clinova
