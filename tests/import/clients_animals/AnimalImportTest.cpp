#include "AnimalStepFixture.h"

#include "run/ImportRun.h"
#include "run/SourceFolder.h"
#include "import/clients_animals/AnimalInsert.h"
#include "normalized/DateTime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace clinova;
using test::AnimalStep;

namespace {

constexpr const char *kNull = AnimalStep::kNull;

// Every column the animal step reads.
const char *const kAllHeader =
    "ID_ANIMAL\tID_CLIENT\tDCD\tNOM\tDATE_NAISSANCE\tDATE_DECES\tCAUSE_DECES\tAFFIXE\tALIAS\tESPECE\tRACE\tSEXE\tROBE\t"
    "POIL\tVARIETE\tLOF\tLOF_VALUE\tTATOUAGE_NUMERO\tTATOUAGE_EMPLACEMENT\tTATOUAGE_PRATICIEN\tTATOUAGE_DATE\t"
    "PUCE_NUMERO\tPUCE_LOCALISATION\tPUCE_TYPE_TRANSPONDEUR\tPUCE_PRATICIEN\tPUCE_DATE\tPASSEPORT_NUMERO\t"
    "PASSEPORT_DATE\tSIRE\tTYPAGE_ADN\tALARME\tPOIDS\tDATE_PESEE\tASSURANCE_NOM\tASSURANCE_OBSERVATIONS\t"
    "ALIMENTATION_HABITUELLE\tANTECEDANTS_MEDICAUX\tTRAITEMENT_EN_COURS\tNOTES\tDATE_CREATION\tPOIDS_IDEAL";

std::vector<std::string> Split(const std::string &header) {
    std::vector<std::string> columns(1);
    for (const char c : header) {
        if (c == '\t')
            columns.emplace_back();
        else
            columns.back() += c;
    }
    return columns;
}

const std::vector<std::string> kAllColumns = Split(kAllHeader);

// A line of the given columns, empty where the map gives nothing.
std::string Line(const std::vector<std::string> &columns, const std::map<std::string, std::string> &fields) {
    std::string line;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const auto it = fields.find(columns[i]);
        line += (i == 0 ? "" : "\t") + (it == fields.end() ? std::string() : it->second);
    }
    return line;
}

std::string TodayDMY() {
    return FormatDMY(clinova::Today());
}

} // namespace

TEST(AnimalImport, InsertFormsByIdealWeight) {
    const auto parameters = [](const std::string &sql) { return std::count(sql.begin(), sql.end(), ':'); };
    EXPECT_EQ(parameters(AnimalInsertSQL(false)), 138);
    EXPECT_EQ(AnimalInsertSQL(false).find("POIDS_IDEAL1000"), std::string::npos);
    EXPECT_EQ(parameters(AnimalInsertSQL(true)), 139);
    EXPECT_NE(AnimalInsertSQL(true).find("SIRE, POIDS_IDEAL1000)"), std::string::npos);
}

