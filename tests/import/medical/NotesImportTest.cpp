#include "import/medical/NotesImport.h"
#include "import/medical/EventsFixture.h"

#include <gtest/gtest.h>

using namespace clinova;
using test::Rows;

TEST(NotesImport, NotesOfTheRunsAnimalsWithTheirUserAndDay) {
    test::EventsFixture s;
    s.state.options.edIDSite = "2";
    s.AddAnimal("A1", 10, 20);
    s.AddAnimal("A2", 11, 21);
    s.state.fSourceIDUserList = {"U7"};
    s.state.fDatabaseIDUserList.Add(7);
    s.Write("NOTES.TXT", {"ID_ANIMAL\tID_USER\tDATE\tNOTES", "a1\tU7\t05/03/2019\t Mord \vmuseler ",
                          "INCONNU\tU7\t05/03/2019\tnote perdue", "A1\tU7\t05/03/2019\t   ", "A1\tU7\t\tsans date",
                          "A2\tu7\t06/03/2019\tautre", "A1\tU7\t30/02/2019\tjamais", "A2\tu7\t06/03/2019\tautre"});
    s.Run(doImpprtationNotes);

    // Skipped lines leave no log line; the impossible date fails its line.
    EXPECT_EQ(s.op.log, (Rows{"NOTES.TXT/ligne 6/'30/02/2019' n'est pas une date correcte"}));
    // Vertical tabs are kept; a user without correspondence (users match exactly) is the default user; the
    // same note twice gives two notes.
    EXPECT_EQ(s.Rows("select ID_ANIMAL, ID_USER, DT_RECORD, SUMMARY, ID_HOSPI, ID_SITE from NOTES_DOSSIER order by ID"),
              (Rows{"10|7|05/03/2019 00:00:00|Mord \vmuseler|-1|2", "11|1|06/03/2019 00:00:00|autre|-1|2",
                    "11|1|06/03/2019 00:00:00|autre|-1|2"}));
    EXPECT_EQ(s.Q("select count(distinct ID) from NOTES_DOSSIER"), "3");

    // Missing columns are all logged, in order, and nothing is imported.
    s.op.log.clear();
    s.Write("NOTES.TXT", {"ID_ANIMAL\tNOTES", "A1\tencore"});
    s.Run(doImpprtationNotes);
    EXPECT_EQ(s.op.log, (Rows{"NOTES.TXT/manque colonne obligatoire \"ID_USER\"",
                              "NOTES.TXT/manque colonne obligatoire \"DATE\""}));
    EXPECT_EQ(s.Q("select count(*) from NOTES_DOSSIER"), "3");
}

TEST(NotesImport, ALineWithABadDateUsesItsIdentifier) {
    test::EventsFixture s;
    s.AddAnimal("A1", 10, 20);
    s.Write("NOTES.TXT", {"ID_ANIMAL\tID_USER\tDATE\tNOTES", "A1\tU1\t05/03/2019\tavant",
                          "A1\tU1\t31/04/2019\tdate "
                          "impossible",
                          "A1\tU1\t06/03/2019\taprès"});
    s.Run(doImpprtationNotes);

    EXPECT_EQ(s.op.log, (Rows{"NOTES.TXT/ligne 2/'31/04/2019' n'est pas une date correcte"}));
    // The failed line drew the second identifier: the note after it has the third.
    EXPECT_EQ(s.Rows("select ID, SUMMARY from NOTES_DOSSIER order by ID"), (Rows{"1|avant", "3|après"}));
    EXPECT_EQ(s.Q("select gen_id(GEN_NOTES_DOSSIER, 0) from RDB$DATABASE"), "3");
}
