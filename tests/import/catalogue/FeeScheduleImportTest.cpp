#include "import/catalogue/FeeScheduleImport.h"

#include "CatalogueFixture.h"

#include <gtest/gtest.h>

using namespace clinova;

namespace {

struct FeeScheduleFixture : test::CatalogueFixture {
    FeeScheduleFixture() {
        state.options.cbCATEGORIES_ACTES = {true, true};
        state.options.cbTARIFS_ACTES = {true, true};
    }
    void Import() { Run(doImportationTarifsActes); }
};

const std::string kActsHeader = "ID_CATEGORIE\tID_CODE_ACTE\tLIBELLE\tPRIX_VENTE_TTC\tTAUX_TVA\tDESCRIPTION\tOPTIONS";

} // namespace

TEST(FeeSchedule, CategoriesAndActsGoToTheSitesBlockAndAReimportReplacesThem) {
    FeeScheduleFixture f;
    f.state.options.edIDSite = "3";
    const std::string label80(80, 'L');
    f.Write("CATEGORIES_ACTES.TXT", {"ID_CATEGORIE\tLIBELLE_CATEGORIE",
                                     "7\tVaccinations été",
                                     "0\tZéro",
                                     "51\tTrop grand",
                                     "-1\tNégatif",
                                     "sept\tEn lettres"});
    f.Write("TARIFS_ACTES.TXT", {kActsHeader,
                                 "7\tVACCINCHAT\t" + label80 + "\t1250\t2000\ta\vb\v\v\t\vPurevax\v\vLeucogen",
                                 "7\tCS\tConsultation\t\t\t\t",
                                 "7\tX\tPrix en lettres\tdouze\t2000\t\t",
                                 "51\tHORS\tHors bloc\t100\t2000\t\t",
                                 "0\tZERO\tZéro\t100\t2000\t\t",
                                 "12\tRADIO\tRadiographie\t4550\t550"});
    // A category of the same number on another site, and an act of another category of this site.
    f.Exec("insert into TARIFSACTES_CAT (ID, LIBELLE, ID_SITE) values (7, 'Site 1', 1)");
    f.Exec("insert into TARIFSACTES (ID, IDCAT, CODE, ID_SITE) values (-5, 207, 'AUTRE', 1)");
    f.Exec("insert into TARIFSACTES (ID, IDCAT, CODE, ID_SITE) values (-6, 208, 'GARDE', 3)");

    f.Import();
    const std::vector<std::string> failures = {
        "CATEGORIES_ACTES.TXT/ligne 5/'sept' n'est pas une valeur entière correcte",
        "TARIFS_ACTES.TXT/ligne 3/'douze' n'est pas une valeur entière correcte"};
    EXPECT_EQ(f.op.log, failures);
    EXPECT_EQ(f.Rows("select ID, LIBELLE, ID_SITE from TARIFSACTES_CAT order by ID"),
              (std::vector<std::string>{"7|Site 1|1", "207|Vaccinations été|3"}));
    EXPECT_EQ(f.Rows("select IDCAT, CODE, LIBELLE, PRIXVENTE, TAUXTVA, DESCRIPTION, PRODUITS, LINK_WITH_PRODUIT, "
                     "ID_SITE from TARIFSACTES where ID > 0 order by ID"),
              (std::vector<std::string>{"207|VACCINC|" + std::string(60, 'L') + "|12.5|20|a\r\nb|Purevax\r\n\r\nLeucogen|0|3",
                                        "207|CS|Consultation|0|0|||0|3",
                                        "212|RADIO|Radiographie|45.5|5.5|||0|3"}));

    // Again: the category and its acts are replaced; the acts of a category the file does not list are
    // added once more, and the other site's rows are left alone.
    f.op.log.clear();
    f.Import();
    EXPECT_EQ(f.op.log, failures);
    EXPECT_EQ(f.Q("select count(*) from TARIFSACTES_CAT"), "2");
    EXPECT_EQ(f.Q("select count(*) from TARIFSACTES where IDCAT = 207 and ID_SITE = 3"), "2");
    EXPECT_EQ(f.Q("select count(*) from TARIFSACTES where IDCAT = 212"), "2");
    EXPECT_EQ(f.Rows("select ID from TARIFSACTES where ID < 0 order by ID"), (std::vector<std::string>{"-6", "-5"}));
}

TEST(FeeSchedule, NeedsBothFilesTickedAndBothHeadersComplete) {
    FeeScheduleFixture f;
    f.Write("CATEGORIES_ACTES.TXT", {"ID_CATEGORIE\tLIBELLE_CATEGORIE", "7\tVaccinations"});
    f.Write("TARIFS_ACTES.TXT", {kActsHeader, "7\tCS\tConsultation\t3500\t2000\t\t"});
    f.Exec("insert into TARIFSACTES_CAT (ID, LIBELLE, ID_SITE) values (7, 'Ancien', 1)");
    f.Exec("insert into TARIFSACTES (ID, IDCAT, CODE, ID_SITE) values (-1, 7, 'ANCIEN', 1)");
    const auto untouched = [&f] {
        EXPECT_EQ(f.Q("select LIBELLE from TARIFSACTES_CAT where ID = 7"), "Ancien");
        EXPECT_EQ(f.Q("select list(CODE) from TARIFSACTES"), "ANCIEN");
    };

    for (FileCheckBox ImportOptions::*unticked : {&ImportOptions::cbCATEGORIES_ACTES, &ImportOptions::cbTARIFS_ACTES}) {
        f.state.options.cbCATEGORIES_ACTES = {true, true};
        f.state.options.cbTARIFS_ACTES = {true, true};
        (f.state.options.*unticked).checked = false;
        f.Import();
        EXPECT_TRUE(f.op.log.empty());
        EXPECT_EQ(f.op.waitShown, 0);
        untouched();
    }

    f.state.options.cbCATEGORIES_ACTES.checked = true;
    f.state.options.cbTARIFS_ACTES.checked = true;
    f.Write("TARIFS_ACTES.TXT", {"ID_CATEGORIE\tID_CODE_ACTE\tLIBELLE\tPRIX_VENTE_TTC", "7\tCS\tConsultation\t3500"});
    f.Import();
    EXPECT_EQ(f.op.log, (std::vector<std::string>{"TARIFS_ACTES.TXT/manque colonne obligatoire \"TAUX_TVA\""}));
    untouched();

    f.op.log.clear();
    f.Write("CATEGORIES_ACTES.TXT", {"ID_CATEGORIE\tLIBELLE", "7\tVaccinations"});
    f.Write("TARIFS_ACTES.TXT", {"ID_CATEGORIE\tLIBELLE\tPRIX_VENTE_TTC\tTAUX_TVA", "7\tConsultation\t3500\t2000"});
    f.Import();
    EXPECT_EQ(f.op.log, (std::vector<std::string>{
                            "CATEGORIES_ACTES.TXT/manque colonne obligatoire \"LIBELLE_CATEGORIE\"",
                            "TARIFS_ACTES.TXT/manque colonne obligatoire \"ID_CODE_ACTE\"",
                        }));
    untouched();
    EXPECT_EQ(f.op.waitShown, f.op.waitHidden);
}