TEST(AnimalImport, DefaultsColumnsOwnerAndFirstWeight) {
    AnimalStep s;
    s.AddClient("C1", 7);
    s.tdb.Exec("alter sequence CURRENT_ID_ANIMAL restart with 100");

    // Only the mandatory columns: every other column holds its default or NULL.
    s.Write("ANIMAUX.TXT", {"ID_ANIMAL\tID_CLIENT\tDCD\tNOM", "A0\tc1\t0\tTitus", "A9\tC404\t0\tFantôme"});
    s.RunAnimals();
    EXPECT_TRUE(s.op.log.empty());
    auto row = s.Row("select * from ANIMAUX where ID=101");
    ASSERT_FALSE(row.empty());
    std::map<std::string, std::string> expected;
    for (const auto &[column, value] : row)
        expected[column] = kNull;
    expected["ID"] = "101";
    expected["IDCLIENT"] = "7"; // the client identifier matched whatever its letter case
    expected["NOM"] = "Titus";
    for (const char *c : {"IDNEXTRDV", "TATOUIDPRATICIEN", "IDLASTPROPRIO", "IDELEVEUR"})
        expected[c] = "-1";
    for (const char *c : {"ALARME", "LOF_VALUE", "TATOUNUM", "PUCE_NUM"})
        expected[c] = "";
    for (const char *c : {"CASREFERE",
                          "LOF",
                          "ACCORDREPRODUCTION",
                          "ALIMMENAGERE",
                          "ALIMSEC",
                          "ALIMHUMIDE",
                          "ALIMDIETETIQUE",
                          "REGIMEACTIVE",
                          "DECESISMORT",
                          "DECESEUTHANASIE",
                          "DECESENGARDE",
                          "DECESENURGENCE",
                          "DECESAUTORISEINCINERATION",
                          "DECESLETTRECONDOLEANCE",
                          "ANIMALDISPARU",
                          "ANIMALVOLE",
                          "APTYPESHAMPOING",
                          "APTYPECOLLIER",
                          "APTYPEPOUDRE",
                          "APSPRAY",
                          "APSPOTON",
                          "APCOMPRIME",
                          "APAMPOULE",
                          "APDIFFUSEUR",
                          "APENVIRONNEMENT",
                          "APPREVENTIF",
                          "APINFESTATION",
                          "DECESAUTOPSIE"})
        expected[c] = "F";
    expected["APENVOYERRAPPEL"] = expected["CONTRACEPTEVOYERRAPPEL"] = "T";
    for (const char *c : {"VERMIFUGE_NUM_CAL_ACTIF", "ISSUIVI", "VIE_EN", "VIE_A", "ATTENTE_LABO", "ANIMALDONNE",
                          "QUESTION_DEVENU", "ISCHEPTEL", "POIDS", "TAILLE"})
        expected[c] = "0";
    EXPECT_EQ(row, expected);
    // The animal of an unknown client is left aside without a trace.
    EXPECT_EQ(s.Q("select count(*) from ANIMAUX"), "1");
    EXPECT_EQ(s.TargetOf("A9"), -100);

    // Every column, with the cut lengths that differ from the declared types.
    const std::string longCause(200, 'c'), affixe(55, 'a'), food(70, 'f'), observations(300, 'o');
    const std::string alarme = "Mord – attention !!";
    s.Write("ANIMAUX.TXT", {kAllHeader,
                            Line(kAllColumns, {{"ID_ANIMAL", "A1"},
                                               {"ID_CLIENT", "C1"},
                                               {"DCD", "1"},
                                               {"NOM", "  Médor  "},
                                               {"DATE_NAISSANCE", "3/4/2015"},
                                               {"DATE_DECES", "02/01/2024"},
                                               {"CAUSE_DECES", longCause},
                                               {"AFFIXE", affixe},
                                               {"ALIAS", "Doudou"},
                                               {"ESPECE", "Chien"},
                                               {"RACE", "Labrador"},
                                               {"SEXE", "Mâle"},
                                               {"ROBE", "Sable"},
                                               {"LOF", "0"},
                                               {"LOF_VALUE", "123456"},
                                               {"TATOUAGE_NUMERO", "2ABC123"},
                                               {"TATOUAGE_DATE", "01/06/2015"},
                                               {"PUCE_NUMERO", "250269801234567"},
                                               {"PUCE_TYPE_TRANSPONDEUR", "FDX-B ISO 11784/85"},
                                               {"PASSEPORT_NUMERO", " fr-250 "},
                                               {"TYPAGE_ADN", "oui"},
                                               {"ALARME", alarme},
                                               {"POIDS", "1250"},
                                               {"ASSURANCE_NOM", "Santévet"},
                                               {"ASSURANCE_OBSERVATIONS", observations},
                                               {"ALIMENTATION_HABITUELLE", food},
                                               {"ANTECEDANTS_MEDICAUX", "Otite\vBoiterie"},
                                               {"NOTES", "Mord"},
                                               {"DATE_CREATION", "14/03/2016"},
                                               {"POIDS_IDEAL", "2500"}}),
                            Line(kAllColumns, {{"ID_ANIMAL", "A2"},
                                               {"ID_CLIENT", "C1"},
                                               {"DCD", "0"},
                                               {"NOM", "Minou"},
                                               {"LOF", "1"},
                                               {"TYPAGE_ADN", "1"},
                                               {"POIDS", "abc"},
                                               {"DATE_PESEE", "32/13/2020"}}),
                            Line(kAllColumns, {{"ID_ANIMAL", "A3"},
                                               {"ID_CLIENT", "C1"},
                                               {"DCD", "0"},
                                               {"NOM", "Pégase"},
                                               {"POIDS", "41000"},
                                               {"DATE_PESEE", "15/07/2023"}})});
    s.RunAnimals();
    ASSERT_TRUE(s.op.log.empty()) << s.op.log[0];

    EXPECT_EQ(s.TargetOf("a1"), 102); // no identifier was drawn for the animal of the unknown client
    row = s.Row("select * from ANIMAUX where ID=102");
    EXPECT_EQ(row["NOM"], "Médor");
    EXPECT_EQ(row["DECESISMORT"], "T");
    EXPECT_EQ(row["DATENAISSANCE"], "03/04/2015");
    EXPECT_EQ(row["DECESMORTLE"], "02/01/2024");
    EXPECT_EQ(row["DECESCAUSE"], longCause.substr(0, 180));
    EXPECT_EQ(row["AFFIXE"], affixe);
    EXPECT_EQ(row["SEXE"], "Mâle");
    EXPECT_EQ(row["VARIETE"], "");
    EXPECT_EQ(row["LOF"], "T"); // the registration number decides, not the flag
    EXPECT_EQ(row["LOF_VALUE"], "123456");
    EXPECT_EQ(row["TATOUDATE"], "01/06/2015");
    EXPECT_EQ(row["PUCE_DATE"], kNull);
    EXPECT_EQ(row["PUCE_TYPE_TRANSPONDEUR"], "FDX-B ISO 11784");
    EXPECT_EQ(row["NUMERO_PASSEPORT"], "FR-250");
    EXPECT_EQ(row["TYPAGE_ADN"], "0");
    EXPECT_EQ(row["ALARME"], alarme);
    EXPECT_EQ(row["ASSURANCEOBSERVATIONS"], observations);
    EXPECT_EQ(row["REGIME_PRODUIT_DESIGNATION"], food);
    EXPECT_EQ(row["ANTECEDANTSMEDICAUX"], "Otite\rBoiterie");
    EXPECT_EQ(row["TRAITEMENT_EN_COURS"], "");
    EXPECT_EQ(row["POSTIT"], "Mord");
    EXPECT_EQ(row["DATECREATION"], "14/03/2016");
    EXPECT_EQ(row["POIDS_IDEAL1000"], kNull); // build 93: the column stays empty
    EXPECT_EQ(row["POIDS"], "12.5");
    EXPECT_EQ(s.Q("select count(*) from PASSEPORTS"), "0"); // no passport date

    // The first weight, dated today when the file gives no day.
    const auto weight = s.Row("select * from POIDS where IDANIMAL=" + std::to_string(s.TargetOf("A1")));
    EXPECT_EQ(weight.at("POIDS"), "12.5");
    EXPECT_EQ(weight.at("DATEPESEE"), TodayDMY() + " 00:00:00");
    EXPECT_EQ(weight.at("DT_HISTORIQUE"), TodayDMY() + " 00:00:00");

    // A weight that is not a number writes no weight row, and its day is not read.
    row = s.Row("select * from ANIMAUX where ID=" + std::to_string(s.TargetOf("A2")));
    EXPECT_EQ(row["LOF"], "F");
    EXPECT_EQ(row["TYPAGE_ADN"], "1");
    EXPECT_EQ(row["POIDS"], "0");
    const auto horse = s.Row("select * from POIDS where IDANIMAL=" + std::to_string(s.TargetOf("A3")));
    EXPECT_EQ(horse.at("POIDS"), "410");
    EXPECT_EQ(horse.at("DATEPESEE"), "15/07/2023 00:00:00");
    EXPECT_EQ(s.Q("select count(*) from POIDS"), "2");

    const auto &lists = s.state.lists;
    EXPECT_EQ(lists.fSourceIDAnimalList.Items(), (std::vector<std::string>{"A0", "A1", "A2", "A3"}));
    EXPECT_EQ(lists.fSourceIDNewAnimalList.Items(), lists.fSourceIDAnimalList.Items());
    EXPECT_EQ(lists.fDatabaseIDClientOfIDAnimalList.Count(), 4);
    EXPECT_EQ(lists.fDatabaseIDClientOfIDAnimalList.Get(3), 7);
}

