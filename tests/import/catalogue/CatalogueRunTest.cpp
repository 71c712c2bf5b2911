#include "run/ImportRun.h"
#include "run/SourceFolder.h"
#include "import/catalogue/SampleCatalogue.h"

#include "CatalogueFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace clinova;

// The sample practice's catalogue files through a whole import run, on the sample catalogue.
TEST(CatalogueRun, TheSamplePracticeFilesGoThroughTheRun) {
    test::CatalogueFixture f;
    const std::filesystem::path practice = std::filesystem::path(CLINOVA_SOURCE_DIR) / "examples" / "practice";
    for (const char *file :
         {"CATEGORIES_ACTES.TXT", "TARIFS_ACTES.TXT", "INVENTAIRE.TXT", "POSOLOGIES.TXT", "POSOLOGIES_ORIGINES.TXT"})
        std::filesystem::copy_file(practice / file, f.tdb.Dir().path() / file);
    f.state.db.Open(f.tdb.Path());
    AddSampleCatalogue(f.state.db);
    f.state.db.Close();
    ScanSourceFolder(f.state, f.tdb.Dir().Folder());

    EXPECT_EQ(btnImportationClick(f.state), RunOutcome::Completed);

    const auto at = [&f](const std::string &line) { return std::find(f.op.log.begin(), f.op.log.end(), line); };
    EXPECT_LT(at("DEBUT import doImportationTarifsActes"), at("FIN import doImportationTarifsActes"));
    const auto unknown = at("INVENTAIRE.TXT/ligne 5/Nom de la centrale inconnu : MEDIVET");
    EXPECT_LT(at("DEBUT import doImportationInventaires"), unknown);
    EXPECT_LT(unknown, at("FIN import doImportationInventaires"));
    EXPECT_NE(at("DEBUT import doImportationPosologies"), f.op.log.end());

    EXPECT_EQ(f.Q("select list(ID) from (select ID from TARIFSACTES_CAT order by ID)"), "1,2,3,4");
    EXPECT_EQ(f.Q("select count(*) from TARIFSACTES where ID_SITE = 1"), "8");
    EXPECT_EQ(f.Q("select CODE || '/' || LIBELLE from TARIFSACTES where IDCAT = 3 and CODE = 'OVHCHIE'"),
              "OVHCHIE/Ovariectomie chienne de plus de 20 kg avec hospitalisation e");
    EXPECT_EQ(f.Rows("select ID, QTX_FULL, QTX_DETAIL, COND, SUIVI_STOCK from TARIFSPRODUITS order by ID"),
              (std::vector<std::string>{"101|3|2|4|1", "102|3|0|1|1", "103|1|12|32|1", "104|4|0|1|1", "105|0|0|1|0",
                                        "201|0|0|4|0"}));
    EXPECT_EQ(f.Q("select list(GTIN) from (select GTIN from LINK_POSOLOGIES order by ID)"),
              "03400960123457,03661103012345,08714225123451");
}
