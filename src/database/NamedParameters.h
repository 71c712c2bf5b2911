#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace clinova {

// A statement text written with :NAME parameters, translated to the positional markers the client
// library takes. Names may repeat; each occurrence is one position.
struct NamedParameters {
    std::string sql;                 // the text with '?' in place of each :NAME
    std::vector<std::string> names;  // position -> name, upper-cased
};

// Markers inside quoted strings, quoted identifiers and comments are left alone.
NamedParameters TranslateNamedParameters(std::string_view sql);

} // namespace clinova
