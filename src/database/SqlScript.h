#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace clinova {

// Splits an SQL script into statements at the terminator (";" until a "SET TERM x ;" changes it),
// outside quotes and comments. The SET TERM lines themselves are not statements.
std::vector<std::string> SplitSqlScript(std::string_view script);

} // namespace clinova
