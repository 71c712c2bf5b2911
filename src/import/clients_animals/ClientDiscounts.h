#pragma once
// A client's discounts: a rate on acts, on products and on one named category of acts, written as the
// plain columns REMISEACTES and REMISEPRODUITS and, from build 77 on, as discount definitions in REMISES.

#include "app/ImportStep.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace clinova {

// One discount definition of the product.
struct TRemiseDef {
    std::int32_t Target = 1; // 1: acts; 0: products
    std::int32_t Kind = 100; // 100: all acts; 101: the acts of one category; 200: all products
    std::int32_t Rate = 0;   // whole percent
    std::string CategoryName;
    std::array<std::string, 5> Texts; // not used by the import
    bool Flag = false;                // not used by the import

    // Eleven fields separated by tabs: "1", Target, Kind, Rate, four texts, CategoryName, the fifth text,
    // the flag as "1" or "0".
    std::string ToLine() const;
};

// The discount rates of one line of CLIENTS.TXT.
struct ClientDiscountRates {
    std::int32_t acts = 0;
    std::int32_t products = 0;
    std::int32_t categoryRate = 0;
    std::string categoryName;
};

// REMISE_ACTES and REMISE_PRODUITS: 0 when the column is absent or the field blank, else the field as an
// integer (ConversionError otherwise). The category rate falls back to 0 when it is not an integer, and
// counts only with a category name.
ClientDiscountRates ReadClientDiscounts(const StepLine &line);

// The REMISES text: none before build 77 or without any discount; otherwise one definition line per
// discount (acts, products, category), joined by CR LF.
std::optional<std::string> RemisesText(const ClientDiscountRates &rates, int databaseBuild);

} // namespace clinova
