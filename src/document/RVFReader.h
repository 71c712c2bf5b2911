#pragma once
// Loading consultation documents as the product stores them in CONSULT.CARTON. Besides the records the
// system writes, the product's documents can hold several text records, pictures, controls, tabs,
// breaks, tables, item names, checkpoints, Unicode text and style sheets saved by name. What cannot be
// read is skipped: loading never fails, whatever the bytes.

#include "document/RichViewDocument.h"

#include <string>
#include <string_view>
#include <vector>

namespace clinova {

// The items read from the bytes, in document order. Unicode text is converted to Windows-1252, a
// character the code page lacks becoming '?'. Bytes that are no document give a document without items.
RichViewDocument LoadDocumentRVF(std::string_view bytes);

// The texts of the text items of the document, in document order.
std::vector<std::string> DocumentTexts(std::string_view bytes);

// The document as plain text: its lines joined by CR LF.
std::string DocumentPlainText(std::string_view bytes);

} // namespace clinova
