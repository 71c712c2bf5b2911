#include "import/catalogue/InventoryImport.h"

#include "CatalogueFixture.h"

#include <gtest/gtest.h>

using namespace clinova;

namespace {

struct InventoryFixture : test::CatalogueFixture {
    InventoryFixture() {
        state.options.cbINVENTAIRE = {true, true};
        AddWholesaler(1, "CENTRAVET", 1);
        AddWholesaler(2, "ALCYON", 1);
        AddWholesaler(3, "COVETO", 2);
        const std::string stock = ", CODECENTRALE, QTX_FULL, QTX_DETAIL, COND, QTX_FULL_IDEAL, QTX_DETAIL_IDEAL, COEF";
        AddProduct(1, 1, 1, stock, ", 'CV1', 5, 2, 1, 0, 0, 1.5");
        AddProduct(2, 1, 1, stock, ", 'CV2', 7, 3, 1, 0, 0, 1.5");
        AddProduct(3, 1, 2, stock + ", CODE_GTIN", ", 'AL3', 4, 4, 1, 0, 0, 1.5, '03400961234567'");
        AddProduct(4, 2, 3, stock, ", 'CO4', 9, 9, 1, 0, 0, 1.5");
    }
    void Import() { Run(doImportationInventaires); }
    std::string Stock(int id) const {
        return Rows("select QTX_FULL, QTX_DETAIL, COND, QTX_FULL_IDEAL, QTX_DETAIL_IDEAL, COEF, SUIVI_STOCK "
                    "from TARIFSPRODUITS where ID = " + std::to_string(id))
            .at(0);
    }
};

} // namespace

TEST(Inventory, ReplacesOrAddsTheStockOfTheWholesalersProducts) {
    InventoryFixture f;
    f.Write("INVENTAIRE.TXT",
            {"CENTRALE\tCODE_PRODUIT\tMETHODE\tQUANTITE_NON_OUVERT\tQUANTITE_OUVERT\tJE_DECONDITIONNE_EN\t"
             "ENTIER_IDEAL\tDETAIL_IDEAL\tCOEF",
             "CENTRAVET\tCV1\t+\t3\t4\t6\t10\t12\t2500",
             "centravet\tCV2\t0\t1\t0\t4\t2\t0\t1800",
             "Alcyon\t03400961234567\t0\t2\t1\t10\t0\t0\t1000",
             "COVETO\tCO4\t0\t1\t1\t1\t1\t1\t1000",
             "CENTRAVET\tCV1\t=\t1\t1\t1\t1\t1\t1000",
             "CENTRAVET\tCV1\t\t1\t1\t1\t1\t1\t1000",
             "CENTRAVET\tCV1\t+\tdeux\t1\t1\t1\t1\t1000",
             "ALCYON\tCV1\t0\t1\t1\t1\t1\t1\t1000",
             "CENTRAVET\tINCONNU\t0\t1\t1\t1\t1\t1\t1000",
             "CENTRAVET\tCV1\t+\t1\t1\t6\t10\t12\t2500"});
    f.Import();
    EXPECT_EQ(f.op.log, (std::vector<std::string>{"INVENTAIRE.TXT/ligne 4/Nom de la centrale inconnu : COVETO",
                                                  "INVENTAIRE.TXT/ligne 7/'deux' n'est pas une valeur entière correcte"}));
    // 5 + 3 + 1 whole units, 2 + 4 + 1 subunits: the second "+" adds to what the first left.
    EXPECT_EQ(f.Stock(1), "9|7|6|10|12|2.5|1");
    EXPECT_EQ(f.Stock(2), "1|0|4|2|0|1.8|1");
    EXPECT_EQ(f.Stock(3), "2|1|10|0|0|1|1");
    EXPECT_EQ(f.Stock(4), "9|9|1|0|0|1.5|0");
    EXPECT_FALSE(f.state.StopRequested);
}

TEST(Inventory, WritesOnlyWhatTheColumnsGiveAndStopsWhenInterrupted) {
    InventoryFixture f;
    f.Write("INVENTAIRE.TXT", {"CODE_PRODUIT\tQUANTITE_OUVERT"});
    f.Import();
    EXPECT_EQ(f.op.log, (std::vector<std::string>{"INVENTAIRE.TXT/manque colonne obligatoire \"CENTRALE\"",
                                                  "INVENTAIRE.TXT/manque colonne obligatoire \"METHODE\""}));

    // Without JE_DECONDITIONNE_EN neither COND nor QTX_DETAIL is written; without QUANTITE_NON_OUVERT
    // the replaced stock is 0.
    f.op.log.clear();
    f.Write("INVENTAIRE.TXT", {"CENTRALE\tCODE_PRODUIT\tMETHODE\tQUANTITE_OUVERT",
                               "CENTRAVET\tCV1\t0\t8",
                               "CENTRAVET\tCV2\t0\t8",
                               "ALCYON\tAL3\t0\t8"});
    f.op.interruptAtWaitMessage = "Importation inventaire 2/3";
    f.Import();
    EXPECT_EQ(f.Stock(1), "0|2|1|0|0|1.5|1");
    EXPECT_EQ(f.Stock(2), "0|3|1|0|0|1.5|1");
    EXPECT_EQ(f.Stock(3), "4|4|1|0|0|1.5|0");
    EXPECT_EQ(f.op.log, (std::vector<std::string>{"INVENTAIRE/interruption de la procédure"}));
    EXPECT_TRUE(f.state.StopRequested);
}
