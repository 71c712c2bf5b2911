#include "AnimalStepFixture.h"

#include <gtest/gtest.h>

using namespace clinova;
using test::AnimalStep;

namespace {

// Four animals, as the animal step of the run left them: a1 to a3 inserted by it, a4 matched to an animal
// already in the database. a2 has no weight at all, a3 one of its own.
void SeedAnimals(AnimalStep &s) {
    s.tdb.Exec("insert into ANIMAUX (ID, IDCLIENT, NOM, POIDS) values (1, 1, 'Un', 0)");
    s.tdb.Exec("insert into ANIMAUX (ID, IDCLIENT, NOM, POIDS) values (2, 1, 'Deux', NULL)");
    s.tdb.Exec("insert into ANIMAUX (ID, IDCLIENT, NOM, POIDS) values (3, 1, 'Trois', 3.2)");
    s.tdb.Exec("insert into ANIMAUX (ID, IDCLIENT, NOM, POIDS) values (4, 1, 'Quatre', 0)");
    auto &lists = s.state.lists;
    for (int id = 1; id <= 4; ++id) {
        lists.fSourceIDAnimalList.Add("a" + std::to_string(id));
        lists.fDatabaseIDAnimalList.Add(id);
        lists.fDatabaseIDClientOfIDAnimalList.Add(1);
        if (id < 4)
            lists.fSourceIDNewAnimalList.Add("a" + std::to_string(id));
    }
}

// The weights of the four animals, "NULL" for none.
std::string AnimalWeights(const AnimalStep &s) {
    std::string weights;
    for (int id = 1; id <= 4; ++id) {
        const std::string weight = s.Row("select POIDS from ANIMAUX where ID=" + std::to_string(id)).at("POIDS");
        weights += (id > 1 ? " " : "") + (weight == AnimalStep::kNull ? std::string("NULL") : weight);
    }
    return weights;
}

} // namespace

TEST(WeightImport, LatestWeighingBecomesTheWeightOfAnimalsWithoutOne) {
    AnimalStep s;
    SeedAnimals(s);
    s.state.options.edIDSite = "2";
    s.Write("POIDS.TXT", {"ID_ANIMAL\tDATE\tPOIDS_GR\tID_HOSPI",
                          "A1\t01/06/2020\t11000\t-1", // letter case ignored
                          "a1\t01/01/2020\t10000\t-1", // older, later in the file
                          "a2\t05/05/2021\t4000\t-1",
                          "a2\t05/05/2021\t4500\t-1", // same day: the first in the file wins
                          "a3\t01/01/2022\t5000\t-1", // a3 keeps its own weight
                          "zz\t01/01/2020\t1000\t-1", // unknown animal
                          "a4\t\t1000\t-1", "a4\t01/01/2020\t\t-1", "a4\t01/01/2020\t0\t-1", "a4\t01/01/2020\tabc\t-1",
                          "a4\t31/02/2020\t1000\t-1", // fails
                          "a1\t01/01/2023\t20000\tx", // fails: neither a row nor the latest weight
                          "a4\t10/03/2021\t12500\t12"});
    s.RunWeights();

    const auto failures = s.Failures();
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].rfind("POIDS.TXT/ligne 11/", 0), 0u) << failures[0];
    EXPECT_EQ(failures[1].rfind("POIDS.TXT/ligne 12/", 0), 0u) << failures[1];
    EXPECT_EQ(s.op.log.size(), 2u);

    EXPECT_EQ(s.Q("select count(*) from POIDS"), "6");
    EXPECT_EQ(AnimalWeights(s), "11 4 3.2 12.5");
    const auto row = s.Row("select * from POIDS where IDANIMAL=4");
    EXPECT_EQ(row.at("POIDS"), "12.5");
    EXPECT_EQ(row.at("DATEPESEE"), "10/03/2021 00:00:00");
    EXPECT_EQ(row.at("DT_HISTORIQUE"), "10/03/2021 00:00:00");
    EXPECT_EQ(row.at("ID_HOSPI"), "12");
    EXPECT_EQ(row.at("ID_SITE"), "2");
    EXPECT_EQ(row.at("ID_USER"), "1");
}

