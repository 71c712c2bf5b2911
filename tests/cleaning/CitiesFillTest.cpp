#include "cleaning/CitiesFill.h"

#include "import/catalogue/CatalogueFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace clinova;

TEST(Cities, FillFromTheClientsUpperCasesEachTownOnce) {
    test::CatalogueFixture f;
    f.Exec("insert into VILLES (ID, CODEPOSTAL, VILLE) values (99, '00000', 'ANCIENNE')");
    int id = 0;
    for (const char *values :
         {"'La Rochelle', '17000'", "'LA ROCHELLE ', '17000'", "'Aytré', ' 17440'", "'Marans', null", "'Marans', ''",
          "null, '17230'", "'  ', '17230'", "'Dompierre', '17139'"})
        f.Exec("insert into CLIENTS (ID, VILLE1, CP1) values (" + std::to_string(++id) + ", " + values + ")");

    EXPECT_EQ(XiButton1Click(f.state), CleaningOutcome::Done);
    EXPECT_FALSE(f.state.db.IsOpen());
    ASSERT_EQ(f.op.messages.size(), 2u);
    EXPECT_NE(f.op.messages[0].find("Avez-vous fermé Clinova ?"), std::string::npos);
    EXPECT_NE(f.op.messages[1].find("Fin de l'opération"), std::string::npos);
    EXPECT_EQ(f.state.DatabaseBuild, 93);

    auto rows = f.Rows("select CODEPOSTAL, VILLE, DEBUTTEL from VILLES");
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<std::string>{"17000|LA ROCHELLE|", "17139|DOMPIERRE|", "17440|AYTRÉ|"}));
    EXPECT_EQ(f.Q("select count(*) from VILLES where DEBUTTEL is null"), "0");
    EXPECT_EQ(f.Q("select gen_id(CURRENT_ID_VILLE, 0) from RDB$DATABASE"), "3");
}