TEST(AnimalImport, IdealWeightOnlyFromBuild85) {
    const std::string header = "ID_ANIMAL\tID_CLIENT\tDCD\tNOM\tPOIDS_IDEAL";
    AnimalStep b85(85);
    b85.AddClient("C1", 1);
    b85.Write("ANIMAUX.TXT", {header, "A1\tC1\t0\tRex\t2500", "A2\tC1\t0\tRox\tdeux"});
    b85.RunAnimals();
    b85.Write("ANIMAUX.TXT", {"ID_ANIMAL\tID_CLIENT\tDCD\tNOM", "A3\tC1\t0\tRux"});
    b85.RunAnimals();
    EXPECT_EQ(b85.Q("select list(POIDS_IDEAL1000, ',') from (select POIDS_IDEAL1000 from ANIMAUX order by ID)"),
              "2500,0,0");

    AnimalStep b86(86);
    b86.AddClient("C1", 1);
    b86.Write("ANIMAUX.TXT", {header, "A1\tC1\t0\tRex\t2500"});
    b86.RunAnimals();
    EXPECT_EQ(b86.Q("select count(*) from ANIMAUX where POIDS_IDEAL1000 is null"), "1");

    // Databases before build 85 have no such column: the insert must not name it.
    AnimalStep b83(83);
    b83.tdb.Exec("alter table ANIMAUX drop POIDS_IDEAL1000");
    b83.AddClient("C1", 1);
    b83.Write("ANIMAUX.TXT", {header, "A1\tC1\t0\tRex\t2500"});
    b83.RunAnimals();
    EXPECT_TRUE(b83.op.log.empty()) << b83.op.log[0];
    EXPECT_EQ(b83.Q("select NOM from ANIMAUX"), "Rex");
}

