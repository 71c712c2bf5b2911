#pragma once
// Saving a consultation document in RichView Format, the bytes stored in CONSULT.CARTON.

#include "document/RichViewDocument.h"

#include <string>
#include <vector>

namespace clinova {

// The whole document with its style sheet: the format version record, the text, paragraph and list
// style records, then the text records. A document without items is saved as no bytes at all.
// Fails (Error) on an item it cannot save: a non-text item, or a text holding a line break or a NUL.
std::string SaveDocumentRVF(const RichViewDocument &document);

// The bytes of the document built from the lines of a consultation, one paragraph per line.
std::string ConsultationDocumentRVF(const std::vector<std::string> &lines);
std::string ConsultationDocumentRVF(std::vector<std::string> &&lines);

} // namespace clinova
