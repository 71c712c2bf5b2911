#include "run/ImportRun.h"
#include "run/SourceFolder.h"

#include "CatalogueFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace clinova;

// The sample practice's agenda, contacts and towns through a whole run, with its clients and animals.
TEST(AgendaContactsRun, TheSamplePracticeFilesGoThroughTheRun) {
    test::CatalogueFixture f;
    const std::filesystem::path practice = std::filesystem::path(CLINOVA_SOURCE_DIR) / "examples" / "practice";
    for (const char *file : {"CLIENTS.TXT", "ANIMAUX.TXT", "CONTACTS.TXT", "VILLES.TXT", "RENDEZ_VOUS.TXT"})
        std::filesystem::copy_file(practice / file, f.tdb.Dir().path() / file);
    f.Exec("insert into ADMINISTRATION (ID, LOGINUSER, TYPE_USER) values (2, 'DR2', 0)");
    f.state.options.MemoCorrespondancesUtilisateurs = "1=DR1\n2=DR2";
    ScanSourceFolder(f.state, f.tdb.Dir().Folder());

    btnImportationClick(f.state);

    const auto at = [&f](const std::string &line) { return std::find(f.op.log.begin(), f.op.log.end(), line); };
    const auto impossibleHour = at("RENDEZ_VOUS.TXT/ligne 6/HEURE hors limites : 24");
    EXPECT_LT(at("DEBUT import doImportationRendezVous"), impossibleHour);
    EXPECT_LT(impossibleHour, at("FIN import doImportationRendezVous"));
    EXPECT_LT(at("FIN import doImportationContacts"), at("DEBUT import doImportationClients"));
    for (const auto &line : f.op.log)
        EXPECT_TRUE(line.rfind("CONTACT.TXT/", 0) != 0 && line.rfind("VILLES.TXT/", 0) != 0) << line;

    // Clients refer to the contacts imported just before them; CT99 is no contact of the file.
    EXPECT_EQ(
        f.Rows(
            "select c.NOM, c.REFERE_PAR, k.NOM as CONTACT_NOM from CLIENTS c join CONTACT k on k.ID = c.ID_REFERE_PAR "
            "order by c.NOM"),
        (std::vector<std::string>{"COLIN|GAUTHIER Rémi|GAUTHIER", "FOURNIER|GAUTHIER Rémi|GAUTHIER",
                                  "LEFÈVRE|LEROY Anne|LEROY", "PERRIN|LEROY Anne|LEROY"}));
    EXPECT_EQ(f.Q("select ID_REFERE_PAR from CLIENTS where NOM = 'LEGRAND'"), "-1");
    EXPECT_EQ(f.Q("select count(*) from CONTACT"), "5");
    EXPECT_EQ(f.Q("select list(LIBELLE) from (select LIBELLE from CONTACT_CAT order by ID)"),
              "Vétos référents,Laboratoires,Partenaires");

    EXPECT_EQ(f.Q("select count(*) from VILLES"), "15");

    // Seven appointments; Zoé's goes to her owner, Médor's owner, whatever its line's ID_CLIENT says.
    EXPECT_EQ(f.Q("select count(*) from RDV"), "7");
    const CorrespondenceLists &lists = f.state.lists;
    const int dupont = lists.fDatabaseIDClientList.Get(lists.fSourceIDClientList.IndexOf("C0001"));
    EXPECT_EQ(f.Q("select list(IDCLIENT) from RDV where NOMANIMAL in ('Médor', 'Zoé')"),
              std::to_string(dupont) + "," + std::to_string(dupont));
    EXPECT_EQ(f.Q("select count(*) from RDV where NOMANIMAL in ('Médor', 'Zoé') and IDANIMAL > 0"), "2");
    EXPECT_EQ(f.Q("select IDCLIENT || '/' || IDANIMAL || '/' || NOM from RDV where NOMANIMAL = 'Pistache'"),
              "-1/-1/RIVIÈRE");
    EXPECT_EQ(f.Rows("select IDVETO, count(*) from RDV group by IDVETO order by IDVETO"),
              (std::vector<std::string>{"1|4", "2|3"}));
}