TEST(WeightImport, Build84WritesFourColumns) {
    AnimalStep s(84);
    SeedAnimals(s);
    s.tdb.Exec("alter table POIDS drop DT_HISTORIQUE, drop ID_HOSPI, drop ID_SITE, drop ID_USER");
    s.Write("POIDS.TXT", {"ID_ANIMAL\tDATE\tPOIDS_GR\tID_HOSPI\tID_SITE\tID_USER", "a1\t10/03/2021\t12500\tx\tx\tx"});
    s.RunWeights();
    EXPECT_TRUE(s.op.log.empty()) << s.op.log[0];
    EXPECT_EQ(s.Q("select POIDS from POIDS where IDANIMAL=1"), "12.5");
    EXPECT_EQ(AnimalWeights(s), "12.5 NULL 3.2 0");
}

TEST(WeightImport, InterruptionLeavesEveryAnimalsWeightUnchanged) {
    AnimalStep s;
    SeedAnimals(s);
    s.op.interruptAtWaitMessage = "Importation poids 2/";
    s.Write("POIDS.TXT",
            {"ID_ANIMAL\tDATE\tPOIDS_GR", "a1\t01/01/2020\t1000", "a2\t01/01/2020\t2000", "a4\t01/01/2020\t4000"});
    s.RunWeights();
    EXPECT_TRUE(s.state.StopRequested);
    EXPECT_EQ(s.op.log, std::vector<std::string>{"POIDS/interruption de la procédure"});
    EXPECT_EQ(s.Q("select count(*) from POIDS"), "2"); // the rows written so far stay
    EXPECT_EQ(AnimalWeights(s), "0 NULL 3.2 0");
}

TEST(WeightImport, KeptIdentifiersNewAnimalsOnlyAndAFailingUpdate) {
    AnimalStep s;
    SeedAnimals(s);
    s.tdb.Exec("create exception E_REFUS 'refus'");
    s.tdb.Exec("create trigger T_REFUS for ANIMAUX before update as begin if (new.ID = 2) then exception E_REFUS; "
               "end");

    s.state.options.cbGarder_ID_ANIMAL_du_logiciel_d_origine = true;
    s.Write("POIDS.TXT",
            {"ID_ANIMAL\tDATE\tPOIDS_GR", "2\t01/01/2020\t2000", "4\t01/01/2020\t4000", "a1\t01/01/2020\t1000"});
    s.RunWeights();
    ASSERT_EQ(s.op.log.size(), 1u);
    EXPECT_EQ(s.op.log[0].rfind("POIDS.TXT/erreue ajout poids dans fiche animal ID_ANIMAL_CN=2/", 0), 0u)
        << s.op.log[0];
    EXPECT_NE(s.op.log[0].find("refus"), std::string::npos);
    EXPECT_EQ(AnimalWeights(s), "0 NULL 3.2 4"); // the other animal is still updated
    EXPECT_EQ(s.Q("select list(IDANIMAL) from POIDS"), "2,4");

    // Only the animals this run inserted: a4 was matched to an animal already there.
    s.op.log.clear();
    s.tdb.Exec("delete from POIDS");
    s.state.options.cbGarder_ID_ANIMAL_du_logiciel_d_origine = false;
    s.state.options.cbPoidsQuePourNewAnimaux = true;
    s.Write("POIDS.TXT", {"ID_ANIMAL\tDATE\tPOIDS_GR", "a4\t01/01/2020\t9000", "A1\t01/01/2020\t1000"});
    s.RunWeights();
    EXPECT_TRUE(s.op.log.empty());
    EXPECT_EQ(s.Q("select list(IDANIMAL) from POIDS"), "1");
    EXPECT_EQ(AnimalWeights(s), "1 NULL 3.2 4");
}
