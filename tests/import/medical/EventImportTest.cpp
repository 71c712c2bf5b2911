#include "import/medical/EventImport.h"
#include "import/medical/EventsFixture.h"
#include "import/medical/ReminderImport.h"
#include "normalized/Errors.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace clinova;
using test::Rows;

namespace {

struct EventSteps : test::EventsFixture {
    EventSteps() {
        AddClient("C1", 20);
        AddClient("C2", 21);
        AddAnimal("A1", 10, 20);
        AddAnimal("A2", 11, 21);
    }
    void Events(std::initializer_list<std::string> lines) {
        Write("EVENEMENTS.TXT", lines);
        Run(doImportationEvenements);
    }
    void Reminders(std::initializer_list<std::string> lines) {
        Write("RELANCES.TXT", lines);
        Run(doImportationRelances);
    }
    std::vector<std::string> Events(const std::string &columns = "ID_ANIMAL, ID_CLIENT, LIBELLE_EVENT, THE_DATE") {
        return Rows("select " + columns + " from EVENTS order by ID");
    }
    std::string Generator(const std::string &name) { return Q("select gen_id(" + name + ", 0) from RDB$DATABASE"); }
};

} // namespace

TEST(EventImport, NormalFormAttachesEventsToTheAnimalsOfTheirClient) {
    EventSteps s;
    s.state.options.edIDSite = "3";
    s.Events({test::kEventsHeader, "E1\tA1\tC1\tvaccin\tRage\t05/03/2019\t365\tRabisin\tL-12",
              "E2\tA2\tC1\tVACCIN\tRage\t05/03/2019\t365\t\t", // A2 belongs to C2
              "E3\tA9\tC1\tVACCIN\tRage\t05/03/2019\t365\t\t", // animal not imported
              "E4\tA1\tC9\tVACCIN\tRage\t05/03/2019\t365\t\t", // client not imported
              "e5\ta1\tc1\tVaccin\tRAGE\t\tjamais\t\t",        // same model; no date; no delay
              "E6\tA2\tC2\tVACCIN\tLeptospirose\t01/01/2019\t30\t\t", "E7\tA1\tC1\tVACCIN\tRage\t31/02/2019\t365\t\t"});

    EXPECT_EQ(s.op.log, (Rows{"EVENEMENTS.TXT/ligne 7/'31/02/2019' n'est pas une date correcte"}));
    EXPECT_EQ(s.Events("ID_RELANCE, ID_ANIMAL, ID_CLIENT, LIBELLE_CATEGORIE, LIBELLE_EVENT, EVENT_TYPE, THE_DATE, "
                       "PRODUIT, NUMERO_LOT, RELANCE_DANS_NB_JOURS, LIBELLE_NEXT_EVENT, PREVOIR_FACTURATION, "
                       "CODE_ACTE, ID_ARTICLE_RESTE_A_FACTURER, VETO, ORIGINE, ID_USER, ID_SITE"),
              (Rows{"-1|10|20|vaccin|Rage|0|05/03/2019|Rabisin|L-12|365||0||-1||-1|1|3",
                    "-1|10|20|Vaccin|RAGE|0|<NULL>|||0||0||-1||-1|1|3",
                    "-1|11|21|VACCIN|Leptospirose|0|01/01/2019|||30||0||-1||-1|1|3"}));
    EXPECT_EQ(s.state.lists.fSourceIDEventList.Items(), (Rows{"E1", "e5", "E6"}));
    EXPECT_EQ(test::EventsFixture::Entries(s.state.lists.fDatabaseIDEventList),
              s.Rows("select ID from EVENTS order by ID"));
    // The category in capitals and the label as first read; letter case makes no second model.
    EXPECT_EQ(s.Models(), (Rows{"VACCIN|Rage", "VACCIN|Leptospirose"}));

    // Without the optional columns the product and batch are empty texts. The date filter keeps the lines
    // dated on or after its day; an undated line does not pass it.
    s.op.log.clear();
    s.state.options.cbSaufDataAvantLe = true;
    s.state.options.dateSaufDataAvantLe = Date{2019, 3, 1};
    s.Write("EVENEMENTS.TXT", {"ID_EVENEMENT\tID_ANIMAL\tID_CLIENT\tLIBELLE_CATEGORIE\tLIBELLE_EVENEMENT\t"
                               "DATE_EVENEMENT\tRELANCE_PREVU_DANS_JOURS",
                               "F1\tA1\tC1\tBILAN\tAvant\t28/02/2019\t0", "F2\tA1\tC1\tBILAN\tLe jour\t01/03/2019\t0",
                               "F3\tA1\tC1\tBILAN\tSans date\t\t0"});
    s.Run(doImportationEvenements);
    EXPECT_TRUE(s.op.log.empty());
    EXPECT_EQ(s.Events("LIBELLE_EVENT, PRODUIT, NUMERO_LOT").back(), "Le jour||");
    EXPECT_EQ(s.Events().size(), 4u);
}

