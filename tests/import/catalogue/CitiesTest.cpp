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
