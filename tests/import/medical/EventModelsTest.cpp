#include "import/medical/EventModels.h"
#include "run/ImportRun.h"
#include "run/SourceFolder.h"
#include "import/medical/EventsFixture.h"

#include "support/ReminderConfigExample.h"

#include <gtest/gtest.h>

using namespace clinova;
using test::Rows;

namespace {

struct ModelSteps : test::EventsFixture {
    void Model(const std::string &category, const std::string &label) {
        state.lists.fEventModelCategoryList.push_back(FromUtf8(category));
        state.lists.fEventModelLabelList.push_back(FromUtf8(label));
    }
    std::vector<std::string> Models() {
        return Rows("select LIBELLE_CATEGORIE, LIBELLE_EVENT from RELANCES_CONFIG order by ID");
    }
};

} // namespace

TEST(EventModels, OneConfigurationPerNewPairWithLabelsCutToSixty) {
    ModelSteps s;
    const std::string category70 = std::string(55, 'C') + "ÉÉÉÉÉ" + std::string(10, 'X');
    const std::string category60 = std::string(55, 'C') + "ÉÉÉÉÉ";
    // A model the product holds already, its label spelled otherwise: the database compares exactly.
    s.tdb.Exec("insert into RELANCES_CONFIG (ID, LIBELLE_CATEGORIE, LIBELLE_EVENT) values (0, 'VACCIN', 'RAGE')");
    s.Model("VACCIN", "Rage");
    s.Model(category70, "Bilan annuel");

    s.state.options.cbNePasCreerModelesRelances = true;
    s.Run(doImportationModelesEvenements);
    EXPECT_EQ(s.Models(), (Rows{"VACCIN|RAGE"}));
    EXPECT_EQ(s.op.waitShown, 0);

    s.state.options.cbNePasCreerModelesRelances = false;
    s.Run(doImportationModelesEvenements);
    EXPECT_EQ(s.Models(), (Rows{"VACCIN|RAGE", "VACCIN|Rage", category60 + "|Bilan annuel"}));
    EXPECT_EQ(s.Rows("select CONTENT from RELANCES_CONFIG where LIBELLE_EVENT='Rage'", true),
              (Rows{FromUtf8(test::kRageReminderConfig)}));
    const std::string longContent = s.Q("select CONTENT from RELANCES_CONFIG where LIBELLE_EVENT='Bilan annuel'");
    EXPECT_NE(longContent.find("\r\nLibelleCategorie=" + category70 + "\r\n"), std::string::npos);
    EXPECT_TRUE(s.op.log.empty());
    EXPECT_EQ(s.op.waitMessage, "Importation modèle 2/2...");
    EXPECT_EQ(s.op.waitHidden, s.op.waitShown);

    // Found again by their labels cut to 60 characters, the models are not created twice.
    s.Run(doImportationModelesEvenements);
    EXPECT_EQ(s.Q("select count(*) from RELANCES_CONFIG"), "3");
}

TEST(EventModels, ImportRunImportsNotesEventsRemindersAndTheirModels) {
    test::EventsFixture s;
    s.tdb.Exec("insert into ANIMAUX (ID, IDCLIENT) values (5, 50)");
    // Catch-up: the animals of an earlier import, for the consultations step (which reloads them for the
    // notes) and for the events and reminders steps.
    s.Write("CONSULTATIONS.TXT", {"ID_ANIMAL\tID_CLIENT\tDATE_CONSULTATION\tCONSULTATION"});
    s.Write("__fSourceIDClientList.txt", {"C5"});
    s.Write("__fDatabaseIDClientList.txt", {"50"});
    s.Write("__fSourceIDAnimalList.txt", {"B5"});
    s.Write("__fDatabaseIDAnimalList.txt", {"5"});
    s.Write("__fDatabaseIDClientOfIDAnimalList.txt", {"50"});
    s.Write("NOTES.TXT", {"ID_ANIMAL\tID_USER\tDATE\tNOTES", "B5\t\t05/03/2019\tCraintif"});
    s.Write("EVENEMENTS.TXT", {test::kEventsHeader, "EV1\tB5\tC5\tVaccin\tRage\t05/03/2019\t365\tRabisin\tL1"});
    s.Write("RELANCES.TXT", {test::kRemindersHeader, "B5\tC5\tEV1\tVACCIN\tRage\t05/03/2020\t"});
    ScanSourceFolder(s.state, s.tdb.Dir().Folder());
    s.state.options.cbModeRatrapage = true;
    s.state.options.edPathIDPrecedentImport = s.tdb.Dir().Folder();

    EXPECT_EQ(btnImportationClick(s.state), RunOutcome::Completed);
    for (const char *step :
         {"doImpprtationNotes", "doImportationEvenements", "doImportationRelances", "doImportationModelesEvenements"})
        EXPECT_NE(std::find(s.op.log.begin(), s.op.log.end(), std::string("FIN import ") + step), s.op.log.end());
    EXPECT_EQ(s.Rows("select ID_ANIMAL, SUMMARY from NOTES_DOSSIER"), (Rows{"5|Craintif"}));
    EXPECT_EQ(s.Q("select count(*) from EVENTS E join RELANCES R on R.ID = E.ID_RELANCE and R.ID_EVENT = E.ID"), "1");
    EXPECT_EQ(s.tdb.Dir().Read("__fSourceIDEventList.txt"), "EV1\r\n");
    EXPECT_EQ(s.tdb.Dir().Read("__fSourceIDRelanceList.txt"), "EV1\r\n");
    EXPECT_EQ(s.Rows("select CONTENT from RELANCES_CONFIG", true), (Rows{FromUtf8(test::kRageReminderConfig)}));

    // A second run, let through the guard against a repeated import, imports the lines again but adds no model.
    s.state.repeat = RepeatPolicy::Allow;
    EXPECT_EQ(btnImportationClick(s.state), RunOutcome::Completed);
    EXPECT_EQ(s.Q("select count(*) from EVENTS"), "2");
    EXPECT_EQ(s.Q("select count(*) from RELANCES_CONFIG"), "1");
}