TEST(AnimalImport, PassportsRepeatTheAnimalAndItsOwner) {
    AnimalStep s;
    s.state.options.edIDSite = "3";
    s.AddClient("C1", 1, "M.", "DUPONT");
    s.AddClient("C2", 2, "", "DURAND");
    const std::string longNumber = "fr" + std::string(38, '7');
    s.Write("ANIMAUX.TXT",
            {"ID_ANIMAL\tID_CLIENT\tDCD\tNOM\tESPECE\tTATOUAGE_NUMERO\tPUCE_NUMERO\tPASSEPORT_NUMERO\tPASSEPORT_DATE",
             "P1\tC1\t0\tRex\tChien\t2ABC123\t250269801234567\t fr 2500 0001 \t12/05/2020",
             "P2\tC2\t0\tMinou\tChat\t3DEF456\t\t" + longNumber + "\t13/05/2020",
             "P3\tC1\t0\tCoco\tPerroquet\t\t\tFR3\t14/05/2020", "P4\tC1\t0\tNoDate\tChien\t\t\tFR4\t",
             "P5\tC1\t0\tNoNumber\tChien\t\t\t\tpas une date", "P6\tC1\t0\tBadDate\tChien\t\t\tFR6\t30/02/2021"});
    s.RunAnimals();

    const auto p1 = s.Row("select * from PASSEPORTS where IDANIMAL=" + std::to_string(s.TargetOf("P1")));
    ASSERT_FALSE(p1.empty());
    EXPECT_EQ(p1.at("NUMERO_PASSEPORT"), "FR 2500 0001");
    EXPECT_EQ(p1.at("ID_SITE"), "3");
    EXPECT_EQ(p1.at("ESPECE"), "Chien");
    EXPECT_EQ(p1.at("NOM_ANIMAL"), "Rex");
    EXPECT_EQ(p1.at("IDENTIFICATION"), "250269801234567"); // the chip before the tattoo
    EXPECT_EQ(p1.at("PROPRIETAIRE"), "M. DUPONT");
    EXPECT_EQ(p1.at("ADRESSE"), "1 rue des Lilas");
    EXPECT_EQ(p1.at("CP"), "17000");
    EXPECT_EQ(p1.at("VILLE"), "La Rochelle");
    EXPECT_EQ(p1.at("DATE_DELIVRANCE"), "12/05/2020");
    EXPECT_EQ(p1.at("REMARQUE"), "");
    EXPECT_EQ(p1.at("DELIVRE_PAR"), "");
    EXPECT_EQ(p1.at("PAR_MON_ETABLISSEMENT"), "1");

    const auto p2 = s.Row("select * from PASSEPORTS where IDANIMAL=" + std::to_string(s.TargetOf("P2")));
    ASSERT_FALSE(p2.empty());
    EXPECT_EQ(p2.at("NUMERO_PASSEPORT"), "FR" + std::string(38, '7')); // whole on the passport
    EXPECT_EQ(s.Q("select NUMERO_PASSEPORT from ANIMAUX where ID=" + std::to_string(s.TargetOf("P2"))),
              ("FR" + std::string(38, '7')).substr(0, 30));
    EXPECT_EQ(p2.at("IDENTIFICATION"), "3DEF456");
    EXPECT_EQ(p2.at("PROPRIETAIRE"), " DURAND");
    EXPECT_EQ(s.Q("select IDENTIFICATION from PASSEPORTS where IDANIMAL=" + std::to_string(s.TargetOf("P3"))), "");

    // No passport without a number or a date; an impossible date fails the line, the animal stays.
    EXPECT_EQ(s.Q("select count(*) from PASSEPORTS"), "3");
    ASSERT_EQ(s.Failures().size(), 1u);
    EXPECT_EQ(s.Failures()[0].rfind("ANIMAUX.TXT/ligne 6/", 0), 0u) << s.Failures()[0];
    EXPECT_EQ(s.Q("select NUMERO_PASSEPORT from ANIMAUX where NOM='BadDate'"), "FR6");
    EXPECT_GT(s.TargetOf("P6"), 0);
    EXPECT_EQ(s.state.lists.fSourceIDNewAnimalList.Count(), 6);

    // The animal stays, so its line is imported with a warning: were it rejected, importing the corrected
    // rejects would write the animal twice.
    EXPECT_NE(s.Failures()[0].find("/avertissement : '30/02/2021' n'est pas une date correcte"), std::string::npos);
    ASSERT_FALSE(s.state.summaries.empty());
    const StepSummary &summary = s.state.summaries.back();
    EXPECT_EQ(summary.imported, 6);
    EXPECT_EQ(summary.failed, 0);
    EXPECT_EQ(summary.warnings, 1);
    EXPECT_FALSE(std::filesystem::exists(s.tdb.Dir().path() / "REJETS_ANIMAUX.TXT"));
    const std::string warnings = s.tdb.Dir().Read("AVERTISSEMENTS_ANIMAUX.TXT");
    EXPECT_NE(warnings.find("P6\tC1\t0\tBadDate\tChien\t\t\tFR6\t30/02/2021\t'30/02/2021' n'est pas une date correcte"),
              std::string::npos)
        << warnings;
}

