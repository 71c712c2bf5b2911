#include "import/catalogue/Cities.h"

#include "CatalogueFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace clinova;

TEST(Cities, ImportReplacesTheTableWithTheTownsOfTheFile) {
    test::CatalogueFixture f;
    f.state.options.cbVILLES = {true, true};
    f.Exec("insert into VILLES (ID, CODEPOSTAL, VILLE) values (99, '00000', 'ANCIENNE')");

    // Without both columns the table stays as it was.
    f.Write("VILLES.TXT", {"CODE_POSTAL\tNOM", "17000\tLa Rochelle"});
    f.Run(doImportationVilles);
    EXPECT_EQ(f.op.log, (std::vector<std::string>{"VILLES.TXT/manque colonne obligatoire \"VILLE\""}));
    EXPECT_EQ(f.Q("select list(ID) from VILLES"), "99");

    f.op.log.clear();
    f.Write("VILLES.TXT", {"VILLE\tCODE_POSTAL", "La Rochelle\t17000", "\t17440", "Nulle part\t",
                           "Longue\t123456789012", "  Aytré \t 17440 "});
    f.Run(doImportationVilles);
    EXPECT_TRUE(f.op.log.empty()) << "lines without town or postcode are left aside silently";
    EXPECT_EQ(
        f.Rows("select ID, CODEPOSTAL, VILLE, DEBUTTEL from VILLES order by ID"),
        (std::vector<std::string>{"1|17000|La Rochelle|<NULL>", "2|1234567890|Longue|<NULL>", "3|17440|Aytré|<NULL>"}));
}

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
