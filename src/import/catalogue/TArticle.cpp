#include "import/catalogue/TArticle.h"

#include "database/DatabaseError.h"
#include "database/Statement.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace clinova {

namespace {

// The integer part of a stored floating value. A value that lies within representation noise of an
// integer is that integer: 0.29 x 100 is 28.999999999999996 in binary and is meant as 29.
std::int32_t WithoutFraction(double x, std::string_view column) {
    const double nearest = std::round(x);
    const double whole = std::fabs(x - nearest) < 1e-9 * std::max(1.0, std::fabs(x)) ? nearest : std::trunc(x);
    if (!(whole >= std::numeric_limits<std::int32_t>::min() && whole <= std::numeric_limits<std::int32_t>::max()))
        throw DatabaseError(FromUtf8("nombre hors limites (colonne ") + std::string(column) + ")");
    return static_cast<std::int32_t>(whole);
}

} // namespace

void TArticle::Clear() {
    *this = TArticle();
}

void TArticle::LoadFromQuery(const Statement &q) {
    Clear();
    ID = q.GetInt("ID");
    Designation = q.GetText("Designation");
    TAUXTVA = WithoutFraction(q.GetDouble("TAUXTVA") * 100, "TAUXTVA");
    COND = WithoutFraction(q.GetDouble("COND"), "COND");
    IDFournisseur = q.GetInt("IDFournisseur");
    CIP = q.GetText("CIP");
    CODECENTRALE = q.GetText("CODECENTRALE");
    CT = q.GetText("CT");
    SCT = q.GetText("SCT");
    SSCT = q.GetText("SSCT");
    UNITEVENTE = q.GetInt("UNITEVENTE");
    CODE_GTIN = q.GetText("CODE_GTIN");
    CODE_EAN13 = q.GetText("CODE_EAN13");
    CODE_AMM = q.GetText("CODE_AMM");
    CATEGORIE = q.GetText("CATEGORIE");
    FAMILLE = q.GetText("FAMILLE");
    FOURNISSEUR = q.GetText("FOURNISSEUR");
    CLASSE = q.GetText("CLASSE");
    POIDS_UNITAIRE_BRUT_GR = q.GetInt("POIDS_UNITAIRE_BRUT_GR");
    METHODE_COMMANDE = q.GetInt("METHODE_COMMANDE");
    QTX_COMMANDE_FIXE = q.GetInt("QTX_COMMANDE_FIXE");
    QTX_FULL = q.GetInt("QTX_FULL");
    QTX_FULL_IDEAL = q.GetInt("QTX_FULL_IDEAL");
    QTX_DETAIL = q.GetInt("QTX_DETAIL");
    QTX_DETAIL_IDEAL = q.GetInt("QTX_DETAIL_IDEAL");
    EN_COMMANDE = q.GetInt("EN_COMMANDE");
    PRIXACHAT_T1 = q.GetDouble("PRIXACHAT_T1");
    PRIXACHAT_T2 = q.GetDouble("PRIXACHAT_T2");
    QTXACHAT_T2 = q.GetInt("QTXACHAT_T2");
    PRIXACHAT_T3 = q.GetDouble("PRIXACHAT_T3");
    QTXACHAT_T3 = q.GetInt("QTXACHAT_T3");
    COEF = q.GetDouble("COEF");
    LINK = q.GetText("LINK");
    INFO_UNITE_DETAIL = Trim(q.GetText("INFO_UNITE_DETAIL"));

    PrixVenteTTCInt100 =
        FloatToInt100(AddPercentage(static_cast<float>(TAUXTVA) / 100, static_cast<float>(PRIXACHAT_T1 * COEF)));
}

} // namespace clinova
