#include "import/catalogue/SampleCatalogue.h"

#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "normalized/Win1252.h"

namespace clinova {

namespace {

struct SampleWholesaler {
    int id;
    const char *name;
    int site;
};

struct SampleProduct {
    int id;
    int site;
    const char *designation; // UTF-8
    int supplier;
    const char *codeCentrale;
    const char *cip;
    const char *gtin;
    const char *ean13;
    const char *amm;
    double tauxTVA;
    double cond;
    int qtxFull;
    int qtxDetail;
    double prixAchat;
    double coef;
    int link;
};

const SampleWholesaler kWholesalers[] = {
    {1, "CENTRAVET", 1},
    {2, "ALCYON", 1},
    {3, "COVETO", 2},
};

const SampleProduct kProducts[] = {
    {101, 1, "Milbemax chat 2-8 kg, 4 comprimés", 1, "CV1001", "6012345", "03400960123457", "3400960123457",
     "FR/V/0123456/2010", 20.0, 4, 5, 2, 10.50, 1.8, 0},
    {102, 1, "Frontline spot-on chien M", 1, "CV2040", "", "03661103012345", "3661103012345", "", 20.0, 3, 1, 0, 21.30,
     1.7, 0},
    {103, 1, "Metacam 1,5 mg/ml suspension orale 32 ml", 2, "AL-77810", "6034567", "08714225123451", "8714225123451",
     "", 20.0, 32, 0, 10, 14.20, 1.9, 0},
    {104, 1, "Vétédine solution 120 ml", 2, "AL-12012", "", "", "0123456789012", "", 20.0, 1, 2, 0, 6.80, 1.6, 0},
    {105, 1, "Milbemax chat (conditionnement lié)", 1, "CV1001L", "", "", "", "", 20.0, 1, 0, 0, 2.70, 1.8, 1},
    {201, 2, "Milbemax chat 2-8 kg, 4 comprimés", 3, "CV1001", "6012345", "03400960123457", "3400960123457",
     "FR/V/0123456/2010", 20.0, 4, 0, 0, 10.50, 1.8, 0},
};

} // namespace

void AddSampleCatalogue(TargetDatabase &db) {
    {
        Statement insert(db, "insert into CENTRALES (ID, NOM, ID_SITE) values (:ID, :NOM, :ID_SITE)");
        for (const auto &w : kWholesalers) {
            insert.SetInt("ID", w.id);
            insert.SetText("NOM", w.name);
            insert.SetInt("ID_SITE", w.site);
            insert.Execute();
        }
    }
    Statement insert(db,
                     "insert into TARIFSPRODUITS (ID, ID_SITE, DESIGNATION, IDFOURNISSEUR, CODECENTRALE, CIP, "
                     "CODE_GTIN, CODE_EAN13, CODE_AMM, TAUXTVA, COND, QTX_FULL, QTX_DETAIL, PRIXACHAT_T1, COEF, "
                     "LINK) values (:ID, :ID_SITE, :DESIGNATION, :IDFOURNISSEUR, :CODECENTRALE, :CIP, :CODE_GTIN, "
                     ":CODE_EAN13, :CODE_AMM, :TAUXTVA, :COND, :QTX_FULL, :QTX_DETAIL, :PRIXACHAT_T1, :COEF, :LINK)");
    for (const auto &p : kProducts) {
        insert.SetInt("ID", p.id);
        insert.SetInt("ID_SITE", p.site);
        insert.SetText("DESIGNATION", FromUtf8(p.designation));
        insert.SetInt("IDFOURNISSEUR", p.supplier);
        insert.SetText("CODECENTRALE", p.codeCentrale);
        insert.SetText("CIP", p.cip);
        insert.SetText("CODE_GTIN", p.gtin);
        insert.SetText("CODE_EAN13", p.ean13);
        insert.SetText("CODE_AMM", p.amm);
        insert.SetDouble("TAUXTVA", p.tauxTVA);
        insert.SetDouble("COND", p.cond);
        insert.SetInt("QTX_FULL", p.qtxFull);
        insert.SetInt("QTX_DETAIL", p.qtxDetail);
        insert.SetDouble("PRIXACHAT_T1", p.prixAchat);
        insert.SetDouble("COEF", p.coef);
        insert.SetInt("LINK", p.link);
        insert.Execute();
    }
    db.CommitRetaining();
}

} // namespace clinova
