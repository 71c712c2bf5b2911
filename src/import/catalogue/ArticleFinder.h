#pragma once
// Finds the product of the site's catalogue (TARIFSPRODUITS) that carries a code as the source program knew
// it: a wholesaler's article code, a GTIN, a CIP, an AMM number or an EAN-13 bar code. Linked products
// (LINK = 1) are never returned. Each lookup is one query whose text is built from the code, cut to the
// length of its column and quoted, so that any code is safe to send. Lookups never raise: a database
// error, or a row that cannot be loaded, is reported as no product.

#include "database/Statement.h"
#include "import/catalogue/TArticle.h"

#include <optional>
#include <string>
#include <string_view>

namespace clinova {

class TargetDatabase;

class ArticleFinder {
public:
    // A supplier identifier of -1 matches any supplier.
    static constexpr int kAnySupplier = -1;

    ArticleFinder(TargetDatabase &db, int siteID);

    // A trimmed code of exactly 14 characters, compared with CODE_GTIN.
    std::optional<TArticle> FindArticleByGTIN(std::string_view code, int idFournisseur = kAnySupplier);
    // Any non-empty code; its first 20 characters compared with CODECENTRALE.
    std::optional<TArticle> FindArticleByCodeCentrale(std::string_view code, int idFournisseur = kAnySupplier);
    // Any non-empty code; its first 7 characters compared with CIP.
    std::optional<TArticle> FindArticleByCIP(std::string_view code, int idFournisseur = kAnySupplier);
    // Any non-empty code; its first 18 characters compared with CODE_AMM.
    std::optional<TArticle> FindArticleByAMM(std::string_view code, int idFournisseur = kAnySupplier);
    // A trimmed code of exactly 13 characters, compared with CODE_EAN13.
    std::optional<TArticle> FindArticleByEAN13(std::string_view code, int idFournisseur = kAnySupplier);
    // GTIN, wholesaler code, CIP, AMM, EAN-13 in turn; then a 12-character code once more as an EAN-13
    // with a leading 0 (a UPC-A code).
    std::optional<TArticle> FindArticle(std::string_view code, int idFournisseur = kAnySupplier);

    // The text of the last lookup query sent.
    const std::string &LastSQL() const { return query_.SQL(); }

private:
    std::optional<TArticle> Lookup(const char *column, std::string_view comparedText, int idFournisseur);

    Statement query_;
    int siteID_;
};

} // namespace clinova
