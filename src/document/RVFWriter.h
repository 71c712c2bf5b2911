#pragma once
// Saving a consultation document in RichView Format, the bytes stored in CONSULT.CARTON.

#include "document/RichViewDocument.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace clinova {

// The whole document with its style sheet: the format version record, the text, paragraph and list
// style records, then the text records. A document without items is saved as no bytes at all.
// Fails (Error) on an item it cannot save: a non-text item, or a text holding a line break or a NUL.
std::string SaveDocumentRVF(const RichViewDocument &document);

// The bytes of the document built from the lines of a consultation, one paragraph per line, text style 0 and
// paragraph style 0; a line break inside a line starts a further paragraph, NUL characters are dropped, an
// empty line gives an empty paragraph. No line gives no bytes at all.
std::string ConsultationDocumentRVF(const std::vector<std::string> &lines);

// Hands every line of a text to the function it is given, in order.
using LineSource = std::function<void(const std::function<void(std::string_view)> &)>;

// The same bytes for the lines the source hands out, written without holding the lines or the document's
// items: the source is called twice, once to size the document and once to write it.
std::string ConsultationDocumentRVFFrom(const LineSource &lines);

} // namespace clinova
