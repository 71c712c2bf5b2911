#include "import/catalogue/ArticleFinder.h"

#include "database/DatabaseError.h"
#include "database/TargetDatabase.h"
#include "normalized/Conversions.h"

namespace clinova {

ArticleFinder::ArticleFinder(TargetDatabase &db, int siteID) : query_(db), siteID_(siteID) {}

std::optional<TArticle> ArticleFinder::Lookup(const char *column, std::string_view comparedText, int idFournisseur) {
    std::string sql = std::string("select * from TARIFSPRODUITS where (") + column + "='" + QuoteForSQL(comparedText) +
                      "') and (LINK<>1) and (ID_SITE=" + std::to_string(siteID_) + ")";
    if (idFournisseur != kAnySupplier)
        sql += " and (IDFOURNISSEUR=" + std::to_string(idFournisseur) + ")";
    try {
        query_.SetSQL(sql);
        std::optional<TArticle> article;
        if (query_.Open()) {
            article.emplace();
            article->LoadFromQuery(query_);
        }
        query_.Close();
        return article;
    } catch (const std::exception &e) {
        // A lost connection is no "no product": it reaches the step, which ends the run.
        if (const auto *lost = dynamic_cast<const DatabaseError *>(&e); lost && lost->ConnectionLost())
            throw;
        try {
            query_.Close();
        } catch (const std::exception &) {
            // The lookup has already failed; its answer is "no product".
        }
        return std::nullopt;
    }
}

std::optional<TArticle> ArticleFinder::FindArticleByGTIN(std::string_view code, int idFournisseur) {
    const std::string_view c = TrimView(code);
    if (c.size() != 14)
        return std::nullopt;
    return Lookup("CODE_GTIN", c, idFournisseur);
}

std::optional<TArticle> ArticleFinder::FindArticleByCodeCentrale(std::string_view code, int idFournisseur) {
    const std::string_view c = TrimView(code);
    if (c.empty())
        return std::nullopt;
    return Lookup("CODECENTRALE", c.substr(0, 20), idFournisseur);
}

std::optional<TArticle> ArticleFinder::FindArticleByCIP(std::string_view code, int idFournisseur) {
    const std::string_view c = TrimView(code);
    if (c.empty())
        return std::nullopt;
    return Lookup("CIP", c.substr(0, 7), idFournisseur);
}

std::optional<TArticle> ArticleFinder::FindArticleByAMM(std::string_view code, int idFournisseur) {
    const std::string_view c = TrimView(code);
    if (c.empty())
        return std::nullopt;
    return Lookup("CODE_AMM", c.substr(0, 18), idFournisseur);
}

std::optional<TArticle> ArticleFinder::FindArticleByEAN13(std::string_view code, int idFournisseur) {
    const std::string_view c = TrimView(code);
    if (c.size() != 13)
        return std::nullopt;
    return Lookup("CODE_EAN13", c, idFournisseur);
}

std::optional<TArticle> ArticleFinder::FindArticle(std::string_view code, int idFournisseur) {
    const std::string_view c = TrimView(code);
    if (c.empty())
        return std::nullopt;
    using Find = std::optional<TArticle> (ArticleFinder::*)(std::string_view, int);
    for (Find find :
         {&ArticleFinder::FindArticleByGTIN, &ArticleFinder::FindArticleByCodeCentrale,
          &ArticleFinder::FindArticleByCIP, &ArticleFinder::FindArticleByAMM, &ArticleFinder::FindArticleByEAN13})
        if (auto article = (this->*find)(c, idFournisseur))
            return article;
    if (c.size() == 12)
        return FindArticleByEAN13("0" + std::string(c), idFournisseur);
    return std::nullopt;
}

} // namespace clinova
