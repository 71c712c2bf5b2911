#include "import/catalogue/ContactImport.h"

#include "run/ImportRun.h"
#include "run/SourceFolder.h"

#include "CatalogueFixture.h"

#include <gtest/gtest.h>

using namespace clinova;

namespace {

struct ContactFixture : test::CatalogueFixture {
    ContactFixture() { state.options.cbCONTACTS = {true, true}; }
    void Import() { Run(doImportationContacts); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto &name : state.fContactNameList)
            names.push_back(ToUtf8(name));
        return names;
    }
};

} // namespace

TEST(Contacts, ColumnsCategoriesAndCorrespondence) {
    ContactFixture f;
    f.Write(
        "CONTACTS.TXT",
        {"ID_CONTACT\tSOCIETE\tNOM\tPRENOM\tRUE1\tRUE2\tRUE3\tCP\tVILLE\tTELNUM1\tTELTYPE1\tLR1\tTELNUM2\tLR2\tFAX\t"
         "EMAIL_BUREAU\tNOTES\tCATEGORIE",
         "CT01\tClinique du Port\tLEROY\tAnne\t\tBât. B\t3 quai Duperré\t17000\tLa Rochelle\t05.46.12.34.56\t"
         "Cabinet\t1\t0612345678\toui\t05.46.12.34.57\tcontact@port.fr\tOuvert\vle samedi\t",
         "\tBiovet\tBIOVET\t\t\t\t\t\t\t\t\t\t\tT\t\t\t\tLaboratoires",
         "ct03\t\tMOREAU\tPaul\t1 rue Neuve\t\t\t\t\t\t\t\t\t1\t\t\t\t",
         "CT04\t\tPETIT\t\t\t\t\t\t\t\t\t\t\t\t\t\t\tLaboratoires"});
    f.Import();
    EXPECT_TRUE(f.op.log.empty()) << f.op.log.front();

    // Columns the file lacks keep their default (TITRE, TELTYPE3, LR3) or stay NULL (FONCTION, EMAILPERSO).
    EXPECT_EQ(
        f.Rows("select ID, SOCIETE, TITRE, NOM, PRENOM, RUE, CP, VILLE, TELNUM1, TELTYPE1, LR1, TELNUM2, LR2, "
               "TELTYPE3, LR3, FAX, FONCTION, EMAILPERSO, EMAILBOULO, NOTES, COLOR_USER, MINITEL from CONTACT "
               "order by ID"),
        (std::vector<std::string>{
            "1|Clinique du Port||LEROY|Anne|Bât. B\r\n3 quai Duperré|17000|La Rochelle|05 46 12 34 56|Cabinet|T|06 "
            "12 34 56 78|F||F|05.46.12.34.57|<NULL>|<NULL>|contact@port.fr|Ouvert\rle samedi|16777215|<NULL>",
            "2|Biovet||BIOVET|||||||F||F||F||<NULL>|<NULL>|||16777215|<NULL>",
            "3|||MOREAU|Paul|1 rue Neuve|||||F||T||F||<NULL>|<NULL>|||16777215|<NULL>",
            "4|||PETIT|||||||F||F||F||<NULL>|<NULL>|||16777215|<NULL>",
        }));
    // The default category is created at its first use and reused, like any other.
    EXPECT_EQ(f.Rows("select ID, LIBELLE from CONTACT_CAT order by ID"),
              (std::vector<std::string>{"1|Vétos référents", "2|Laboratoires"}));
    EXPECT_EQ(f.Rows("select IDCONTACT, IDCAT from CONTACT_OF_CAT order by ID"),
              (std::vector<std::string>{"1|1", "2|2", "3|1", "4|2"}));

    // A contact without ID_CONTACT cannot be referred to.
    EXPECT_EQ(f.state.fSourceIDContactList.Items(), (std::vector<std::string>{"CT01", "ct03", "CT04"}));
    EXPECT_EQ(f.state.fDatabaseIDContactList.Get(0), 1);
    EXPECT_EQ(f.state.fDatabaseIDContactList.Get(1), 3);
    EXPECT_EQ(f.state.fDatabaseIDContactList.Get(2), 4);
    EXPECT_EQ(f.Names(), (std::vector<std::string>{"LEROY Anne", "MOREAU Paul", "PETIT"}));

    // The next run starts from an empty correspondence, even when it imports nothing.
    f.state.options.cbCONTACTS.checked = false;
    f.Import();
    EXPECT_EQ(f.state.fSourceIDContactList.Count(), 0);
    EXPECT_EQ(f.state.fDatabaseIDContactList.Count(), 0);
    EXPECT_TRUE(f.state.fContactNameList.empty());
}