TEST(EventImport, NewAnimalsFilterModelsOptionAndInterruption) {
    EventSteps s;
    s.state.options.cbInjectionAutresEvent = true;
    s.state.options.cbNePasConserverModelesEvent = true;
    s.state.lists.fSourceIDNewAnimalList.Add("a2");
    s.Events({test::kEventsHeader, "E1\tA1\tC1\tVACCIN\tRage\t05/03/2019\t365\t\t",
              "E2\tA2\tC2\tVACCIN\tRage\t05/03/2019\t365\t\t", "E3\tA1\tC1\tVACCIN\tRage\t05/03/2019\t365\t\t"});
    EXPECT_EQ(s.Events("ID, ID_ANIMAL"), (Rows{"2|11"}));
    // Each placed line draws its identifier before the filter leaves it aside.
    EXPECT_EQ(s.Generator("GEN_EVENTS"), "3");
    EXPECT_TRUE(s.Models().empty());

    // Interrupted, the step stops after its current line, stops the run, and writes no interruption line.
    s.state.options.cbInjectionAutresEvent = false;
    s.op.interruptAtWaitMessage = "Importation acte réalisé 1/";
    s.Events({test::kEventsHeader, "E4\tA1\tC1\tVACCIN\tRage\t05/03/2019\t365\t\t",
              "E5\tA1\tC1\tVACCIN\tRage\t05/03/2019\t365\t\t"});
    EXPECT_TRUE(s.state.StopRequested);
    EXPECT_TRUE(s.op.log.empty());
    EXPECT_EQ(s.op.waitHidden, s.op.waitShown);
    EXPECT_EQ(s.state.lists.fSourceIDEventList.Items(), (Rows{"E2", "E4"}));
}

TEST(EventImport, CatchUpFormTakesTheAnimalsCurrentOwnerFromTheDatabase) {
    test::EventsFixture s;
    const std::filesystem::path earlier = s.tdb.Dir().path() / "precedent";
    std::filesystem::create_directories(earlier);
    s.state.options.cbModeRatrapage = true;
    s.state.options.edPathIDPrecedentImport = (earlier / "").string();
    s.state.options.cbSaufDataAvantLe = true;
    s.state.options.dateSaufDataAvantLe = Date{2019, 1, 1};
    s.tdb.Exec("insert into ANIMAUX (ID, IDCLIENT) values (5, 55)");
    s.Write("EVENEMENTS.TXT", {test::kEventsHeader, "E1\tb5\tAUTRE\tVACCIN\tRage\t01/01/2010\t365\t\t",
                               "E2\tB6\t\tVACCIN\tRage\t01/01/2010\t365\t\t", "E3\tB7\t\tVACCIN\tRage\t\t365\t\t",
                               "E4\tB5\t\tVACCIN\tRage\t\t365\t\t", "E5\tB8\t\tVACCIN\tRage\t\t365\t\t"});

    // A missing correspondence file ends the step, and the run, with its error.
    s.state.db.Open(s.tdb.Path());
    EXPECT_THROW(doImportationEvenements(s.state), FileError);
    s.state.db.Close();

    const auto write = [&](const std::string &name, const std::string &content) {
        s.tdb.Dir().Write("precedent/" + name, content);
    };
    write("__fSourceIDClientList.txt", "C1\r\n");
    write("__fDatabaseIDClientList.txt", "50\r\n");
    write("__fSourceIDAnimalList.txt", "B5\r\nB6\r\nB7\r\nB8\r\n");
    write("__fDatabaseIDAnimalList.txt", "5\r\n6\r\nabc\r\n5\r\n");
    write("__fDatabaseIDClientOfIDAnimalList.txt", "50\r\n60\r\n70\r\n50\r\n");
    s.Run(doImportationEvenements);

    // Animal 6 is not in the database; B7's target is unreadable, which fails its line rather than
    // attach an event to no animal. The date filter does not apply.
    EXPECT_EQ(s.op.log, (Rows{"EVENEMENTS.TXT/ligne 3/animal B7 sans identifiant cible dans les listes de "
                              "correspondance"}));
    EXPECT_EQ(s.Rows("select ID_ANIMAL, ID_CLIENT, THE_DATE from EVENTS order by ID"),
              (Rows{"5|55|01/01/2010", "5|55|<NULL>", "5|55|<NULL>"}));
    // The reloaded lists stay for the later steps.
    EXPECT_EQ(s.state.lists.fSourceIDAnimalList.Count(), 4);
    EXPECT_EQ(s.state.lists.fDatabaseIDClientList.Get(0), 50);
}

