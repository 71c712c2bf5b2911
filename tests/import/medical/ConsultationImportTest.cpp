#include "import/medical/ConsultationImport.h"
#include "run/ImportRun.h"
#include "run/SourceFolder.h"
#include "document/RVFReader.h"
#include "import/medical/MedicalFixture.h"
#include "normalized/Errors.h"

#include <gtest/gtest.h>

using namespace clinova;

namespace {

using Rows = std::vector<std::string>;

const char *const kHeader = "ID_ANIMAL\tID_CLIENT\tDATE_CONSULTATION\tCONSULTATION\tMOTIF\tID_USER";

struct ConsultationStep : test::MedicalFixture {
    void Import(std::initializer_list<std::string> lines) {
        Write("CONSULTATIONS.TXT", lines);
        Run(doImportationConsultations);
    }
    std::string Count(const std::string &where = "1=1") { return Q("select count(*) from CONSULT where " + where); }
    std::vector<std::string> CartonTexts(const std::string &where) {
        return DocumentTexts(tdb.Scalar("select CARTON from CONSULT where " + where));
    }
    // The animal, client and day of every consultation, in the order of their identifiers.
    std::vector<std::string> Consultations() {
        return Rows("select IDANIMAL, IDCLIENT, cast(DATETIME_CONSULT as date) from CONSULT order by ID");
    }
};

} // namespace

