// The field conversions on any text: they convert or throw ConversionError, nothing else.
#include "normalized/Conversions.h"
#include "normalized/Errors.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const auto guard = [](auto &&f) {
        try {
            f();
        } catch (const clinova::ConversionError &) {
        }
    };
    guard([&] { (void)clinova::ParseDateDMY(text); });
    guard([&] { (void)clinova::StrToInt(text); });
    guard([&] { (void)clinova::StrToInt64(text); });
    guard([&] {
        const double d = clinova::StrToFloat(text);
        (void)clinova::RoundToInt(static_cast<float>(d));
        (void)clinova::FloatToInt100(static_cast<float>(d));
    });
    (void)clinova::FormatPhoneNumber(text);
    (void)clinova::VerticalTabsToLines(text);
    (void)clinova::TrimTextBlankLines(text);
    (void)clinova::TrimAndCut(text, 15);
    (void)clinova::ReplaceAllText(text, "  ", " ");
    (void)clinova::QuoteForSQL(text);
    return 0;
}
