#include "import/catalogue/AppointmentImport.h"

#include "normalized/Conversions.h"

#include "CatalogueFixture.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

using namespace clinova;

namespace {

// The correspondences an earlier part of the run left: clients C1 and C2, animal A1 of C2, user DRX.
struct AppointmentFixture : test::CatalogueFixture {
    AppointmentFixture() {
        state.options.cbRendezVous = {true, true};
        state.options.edIDSite = "3";
        state.IDDefaultUser = 1;
        state.fSourceIDUserList = {"DRX"};
        state.fDatabaseIDUserList.Add(5);
        CorrespondenceLists &l = state.lists;
        l.fSourceIDClientList.Add("C1");
        l.fDatabaseIDClientList.Add(101);
        l.fSourceIDClientList.Add("C2");
        l.fDatabaseIDClientList.Add(102);
        l.fSourceIDAnimalList.Add("A1");
        l.fDatabaseIDAnimalList.Add(201);
        l.fDatabaseIDClientOfIDAnimalList.Add(102);
    }
    void Import() { Run(doImportationRendezVous); }
};

std::string TimestampLiteral(const DateTime &t, int shiftMilliseconds) {
    const DateTime s = FromMilliseconds(ToMilliseconds(t) + shiftMilliseconds);
    return fmt::format("'{:04}-{:02}-{:02} {:02}:{:02}:{:02}'", s.date.year, s.date.month, s.date.day, s.hour, s.minute,
                       s.second);
}

} // namespace

TEST(Appointments, EveryColumnOfTheRowAndItsLinks) {
    AppointmentFixture f;
    f.Write("RENDEZ_VOUS.TXT",
            {"ID_USER\tDATE\tHEURE\tMINUTE\tMOTIF\tID_CLIENT\tID_ANIMAL\tTITRE_CLIENT\tNOM_CLIENT\tPRENOM_CLIENT\tCP\t"
             "VILLE\tRUE\tTEL\tNOM_ANIMAL\tESPECE\tRACE\tSEXE\tNOTES",
             // The animal's owner (C2) wins over the client named on the line.
             "DRX\t05/03/2021\t9\t30\tVaccin\tC1\ta1\tM.\tDUPONT\tJean\t17000\tLa Rochelle\t12 rue des Mouettes\vBât. "
             "C\t05.46.41.22.10\tMédor\tChien\tLabrador\tMâle\tà jeun\vapporter le carnet",
             // Unknown client and animal; the user is matched with its letter case.
             "drx\t06/03/2021\t0\t0\tContrôle\tC9\tA9\t\tMARTIN\t\t\t\t\t\tFélix\t\t\t\t",
             "DRX\t7/3/2021\t23\t59\tOpération\tc1\t\t\t\t\t\t\t\t\t\t\t\t\t"});
    const DateTime before = LocalTimeToUTC(Now());
    f.Import();
    const DateTime after = LocalTimeToUTC(Now());
    EXPECT_TRUE(f.op.log.empty()) << f.op.log.front();

    EXPECT_EQ(f.Rows("select ID, IDVETO, DATERDV, DATETIMERDV, DUREEMIN, REALISED, IDCLIENT, NOMCLIENT, IDANIMAL, "
                     "NOMANIMAL, RAISON, TITRE, NOM, PRENOM, CP, VILLE, TELFAXTYPE11, TELFAXNUM11, RUE, ESPECE, RACE, "
                     "SEXE, NOTES, ID_SITE from RDV order by ID"),
              (std::vector<std::string>{
                  "1|5|05/03/2021|05/03/2021 09:30:00|20|F|102|<NULL>|201|Médor|Vaccin|M.|DUPONT|Jean|17000|La "
                  "Rochelle|<NULL>|05.46.41.22.10|12 rue des Mouettes\rBât. C|Chien|Labrador|Mâle|à jeun\rapporter le "
                  "carnet|3",
                  "2|1|06/03/2021|06/03/2021 00:00:00|20|F|-1|<NULL>|-1|Félix|Contrôle||MARTIN||||<NULL>|||||||3",
                  "3|5|07/03/2021|07/03/2021 23:59:00|20|F|101|<NULL>|-1||Opération||||||<NULL>|||||||3",
              }));
    // Empty texts and NULL are both used, and told apart by the product.
    EXPECT_EQ(f.Rows("select ALARME, RDVEXTERIEUR, VISITEUR, CASREFERENCE, CASREFERENCEPAR, CASMEDICAL, CASCHIRURGIE, "
                     "CASANALYSE, CASRADIO, CASSUIVI, CASDIVERS, TACHES, PRESENTE_PAR, TELFAXNUM12, TELFAXNUM13, "
                     "RAISON_COLOR, NUM_VERSION, TYPE_RDV, IDUSER_MAKE_RDV, USE_OTHER_COLOR, OTHER_COLOR, EMAILPERSO, "
                     "EMAILBURO, SALLE from RDV where ID = 2"),
              (std::vector<std::string>{"|F|F|F||||||||||||16777215|1|0|1|0|16777215|||<NULL>"}));
    // The moment of the insert in UTC, not the appointment's date.
    EXPECT_EQ(f.Q("select count(*) from RDV where WEB_DT_UTC0_CHANGE between " + TimestampLiteral(before, -1000) +
                  " and " + TimestampLiteral(after, 1000)),
              "3");
}

TEST(Appointments, MandatoryColumnsDurationAndFailingLines) {
    AppointmentFixture f;
    f.Write("RENDEZ_VOUS.TXT", {"ID_USER\tDATE\tMOTIF", "DRX\t05/03/2021\tVaccin"});
    f.Import();
    EXPECT_EQ(f.op.log, (std::vector<std::string>{"RENDEZ_VOUS.TXT/manque colonne obligatoire \"HEURE\"",
                                                  "RENDEZ_VOUS.TXT/manque colonne obligatoire \"MINUTE\""}));
    EXPECT_EQ(f.Q("select count(*) from RDV"), "0");

    f.op.log.clear();
    f.Write("RENDEZ_VOUS.TXT",
            {"ID_USER\tDATE\tHEURE\tMINUTE\tMOTIF\tDUREE_EN_MINUTES", "DRX\t05/03/2021\t9\t30\tA\t45",
             "DRX\t05/03/2021\t9\t30\tB\t", "DRX\t05/03/2021\t24\t0\tC\t30", "DRX\t05/03/2021\t10\t60\tD\t30",
             "DRX\t31/02/2021\t10\t0\tE\t30", "", "DRX\t05/03/2021\t10\t0\tF\t30"});
    f.Import();
    // Each failing line consumed its identifier: the next line still gets a new one.
    EXPECT_EQ(f.Rows("select ID, RAISON, DUREEMIN, DATETIMERDV from RDV order by ID"),
              (std::vector<std::string>{"1|A|45|05/03/2021 09:30:00", "6|F|30|05/03/2021 10:00:00"}));
    ASSERT_EQ(f.op.log.size(), 4u);
    EXPECT_EQ(f.op.log[0].rfind("RENDEZ_VOUS.TXT/ligne 2/", 0), 0u) << f.op.log[0];
    EXPECT_EQ(f.op.log[1], "RENDEZ_VOUS.TXT/ligne 3/HEURE hors limites : 24");
    EXPECT_EQ(f.op.log[2], "RENDEZ_VOUS.TXT/ligne 4/MINUTE hors limites : 60");
    EXPECT_EQ(f.op.log[3].rfind("RENDEZ_VOUS.TXT/ligne 5/", 0), 0u) << f.op.log[3];
}