TEST(AnimalImport, DuplicatesAreMappedToTheClientsExistingAnimals) {
    AnimalStep s;
    s.AddClient("C1", 1);
    s.AddClient("C2", 2);
    s.tdb.Exec("insert into ANIMAUX (ID, IDCLIENT, NOM, ESPECE) values (10, 1, ' REX ', 'CHIEN')");
    s.tdb.Exec(FromUtf8("insert into ANIMAUX (ID, IDCLIENT, NOM, ESPECE) values (11, 1, 'Félix', NULL)"));
    s.tdb.Exec("alter sequence CURRENT_ID_ANIMAL restart with 100");
    s.state.options.cbDedoublonageAnimaux = true;
    const std::string header = "ID_ANIMAL\tID_CLIENT\tDCD\tNOM\tESPECE\tPOIDS\tPASSEPORT_NUMERO\tPASSEPORT_DATE";
    const std::vector<std::string> lines = {
        "D1\tC1\t0\tRex\tchien\t500\tFR1\t01/01/2020", // the client's REX, CHIEN
        "D2\tC2\t0\tRex\tchien\t\t\t",                 // another client's: a new animal
        "D3\tC1\t0\tFÉLIX\t\t\t\t",                    // NULL species of the database equals an empty field
        "D4\tC2\t0\tREX\tChien\t\t\t",                 // the animal inserted two lines above
        "D5\tC1\t0\t\t\t\t\t",                         // an empty name is never a duplicate
    };
    s.Write("ANIMAUX.TXT", {header, lines[0], lines[1], lines[2], lines[3], lines[4]});
    s.RunAnimals();
    ASSERT_TRUE(s.op.log.empty()) << s.op.log[0];

    EXPECT_EQ(s.TargetOf("D1"), 10);
    EXPECT_EQ(s.TargetOf("D2"), 102); // identifiers are drawn for duplicates too
    EXPECT_EQ(s.TargetOf("D3"), 11);
    EXPECT_EQ(s.TargetOf("D4"), 102);
    EXPECT_EQ(s.TargetOf("D5"), 105);
    EXPECT_EQ(s.state.lists.fSourceIDNewAnimalList.Items(), (std::vector<std::string>{"D2", "D5"}));
    EXPECT_EQ(s.state.lists.fDatabaseIDClientOfIDAnimalList.Get(3), 2);
    EXPECT_EQ(s.Q("select count(*) from ANIMAUX"), "4");
    EXPECT_EQ(s.Q("select count(*) from POIDS"), "0");
    EXPECT_EQ(s.Q("select count(*) from PASSEPORTS"), "0");
    EXPECT_EQ(s.tdb.Dir().Read("DOUBLONS_ANIMAUX.TXT"),
              FromUtf8(header + "\r\n" + lines[0] + "\r\n" + lines[2] + "\r\n" + lines[3] + "\r\n"));
}

