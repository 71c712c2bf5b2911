// The normalized reader on any bytes: the lines, the header's column map and the cut of every line.
#include "normalized/NormalizedFile.h"
#include "normalized/TColList.h"
#include "normalized/TCut.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char *>(data), size);
    auto reader = clinova::LineReader::OfContent(content);
    std::string line;
    clinova::TCut cut;
    cut.Separator = "\t";
    cut.Quote = "\"";
    bool header = true;
    while (reader.Next(line)) {
        cut.Line = line;
        if (header) {
            cut.PrepareFromLine();
            header = false;
            continue;
        }
        if (cut.Cut())
            cut.TrimFields();
    }
    const auto lines = clinova::SplitLines(content);
    (void)lines;
    return 0;
}