TEST(Contacts, CleanUpReservedCategoryIdentifierAndFailingLines) {
    ContactFixture f;
    f.Exec("insert into CONTACT (ID, NOM) values (7, 'ANCIEN')");
    f.Exec("insert into CONTACT_OF_CAT (ID, IDCAT, IDCONTACT) values (50, 1, 999)");
    f.Exec("insert into CONTACT_OF_CAT (ID, IDCAT, IDCONTACT) values (51, 1, 7)");
    f.Exec("set generator CURRENT_ID_CONTACT_CAT to 1999999999");

    // Without NOM nothing is written, not even the clean-up.
    f.Write("CONTACTS.TXT", {"ID_CONTACT\tPRENOM", "CT01\tAnne"});
    f.Import();
    EXPECT_EQ(f.op.log, (std::vector<std::string>{"CONTACTS.TXT/manque colonne obligatoire \"NOM\""}));
    EXPECT_EQ(f.Q("select list(ID) from CONTACT_OF_CAT"), "50,51");

    f.op.log.clear();
    f.Write("CONTACTS.TXT", {"ID_CONTACT\tNOM\tRUE1\tCATEGORIE", "CT01\tLEROY\t" + std::string(190, 'x') + "\t",
                             "CT02\tMOREAU\t\tSpécialistes"});
    f.Import();
    ASSERT_EQ(f.op.log.size(), 1u);
    EXPECT_EQ(f.op.log[0].rfind("CONTACT.TXT/ligne 1/", 0), 0u) << f.op.log[0];
    EXPECT_EQ(f.state.fSourceIDContactList.Items(), (std::vector<std::string>{"CT02"}));
    // The membership of a contact that no longer exists went; the other stays.
    EXPECT_EQ(f.Rows("select ID, IDCAT, IDCONTACT from CONTACT_OF_CAT order by ID"),
              (std::vector<std::string>{"1|2000000001|2", "51|1|7"}));
    EXPECT_EQ(f.Rows("select ID, LIBELLE from CONTACT_CAT"), (std::vector<std::string>{"2000000001|Spécialistes"}));
}

// Contacts go in before the clients in a run, so that each client finds the contact who referred it.
TEST(Contacts, ClientsOfTheSameRunFindTheirReferringContact) {
    test::CatalogueFixture f;
    f.Write("CONTACTS.TXT", {"ID_CONTACT\tNOM\tPRENOM", "CT01\tLEROY\tAnne", "CT02\tMOREAU\t"});
    f.Write("CLIENTS.TXT", {"ID_CLIENT\tNOM\tID_REFERE_PAR", "C1\tDUPONT\tct02", "C2\tMARTIN\tCT99", "C3\tPETIT\t"});
    ScanSourceFolder(f.state, f.tdb.Dir().Folder());
    EXPECT_EQ(btnImportationClick(f.state), RunOutcome::Completed);
    EXPECT_EQ(f.Rows("select c.NOM, c.ID_REFERE_PAR, c.REFERE_PAR, k.NOM as CONTACT_NOM from CLIENTS c "
                     "left join CONTACT k on k.ID = c.ID_REFERE_PAR order by c.NOM"),
              (std::vector<std::string>{"DUPONT|2|MOREAU|MOREAU", "MARTIN|-1||<NULL>", "PETIT|-1||<NULL>"}));
}