TEST(AnimalImport, KeptIdentifiersAndAnimalsOfAnEarlierImport) {
    AnimalStep s;
    s.AddClient("C1", 1);
    const auto previous = s.tdb.Dir().path() / "precedent";
    std::filesystem::create_directories(previous);
    s.state.options.edPathIDPrecedentImport = (previous / "").string();
    s.tdb.Dir().Write("precedent/__fSourceIDAnimalList.txt", "K0\r\nk2\r\n");
    s.state.options.cbInjectionAutresAnimaux = true;
    s.state.options.cbGarder_ID_ANIMAL_du_logiciel_d_origine = true;
    s.Write("ANIMAUX.TXT", {"ID_ANIMAL\tID_CLIENT\tDCD\tNOM\tPOIDS",
                            "500\tC1\t0\tRex\t300",   // kept identifier
                            "K2\tC1\t0\tDéjà\t300",   // brought by the earlier import: no trace at all
                            "abc\tC1\t0\tRox\t",      // not an identifier: the line fails
                            "500\tC1\t0\tRux\t900"}); // an identifier already taken: neither animal nor weight
    s.RunAnimals();

    EXPECT_EQ(s.Q("select list(ID) from ANIMAUX"), "500");
    EXPECT_EQ(s.Q("select count(*) from POIDS"), "1");
    EXPECT_EQ(s.Q("select POIDS from POIDS where IDANIMAL=500"), "3");
    const auto failures = s.Failures();
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].rfind("ANIMAUX.TXT/ligne 3/", 0), 0u);
    EXPECT_EQ(failures[1].rfind("ANIMAUX.TXT/ligne 4/", 0), 0u);
    EXPECT_EQ(s.state.lists.fSourceIDAnimalList.Items(), std::vector<std::string>{"500"});
}

