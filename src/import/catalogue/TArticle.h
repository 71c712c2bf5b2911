#pragma once
// One product row of TARIFSPRODUITS, as the product matching hands it to the stock import.

#include <cstdint>
#include <string>

namespace clinova {

class Statement;

class TArticle {
public:
    std::int32_t ID = -1;
    std::string Designation;
    std::int32_t TAUXTVA = 0; // the rate times 100: 19.6 % is 1960
    std::int32_t COND = 0;
    std::int32_t IDFournisseur = -1;
    std::string CIP, CODECENTRALE, CT, SCT, SSCT;
    std::int32_t UNITEVENTE = 0;
    std::string CODE_GTIN, CODE_EAN13, CODE_AMM, CATEGORIE, FAMILLE, FOURNISSEUR, CLASSE;
    std::int32_t POIDS_UNITAIRE_BRUT_GR = 0;
    std::int32_t METHODE_COMMANDE = 0;
    std::int32_t QTX_COMMANDE_FIXE = 0;
    std::int32_t QTX_FULL = 0; // unopened units in stock
    std::int32_t QTX_FULL_IDEAL = 0;
    std::int32_t QTX_DETAIL = 0; // opened units in stock, counted in retail subunits
    std::int32_t QTX_DETAIL_IDEAL = 0;
    std::int32_t EN_COMMANDE = 0;
    double PRIXACHAT_T1 = 0;
    double PRIXACHAT_T2 = 0;
    std::int32_t QTXACHAT_T2 = 0;
    double PRIXACHAT_T3 = 0;
    std::int32_t QTXACHAT_T3 = 0;
    double COEF = 0;
    std::string LINK;
    std::string INFO_UNITE_DETAIL;

    // Selling price including VAT, in hundredths: PRIXACHAT_T1 x COEF plus the VAT.
    std::int32_t PrixVenteTTCInt100 = 0;

    // Numbers 0, identifiers -1, texts empty.
    void Clear();
    // Reads the current row of the query. Every column must be in the row and readable in its form;
    // otherwise throws DatabaseError (or ConversionError for a price out of range).
    void LoadFromQuery(const Statement &query);
};

} // namespace clinova