TEST(ReminderImport, RemindersLinkToTheEventsOfTheRunAndBack) {
    EventSteps s;
    s.Events({test::kEventsHeader, "E1\tA1\tC1\tVACCIN\tRage\t05/03/2019\t365\t\t",
              "E2\tA1\tC1\tVERMIFUGE\tMilbemax\t05/03/2019\t90\t\t"});
    const Rows events = test::EventsFixture::Entries(s.state.lists.fDatabaseIDEventList);
    ASSERT_EQ(events.size(), 2u);

    s.Reminders({test::kRemindersHeader, "A1\tC1\tE1\tVACCIN\tRage\t05/03/2020\t 1 ",
                 "A1\tC1\te2\tvermifuge\tMILBEMAX\t03/06/2019\t0", "A1\tC1\tE2\tVERMIFUGE\tMilbemax\t03/09/2019\toui",
                 "A1\tC1\t\tBILAN\tSénior\t\t", "A1\tC1\tE99\tBILAN\tSénior\t01/01/2020\t1",
                 "A2\tC1\tE1\tVACCIN\tRage\t05/03/2020\t1", "A1\tC1\tE1\tVACCIN\tRage\t31/02/2020\t1"});

    EXPECT_EQ(s.op.log, (Rows{"RELANCES.TXT/ligne 7/'31/02/2020' n'est pas une date correcte"}));
    const Rows reminders = s.Rows("select ID from RELANCES order by ID");
    ASSERT_EQ(reminders.size(), 5u);
    EXPECT_EQ(s.Rows("select ID_EVENT, ID_ANIMAL, ID_CLIENT, LIBELLE_CATEGORIE, LIBELLE_EVENT, EVENT_TYPE, THE_DATE, "
                     "THE_DATE_DEBUT_CYCLE, ID_NEXT_RELANCE, STATUS_ACTION, L1, E1, S1, L2, E2, S2, ORIGINE, ID_USER, "
                     "ID_SITE from RELANCES order by ID"),
              (Rows{events[0] + "|10|20|VACCIN|Rage|0|05/03/2020|05/03/2020|-1|Réalisé|0|0|0|0|0|0|-1|1|1",
                    events[1] + "|10|20|vermifuge|MILBEMAX|0|03/06/2019|03/06/2019|-1||0|0|0|0|0|0|-1|1|1",
                    events[1] + "|10|20|VERMIFUGE|Milbemax|0|03/09/2019|03/09/2019|-1||0|0|0|0|0|0|-1|1|1",
                    "-1|10|20|BILAN|Sénior|0|<NULL>|<NULL>|-1||0|0|0|0|0|0|-1|1|1",
                    "-1|10|20|BILAN|Sénior|0|01/01/2020|01/01/2020|-1|Réalisé|0|0|0|0|0|0|-1|1|1"}));
    // Each event points at its reminder; with two, the later one.
    EXPECT_EQ(s.Rows("select ID_RELANCE from EVENTS order by ID"), (Rows{reminders[0], reminders[2]}));
    EXPECT_EQ(s.state.lists.fSourceIDRelanceList.Items(), (Rows{"E1", "e2", "E2", "", "E99"}));
    EXPECT_EQ(test::EventsFixture::Entries(s.state.lists.fDatabaseIDRelanceList), reminders);
    EXPECT_EQ(s.Models(), (Rows{"VACCIN|Rage", "VERMIFUGE|Milbemax", "BILAN|Sénior"}));

    // Only the animals this run inserted, and with the date filter only the reminders due from its day.
    s.op.log.clear();
    s.state.options.cbRelancesQueDesNewAnimaux = true;
    s.state.options.cbNePasConserverModelesEvent = true; // the reminders still feed the models
    s.state.options.cbSaufDataAvantLe = true;
    s.state.options.dateSaufDataAvantLe = Date{2020, 1, 1};
    s.state.lists.fSourceIDNewAnimalList.Add("A2");
    s.Reminders({test::kRemindersHeader, "A1\tC1\t\tVACCIN\tRage\t05/03/2020\t", "A2\tC2\t\tRAPPEL\tToux\t05/03/2020\t",
                 "A2\tC2\t\tRAPPEL\tToux\t31/12/2019\t", "A2\tC2\t\tRAPPEL\tToux\t\t"});
    EXPECT_TRUE(s.op.log.empty());
    EXPECT_EQ(s.Rows("select ID_ANIMAL, ID_CLIENT, THE_DATE from RELANCES where ID_ANIMAL=11"),
              (Rows{"11|21|05/03/2020"}));
    EXPECT_EQ(s.Models().back(), "RAPPEL|Toux");
}
