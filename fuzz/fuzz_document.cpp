// The consultation document reader on any bytes: it must skip what it cannot read, never fail.
#include "document/RVFReader.h"
#include "document/RVFWriter.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const auto document = clinova::LoadDocumentRVF(bytes);
    (void)clinova::DocumentPlainText(bytes);
    (void)clinova::DocumentTexts(bytes);
    (void)document.PlainText();
    return 0;
}
