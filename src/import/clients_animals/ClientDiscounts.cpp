#include "import/clients_animals/ClientDiscounts.h"

#include "normalized/Conversions.h"

#include <vector>

namespace clinova {

std::string TRemiseDef::ToLine() const {
    const std::string fields[] = {"1",
                                  std::to_string(Target),
                                  std::to_string(Kind),
                                  std::to_string(Rate),
                                  Texts[0],
                                  Texts[1],
                                  Texts[2],
                                  Texts[3],
                                  CategoryName,
                                  Texts[4],
                                  Flag ? "1" : "0"};
    std::string line;
    for (const auto &field : fields) {
        if (&field != &fields[0])
            line += '\t';
        line += field;
    }
    return line;
}

namespace {

std::int32_t RateField(const StepLine &line, std::string_view column) {
    if (!line.Has(column) || line.Field(column).empty())
        return 0;
    return StrToInt(line.Field(column));
}

} // namespace

ClientDiscountRates ReadClientDiscounts(const StepLine &line) {
    ClientDiscountRates rates;
    rates.acts = RateField(line, "REMISE_ACTES");
    rates.products = RateField(line, "REMISE_PRODUITS");
    if (line.Has("REMISE_ACTES_CAT_VALUE")) {
        rates.categoryRate = TryStrToInt(Trim(line.Field("REMISE_ACTES_CAT_VALUE"))).value_or(0);
        if (line.Has("REMISE_ACTES_CAT_NAME"))
            rates.categoryName = line.Field("REMISE_ACTES_CAT_NAME");
        if (rates.categoryName.empty())
            rates.categoryRate = 0;
    }
    return rates;
}

std::optional<std::string> RemisesText(const ClientDiscountRates &rates, int databaseBuild) {
    const bool category = !rates.categoryName.empty() && rates.categoryRate != 0;
    if (databaseBuild < 77 || (rates.acts == 0 && rates.products == 0 && !category))
        return std::nullopt;
    std::vector<std::string> lines;
    if (rates.acts != 0) {
        TRemiseDef def;
        def.Target = 1;
        def.Kind = 100;
        def.Rate = rates.acts;
        lines.push_back(def.ToLine());
    }
    if (rates.products != 0) {
        TRemiseDef def;
        def.Target = 0;
        def.Kind = 200;
        def.Rate = rates.products;
        lines.push_back(def.ToLine());
    }
    if (category) {
        TRemiseDef def;
        def.Target = 1;
        def.Kind = 101;
        def.CategoryName = rates.categoryName;
        def.Rate = rates.categoryRate;
        lines.push_back(def.ToLine());
    }
    return StringsToText(std::move(lines));
}

} // namespace clinova