TEST(AnimalImport, CatchUpModeReloadsTheListsOfAnEarlierImport) {
    AnimalStep s;
    const auto previous = s.tdb.Dir().path() / "precedent";
    std::filesystem::create_directories(previous);
    s.state.options.edPathIDPrecedentImport = (previous / "").string();
    s.state.options.cbModeRatrapage = true;
    const auto writeLists = [&](const std::string &clientIDs, const std::string &ownerIDs) {
        s.tdb.Dir().Write("precedent/__fSourceIDClientList.txt", "P1\r\nP2\r\n");
        s.tdb.Dir().Write("precedent/__fDatabaseIDClientList.txt", clientIDs);
        s.tdb.Dir().Write("precedent/__fSourceIDAnimalList.txt", "PA1\r\n");
        s.tdb.Dir().Write("precedent/__fDatabaseIDAnimalList.txt", "70\r\n");
        s.tdb.Dir().Write("precedent/__fDatabaseIDClientOfIDAnimalList.txt", ownerIDs);
    };
    s.AddClient("THIS-RUN", 99); // replaced by the earlier import's clients
    s.Write("ANIMAUX.TXT", {"ID_ANIMAL\tID_CLIENT\tDCD\tNOM", "N1\tp2\t0\tRex", "N2\tTHIS-RUN\t0\tRox"});

    writeLists("7\r\n8\r\n", "7\r\n");
    s.RunAnimals();
    EXPECT_TRUE(s.op.messages.empty());
    EXPECT_EQ(s.state.lists.fSourceIDAnimalList.Items(), (std::vector<std::string>{"PA1", "N1"}));
    EXPECT_EQ(s.state.lists.fDatabaseIDClientOfIDAnimalList.Get(1), 8);
    EXPECT_EQ(s.Q("select IDCLIENT from ANIMAUX"), "8");

    // A target list one line shorter: nothing is imported, the run is not stopped.
    for (const auto &[clientIDs, ownerIDs] : {std::pair{"7\r\n", "7\r\n"}, std::pair{"7\r\n8\r\n", ""}}) {
        s.op.messages.clear();
        writeLists(clientIDs, ownerIDs);
        s.RunAnimals();
        EXPECT_EQ(s.op.messages, std::vector<std::string>{"probleme lecture index clients"});
        EXPECT_EQ(s.Q("select count(*) from ANIMAUX"), "1");
        EXPECT_FALSE(s.state.StopRequested);
    }
}

TEST(AnimalImport, WholeRunWiresClientsAnimalsAndWeights) {
    test::TestDatabase tdb;
    test::ScriptedOperator op;
    RunState state(op);
    state.options.edPathNameDatabase = tdb.Path();
    const auto write = [&](const std::string &file, const std::string &utf8) { tdb.Dir().Write(file, FromUtf8(utf8)); };
    write("CLIENTS.TXT", "ID_CLIENT\tNOM\r\nC1\tDupont\r\nC2\tLefèvre\r\n");
    write("ANIMAUX.TXT", "ID_ANIMAL\tID_CLIENT\tDCD\tNOM\tPOIDS\r\nA1\tC2\t0\tMédor\t\r\nA2\tc1\t0\tMinou\t320\r\n");
    write("POIDS.TXT", "ID_ANIMAL\tDATE\tPOIDS_GR\r\nA1\t01/02/2022\t30500\r\nA2\t01/02/2022\t4100\r\n");
    ScanSourceFolder(state, tdb.Dir().Folder());
    EXPECT_EQ(btnImportationClick(state), RunOutcome::Completed);

    const auto animal = [&](const std::string &name, const std::string &column) {
        return ToUtf8(tdb.Scalar(FromUtf8("select " + column + " from ANIMAUX where NOM='" + name + "'")));
    };
    EXPECT_EQ(animal("Minou", "IDCLIENT"), "1");
    EXPECT_EQ(animal("Minou", "POIDS"), "3.2"); // its own weight from ANIMAUX.TXT stays
    EXPECT_EQ(animal("Médor", "IDCLIENT"), "2");
    EXPECT_EQ(animal("Médor", "POIDS"), "30.5");
    EXPECT_EQ(tdb.Scalar("select count(*) from POIDS"), "3");
    EXPECT_EQ(tdb.Dir().Read("__fSourceIDAnimalList.txt"), "A1\r\nA2\r\n");
    EXPECT_EQ(tdb.Dir().Read("__fDatabaseIDAnimalList.txt"),
              animal("Médor", "ID") + "\r\n" + animal("Minou", "ID") + "\r\n");
    EXPECT_EQ(tdb.Dir().Read("__fDatabaseIDClientOfIDAnimalList.txt"), "2\r\n1\r\n");
    for (const char *step : {"doImportationAnimaux", "doImportationPoids"})
        EXPECT_NE(std::find(op.log.begin(), op.log.end(), std::string("FIN import ") + step), op.log.end());
}
