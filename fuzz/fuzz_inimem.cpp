// The INI document driven by a sequence of operations read from the bytes.
#include "document/TIniMem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    clinova::TIniMem ini;
    std::size_t i = 0;
    const auto take = [&](std::size_t max) {
        const std::size_t n = i < size ? data[i++] % (max + 1) : 0;
        std::string s;
        for (std::size_t k = 0; k < n && i < size; ++k)
            s.push_back(static_cast<char>(data[i++]));
        return s;
    };
    while (i < size) {
        const int op = data[i++] % 10;
        const std::string section = take(8), key = take(8), value = take(16);
        std::vector<std::string> out;
        switch (op) {
        case 0: ini.WriteString(section, key, value); break;
        case 1: (void)ini.ReadInteger(section, key, 0); break;
        case 2: (void)ini.ReadBool(section, key, false); break;
        case 3: (void)ini.ReadDate(section, key, {}); break;
        case 4: (void)ini.ReadFloat(section, key, 0); break;
        case 5: ini.DeleteKey(section, key); break;
        case 6: ini.EraseSection(section); break;
        case 7: ini.WriteStringList(section, {key, value}); break;
        case 8: ini.ReadSectionValues(section, out); break;
        default: (void)ini.ReadDateTime(section, key, {}); break;
        }
    }
    (void)ini.GetText();
    return 0;
}