TEST(ConsultationImport, DefaultModeFindsAnimalAndOwnerThroughTheAnimalLists) {
    ConsultationStep s;
    s.AddAnimal("A1", 10, 20);
    s.AddAnimal("A2", 11, 21);
    s.state.fSourceIDUserList = {"U7"};
    s.state.fDatabaseIDUserList.Add(7);
    s.state.options.edIDSite = "3";
    const std::string motif61 = std::string(60, 'm') + "X";
    s.Import({kHeader, "A1\t999\t05/03/2019\t Vaccin \vRAS  ok \v\vfin\t" + motif61 + "\tU7",
              "INCONNU\t20\t05/03/2019\tx\t\tU7", "", "a2\t\t06/03/2019\tOtite\tcontrôle\tU9",
              "A1\t\t31/02/2019\tjamais\t\t", "A2\t\t\tsans date\t\t"});

    EXPECT_EQ(s.op.log, (Rows{"CONSULTATIONS.TXT/ligne 5/'31/02/2019' n'est pas une date correcte"}));
    EXPECT_EQ(s.op.memo2, (Rows{"c: a:A1", "c: a:a2", "c: a:A1", "c: a:A2"}));
    EXPECT_EQ(s.state.lists.fSourceIDConsultList.Items(), (Rows{"2", "5", "7"}));
    const auto ids = s.Rows("select ID from CONSULT order by ID");
    ASSERT_EQ(ids.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(std::to_string(s.state.lists.fDatabaseIDConsultList.Get(i)), ids[i]);

    const std::string today = FormatDMY(Today()) + " 00:00:00";
    EXPECT_EQ(s.Rows("select IDANIMAL, IDCLIENT, ID_SITE, IDFACTURE, DATETIME_CONSULT, IDVETO_RESPONSABLE, "
                     "IDVETO_CONSULT, VUENGARDE, VUENURGENCE, TEMPERATURE, POIDS, REFERE_A, KEYWORDLIST, SYNTHESE, "
                     "VACCINS, MODE, VUADOMICILE, IDORDONNANCE, IDORDONNANCE_PHARMA, NUM_VERSION, MOTIF "
                     "from CONSULT order by ID"),
              (Rows{
                  "10|20|3|-1|05/03/2019 00:00:00|7|7|0|0|<NULL>|<NULL>|||||0|0|-1|-1|1|" + std::string(60, 'm'),
                  "11|21|3|-1|06/03/2019 00:00:00|1|1|0|0|<NULL>|<NULL>|||||0|0|-1|-1|1|contrôle",
                  "11|21|3|-1|" + today + "|1|1|0|0|<NULL>|<NULL>|||||0|0|-1|-1|1|",
              }));

    // Blanks collapsed, the blank-line run kept once, the field trimmed only at its ends.
    const auto cartons = s.Rows("select CARTON from CONSULT order by ID", true);
    EXPECT_EQ(DocumentTexts(cartons[0]), (Rows{"Vaccin ", "RAS ok ", "", "fin"}));
    EXPECT_EQ(DocumentTexts(cartons[1]), (Rows{"Otite"}));
}

TEST(ConsultationImport, ResolutionModesInTheirOrder) {
    ConsultationStep s;
    s.tdb.Exec("insert into ANIMAUX (ID, IDCLIENT) values (50, 60)");
    s.AddAnimal("A1", 10, 20);

    // Keep-IDs: the source identifiers are the target ones; it wins over every other mode.
    s.state.options.cbGarder_ID_ANIMAL_du_logiciel_d_origine = true;
    s.state.options.cbAjout = true;
    s.Import({kHeader, "12\t34\t01/02/2019\tk\t\t", "-1\t34\t01/02/2019\tk\t\t", "12\tx\t01/02/2019\tk\t\t",
              "A1\t20\t01/02/2019\tk\t\t"});
    EXPECT_EQ(s.Consultations(), (Rows{"12|34|01/02/2019"}));
    EXPECT_EQ(s.op.memo2, (Rows{"c:34 a:12"}));
    EXPECT_TRUE(s.op.log.empty());

    // Add-to-existing: only lines without ID_CLIENT, for an animal already in ANIMAUX, owner from there.
    s.state.options.cbGarder_ID_ANIMAL_du_logiciel_d_origine = false;
    s.state.options.cbInjectionAutresConsult = true;
    s.op.memo2.clear();
    s.Import({kHeader, "50\t\t01/02/2019\tajout\t\t", "50\t60\t02/02/2019\tajout\t\t", "51\t\t01/02/2019\tajout\t\t",
              "A1\t\t01/02/2019\tajout\t\t"});
    EXPECT_EQ(s.Consultations(), (Rows{"12|34|01/02/2019", "50|60|01/02/2019"}));
    EXPECT_EQ(s.op.memo2, (Rows{"c:60 a:50"}));
    ASSERT_EQ(s.op.log.size(), 1u);
    EXPECT_EQ(s.op.log[0].rfind("CONSULTATIONS.TXT/ligne 4/", 0), 0u); // "A1" is no ANIMAUX.ID

    // Injection: through the lists like the default mode; the trace shows the source client.
    s.state.options.cbAjout = false;
    s.op.memo2.clear();
    s.op.log.clear();
    s.Import({kHeader, "a1\tC-9\t03/02/2019\tinj\t\t", "50\t\t03/02/2019\tinj\t\t"});
    EXPECT_EQ(s.Consultations(), (Rows{"12|34|01/02/2019", "50|60|01/02/2019", "10|20|03/02/2019"}));
    EXPECT_EQ(s.op.memo2, (Rows{"c:C-9 a:a1"}));
    EXPECT_TRUE(s.op.log.empty());

    // A correspondence entry without target (an unreadable line of a reloaded file) fails the line.
    s.state.options.cbInjectionAutresConsult = false;
    s.state.lists.fSourceIDAnimalList.Add("A9");
    s.state.lists.fDatabaseIDAnimalList.Add(-1);
    s.state.lists.fDatabaseIDClientOfIDAnimalList.Add(20);
    s.Import({kHeader, "A9\t\t03/02/2019\tperdu\t\t"});
    EXPECT_EQ(s.Count(), "3");
    ASSERT_EQ(s.op.log.size(), 1u);
    EXPECT_EQ(s.op.log[0].rfind("CONSULTATIONS.TXT/ligne 1/animal A9 ", 0), 0u);
}

TEST(ConsultationImport, DateFilterDuplicatesAndInterruption) {
    ConsultationStep s;
    s.AddAnimal("A1", 10, 20);
    s.AddAnimal("A2", 11, 21);
    s.state.options.cbSaufDataAvantLe = true;
    s.state.options.dateSaufDataAvantLe = Date{2019, 1, 1};
    s.state.options.cbDedoublonageConsult = true;

    // A header alone still gives a report holding the header.
    s.Import({kHeader});
    EXPECT_EQ(s.tdb.Dir().Read("DOUBLONS_CONSULTATIONS.TXT"), std::string(kHeader) + "\r\n");

    const std::string same = "A1\t\t01/01/2019\tbis\t\t";
    s.Import({kHeader, "A1\t\t01/01/2019\tpremier\t\t", "A1\t\t31/12/2018\tavant\t\t", "A1\t\t\tsans date\t\t", same,
              "A1\t\t02/01/2019\tlendemain\t\t", "A2\t\t01/01/2019\tautre animal\t\t"});
    EXPECT_EQ(s.Consultations(), (Rows{"10|20|01/01/2019", "10|20|02/01/2019", "11|21|01/01/2019"}));
    EXPECT_EQ(s.CartonTexts("IDANIMAL=10 and DATETIME_CONSULT = '2019-01-01'"), (Rows{"premier"}));
    EXPECT_EQ(s.tdb.Dir().Read("DOUBLONS_CONSULTATIONS.TXT"), std::string(kHeader) + "\r\n" + same + "\r\n");
    EXPECT_EQ(s.state.lists.fSourceIDConsultList.Items(), (Rows{"2", "6", "7"}));

    // The rows of the earlier run count too; the report is made anew. Interrupted after its second line,
    // the step stops there, still closing its report.
    s.op.interruptAtWaitMessage = "Importation consultation 2/";
    s.Import({kHeader, "A1\t\t01/01/2019\tencore\t\t", "A2\t\t01/01/2019\tencore\t\t", "A2\t\t05/01/2019\tnon lu\t\t"});
    EXPECT_EQ(s.Count(), "3");
    EXPECT_EQ(s.tdb.Dir().Read("DOUBLONS_CONSULTATIONS.TXT"),
              std::string(kHeader) + "\r\nA1\t\t01/01/2019\tencore\t\t\r\nA2\t\t01/01/2019\tencore\t\t\r\n");
    EXPECT_TRUE(s.state.StopRequested);
    EXPECT_EQ(s.op.log, (Rows{"CONSULTATIONS/interruption de la procédure"}));
    EXPECT_EQ(s.op.waitHidden, s.op.waitShown);
}

TEST(ConsultationImport, PlainModeStoresTheTabMarkedTextUnchanged) {
    ConsultationStep s;
    s.AddAnimal("A1", 10, 20);
    s.state.options.cbRichViewMode = false;
    s.Import({kHeader, "A1\t\t01/02/2019\tVaccin\v\vRAS   ok\t\t", "A1\t\t02/02/2019\t\t\t"});
    EXPECT_EQ(s.Count("NUM_VERSION is null"), "2");
    EXPECT_EQ(s.Rows("select CARTON from CONSULT order by ID", true),
              (Rows{"\t0/Vaccin\t-1\t-1\t0/  RAS   ok\t-1", "\t0/\t-1"}));

    // In rich-text mode an empty text is a document without paragraphs: no bytes.
    s.state.options.cbRichViewMode = true;
    s.Import({kHeader, "A1\t\t03/02/2019\t\t\t"});
    EXPECT_EQ(s.Q("select octet_length(CARTON) || ' ' || NUM_VERSION from CONSULT where DATETIME_CONSULT = "
                  "'2019-02-03'"),
              "0 1");
}

TEST(ConsultationImport, CatchUpModeReloadsTheAnimalListsFromTheSourceFolder) {
    ConsultationStep s;
    s.state.options.cbModeRatrapage = true;
    s.state.lists.fSourceIDAnimalList.Add("stale");
    s.state.lists.fDatabaseIDAnimalList.Add(99);
    s.state.lists.fDatabaseIDClientOfIDAnimalList.Add(99);
    s.Write("CONSULTATIONS.TXT", {kHeader, "b7\t\t01/02/2019\tx\t\t", "stale\t\t01/02/2019\tx\t\t"});

    // A missing correspondence file ends the step, and the run, with its error.
    s.state.db.Open(s.tdb.Path());
    EXPECT_THROW(doImportationConsultations(s.state), FileError);
    s.state.db.Close();

    s.Write("__fSourceIDAnimalList.txt", {"B5", "B7"});
    s.Write("__fDatabaseIDAnimalList.txt", {"5", "7"});
    s.Write("__fDatabaseIDClientOfIDAnimalList.txt", {"50", "70"});
    s.Run(doImportationConsultations);
    EXPECT_EQ(s.Consultations(), (Rows{"7|70|01/02/2019"}));
    EXPECT_EQ(s.state.lists.fDatabaseIDAnimalList.Count(), 2); // left replaced for the later steps
}

TEST(ConsultationImport, ImportRunImportsConsultationsAndSummarisesTheirAnimals) {
    test::MedicalFixture s;
    s.tdb.Exec("insert into ANIMAUX (ID, IDCLIENT) values (5, 50)");
    s.Write("CONSULTATIONS.TXT", {kHeader, "B5\t\t05/03/2019\tx\t\t", "B5\t\t01/02/2018\ty\t\t"});
    s.Write("__fSourceIDAnimalList.txt", {"B5"});
    s.Write("__fDatabaseIDAnimalList.txt", {"5"});
    s.Write("__fDatabaseIDClientOfIDAnimalList.txt", {"50"});
    ScanSourceFolder(s.state, s.tdb.Dir().Folder());
    s.state.options.cbModeRatrapage = true;

    EXPECT_EQ(btnImportationClick(s.state), RunOutcome::Completed);
    EXPECT_EQ(s.Rows("select IDANIMAL, IDCLIENT from CONSULT"), (Rows{"5|50", "5|50"}));
    EXPECT_EQ(s.Q("select SYNTHESE_DOSSIER from ANIMAUX where ID=5"), "5 mars 2019\r\n\r\n1 févr. 2018\r\n\r\n");
    EXPECT_EQ(s.tdb.Dir().Read("__fSourceIDConsultList.txt"), "2\r\n3\r\n");
}
