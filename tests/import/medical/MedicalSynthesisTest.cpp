#include "import/medical/MedicalSynthesis.h"
#include "database/Statement.h"
#include "document/RVFWriter.h"
#include "import/medical/MedicalFixture.h"
#include "import/medical/MedicalSummaryText.h"

#include <gtest/gtest.h>

using namespace clinova;

namespace {

// A consultation row as the product may hold it, written through a statement so that CARTON gets its bytes.
void InsertConsultation(test::TestDatabase &tdb, int id, int animal, const DateTime &day, const std::string &synthese,
                        const std::string &vaccins, const std::string &carton = {}) {
    TargetDatabase db;
    db.Open(tdb.Path());
    {
        Statement q(db, "insert into CONSULT (ID, IDANIMAL, DATETIME_CONSULT, SYNTHESE, VACCINS, CARTON) "
                        "values (:ID, :IDANIMAL, :DT, :SYNTHESE, :VACCINS, :CARTON)");
        q.SetInt("ID", id);
        q.SetInt("IDANIMAL", animal);
        q.SetDateTime("DT", day);
        q.SetText("SYNTHESE", FromUtf8(synthese));
        q.SetText("VACCINS", FromUtf8(vaccins));
        q.SetBlob("CARTON", carton);
        q.Execute();
    }
    db.Close();
}

} // namespace

TEST(MedicalSummaryText, DateLinesUseTheFrenchMonthAbbreviations) {
    EXPECT_EQ(ToUtf8(FrenchShortDate({2018, 2, 1})), "1 févr. 2018");
    EXPECT_EQ(ToUtf8(FrenchShortDate({2019, 3, 5})), "5 mars 2019");
    EXPECT_EQ(ToUtf8(FrenchShortDate({2021, 8, 15})), "15 août 2021");
    EXPECT_EQ(ToUtf8(FrenchShortDate({2020, 12, 31})), "31 déc. 2020");
    EXPECT_EQ(ToUtf8(FrenchShortDate({2020, 7, 9})), "9 juil. 2020");
}

TEST(MedicalSummaryText, ConsultationSummaryJoinsTheTrimmedTextsOfTheDocument) {
    EXPECT_EQ(ConsultationSummaryText(ConsultationDocumentRVF({"  first line ", "", " second line  "})),
              "first line second line");
    EXPECT_EQ(ConsultationSummaryText(ConsultationDocumentRVF({""})), "");
    EXPECT_EQ(ConsultationSummaryText(""), "");
    EXPECT_EQ(ConsultationSummaryText("\t0/Vaccin\t-1\t-1\t0/  RAS\t-1"), "Vaccin RAS");
    EXPECT_EQ(ConsultationSummaryText("\t0/\t-1"), "");
}

TEST(MedicalSynthesis, AnimalSummariesMostRecentFirstWithAFailingAnimalLoggedAlone) {
    test::MedicalFixture s;
    s.AddAnimal("A10", 10, 1);
    s.AddAnimal("A11", 11, 1);
    s.AddAnimal("A12", 12, 1);
    // An animal merged by the deduplication comes twice.
    s.state.lists.fSourceIDAnimalList.Add("A10bis");
    s.state.lists.fDatabaseIDAnimalList.Add(10);
    s.state.lists.fDatabaseIDClientOfIDAnimalList.Add(1);
    InsertConsultation(s.tdb, 1, 10, {{2018, 2, 1}, 10, 30}, "", "");
    InsertConsultation(s.tdb, 2, 10, {{2019, 3, 5}}, "Otite externe", "");
    InsertConsultation(s.tdb, 3, 10, {{2018, 6, 1}}, "", "CHPPiL");
    InsertConsultation(s.tdb, 4, 12, {{2020, 1, 1}}, "", "");

    // Another connection (the product left open) holds animal 12: its update fails at once.
    TargetDatabase other;
    other.Open(s.tdb.Path());
    other.ExecuteImmediate("update ANIMAUX set NOM = 'pris' where ID = 12");
    s.Run(doBuildSyntheseDossiersMedicaux);
    other.Close();

    EXPECT_EQ(s.Rows("select ID, SYNTHESE_DOSSIER from ANIMAUX order by ID"),
              (std::vector<std::string>{
                  "10|5 mars 2019\r\nOtite externe\r\n\r\n1 juin 2018\r\nCHPPiL\r\n\r\n1 févr. 2018\r\n\r\n",
                  "11|", // no consultation: an empty text
                  "12|<NULL>",
              }));
    ASSERT_EQ(s.op.log.size(), 1u);
    EXPECT_EQ(s.op.log[0].rfind("Syntèses dossiers médicaux/ID_ANIMAL(source)=A12/", 0), 0u) << s.op.log[0];
    EXPECT_EQ(s.op.waitMessage, "Syntèse dossier 4/4...");
    EXPECT_FALSE(s.state.StopRequested);
}

