#include "import/catalogue/DosageImport.h"

#include "CatalogueFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace clinova;

namespace {

struct DosageFixture : test::CatalogueFixture {
    DosageFixture() {
        state.options.cbPOSOLOGIES = {true, true};
        AddWholesaler(1, "CENTRAVET", 1);
        AddWholesaler(2, "ALCYON", 2);
        AddWholesaler(3, "ALCYON", 1);
        AddProduct(1, 1, 1, ", CODECENTRALE, CODE_GTIN", ", 'CV1', '03400961234567'");
        AddProduct(2, 1, 1, ", CODECENTRALE", ", 'CV2'");
        AddProduct(3, 2, 2, ", CODECENTRALE, CODE_GTIN", ", 'AL3', '08714225123451'");
        AddProduct(4, 1, 3, ", CODECENTRALE, CODE_GTIN", ", 'AL3', '00000000000003'");
        Write("POSOLOGIES_ORIGINES.TXT", {"ORIGINE\tCENTRALE_NAME",
                                          "CV\tCENTRAVET",
                                          "AL\tALCYON",
                                          "MV\tMEDIVET",
                                          "\tCENTRAVET",
                                          "VIDE\t"});
    }
    void Import() { Run(doImportationPosologies); }
};

} // namespace

TEST(Dosages, OneDosageAndOneLinkPerLineWhoseProductHasAGtin) {
    DosageFixture f;
    f.Write("POSOLOGIES.TXT", {"ORIGINE\tCODE_CENTRALE\tPOSOLOGIE",
                               "CV\tCV1\t\vChat : 1 comprimé\vÀ renouveler dans 3 mois\v\v",
                               "cv\tCV1\tDeuxième texte",
                               "CV\tCV2\tProduit sans GTIN",
                               "MV\tM1\tCentrale inconnue",
                               "ZZ\tCV1\tOrigine inconnue",
                               "VIDE\tCV1\tCentrale vide",
                               "AL\tAL3\tChien : 0,1 mg/kg",
                               "CV\t\tSans code",
                               "CV\tCV1\t"});
    f.Import();
    EXPECT_TRUE(f.op.log.empty());
    // The first ALCYON of the table is the one of site 2: wholesalers are not filtered by site.
    const auto dosages = f.Rows("select p.ID, ORIGINE, DISPO, ESPECE, POIDS_MIN, POIDS_MAX, AGE_METHODE, AGE_MIN, "
                                "AGE_MAX, DELAIS_ATTENTE, POSOLOGIE, l.CIP, l.GTIN from POSOS p "
                                "join LINK_POSOLOGIES l on l.ID_POSOLOGIE = p.ID order by p.ID");
    EXPECT_EQ(dosages, (std::vector<std::string>{
                           "1|0|1||0|0|0|<NULL>|<NULL>||Chat : 1 comprimé\r\nÀ renouveler dans 3 mois||03400961234567",
                           "2|0|1||0|0|0|<NULL>|<NULL>||Deuxième texte||03400961234567",
                           "3|0|1||0|0|0|<NULL>|<NULL>||Chien : 0,1 mg/kg||08714225123451",
                       }));
    EXPECT_EQ(f.Q("select count(*) from POSOS"), "3");
    EXPECT_EQ(f.Q("select count(*) from LINK_POSOLOGIES"), "3");
}

TEST(Dosages, WithoutOriginsNothingIsReadAndAFailedLinkLeavesNoDosage) {
    DosageFixture f;
    f.Write("POSOLOGIES.TXT", {"ORIGINE\tCODE_CENTRALE\tPOSOLOGIE", "CV\tCV1\tUn comprimé"});
    for (const std::string &origins : {std::string(), std::string("ORIGINE\tCENTRALE\r\nCV\tCENTRAVET\r\n")}) {
        f.tdb.Dir().Write("POSOLOGIES_ORIGINES.TXT", origins);
        f.Import();
        EXPECT_EQ(f.op.waitShown, 0);
    }
    std::filesystem::remove(f.tdb.Dir().File("POSOLOGIES_ORIGINES.TXT"));
    f.Import();
    EXPECT_EQ(f.op.waitShown, 0);
    EXPECT_EQ(f.Q("select count(*) from POSOS"), "0");

    f.Write("POSOLOGIES_ORIGINES.TXT", {"ORIGINE\tCENTRALE_NAME", "CV\tCENTRAVET"});
    f.Exec("drop sequence GEN_LINK_POSOLOGIES");
    f.Import();
    EXPECT_EQ(f.op.log, (std::vector<std::string>{"POSOLOGIES.TXT/ligne 1/posologie non enregistrée : "
                                                  "générateur GEN_LINK_POSOLOGIES indisponible"}));
    EXPECT_EQ(f.Q("select count(*) from POSOS"), "0");
}
