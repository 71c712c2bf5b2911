#pragma once
// The style sheet RVStyle that travels inside every consultation document: its fifteen text styles, two
// paragraph styles and no list style, and their encoding as the product's component streaming writes
// collections.

#include <string>
#include <string_view>

namespace clinova {

// The three collections as saved in a document.
std::string TextStylesStream();
std::string ParaStylesStream();
std::string ListStylesStream();

// Index of a style of the sheet by its name (as documents saved with style names refer to them), -1
// when the sheet has no style of that name.
int TextStyleIndex(std::string_view styleName);
int ParaStyleIndex(std::string_view styleName);

} // namespace clinova