TEST(MedicalSynthesis, InterruptionStopsTheRunAndStopRequestedSkipsTheStep) {
    test::MedicalFixture s;
    s.AddAnimal("A10", 10, 1);
    s.AddAnimal("A11", 11, 1);
    s.AddAnimal("A12", 12, 1);
    s.op.interruptAtWaitMessage = "Syntèse dossier 2/";
    s.Run(doBuildSyntheseDossiersMedicaux);
    EXPECT_TRUE(s.state.StopRequested);
    EXPECT_EQ(s.Q("select count(*) from ANIMAUX where SYNTHESE_DOSSIER is not null"), "2");
    EXPECT_EQ(s.op.log, (std::vector<std::string>{"Syntèses dossiers médicaux/interruption de la procédure"}));

    const int shown = s.op.waitShown;
    s.Run(doBuildSyntheseDossiersMedicaux);
    EXPECT_EQ(s.op.waitShown, shown);
    EXPECT_EQ(s.op.waitHidden, shown);
}

TEST(MedicalSynthesis, Button1ClickFillsTheSummaryOfEveryConsultation) {
    test::MedicalFixture s;
    InsertConsultation(s.tdb, 1, 10, {{2019, 1, 1}}, "", "", ConsultationDocumentRVF({" Otite ", "", " traitement  "}));
    InsertConsultation(s.tdb, 2, 10, {{2019, 1, 2}}, "", "", ConsultationDocumentRVF({"Vaccin"}));
    InsertConsultation(s.tdb, 3, 10, {{2019, 1, 3}}, "", "", "");
    s.tdb.Exec("update CONSULT set SYNTHESE = null");

    s.op.answers = {mbNon};
    EXPECT_EQ(Button1Click(s.state), RunOutcome::Refused);
    EXPECT_EQ(s.op.waitShown, 0);

    // Interrupted on its second row: rows 1 and 2 are updated and kept.
    s.op.interruptAtWaitMessage = "Générer champ SYNTHESE 2";
    EXPECT_EQ(Button1Click(s.state), RunOutcome::Interrupted);
    EXPECT_EQ(s.op.log, (std::vector<std::string>{"interruption de la procédure"}));
    EXPECT_EQ(s.Q("select count(*) from CONSULT where SYNTHESE is not null"), "2");
    EXPECT_FALSE(s.state.db.IsOpen());

    s.op.interruptAtWaitMessage.clear();
    s.op.log.clear();
    EXPECT_EQ(Button1Click(s.state), RunOutcome::Completed);
    EXPECT_EQ(s.Rows("select SYNTHESE from CONSULT order by ID"),
              (std::vector<std::string>{"Otite traitement", "Vaccin", ""}));
    EXPECT_TRUE(s.op.log.empty());
    EXPECT_EQ(s.op.waitHidden, s.op.waitShown);

    s.state.options.edPathNameDatabase = s.tdb.Dir().File("ABSENT.FDB");
    EXPECT_EQ(Button1Click(s.state), RunOutcome::Failed);
    EXPECT_NE(s.op.messages.back().find("ABSENT.FDB"), std::string::npos);
    EXPECT_EQ(s.op.waitHidden, s.op.waitShown);
}
