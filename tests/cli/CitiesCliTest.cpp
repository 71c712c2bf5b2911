#include "cli/CliApp.h"
#include "support/CliRunner.h"
#include "normalized/Win1252.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>


using namespace clinova;

namespace {

test::CliRun FillCities(const test::TestDatabase &tdb, bool yes) {
    std::vector<std::string> args{"fill-cities", "--database", tdb.Path()};
    if (yes)
        args.push_back("--yes");
    return test::RunCommand(args);
}

} // namespace

TEST(CitiesCli, FillCitiesExitStatusFollowsTheAction) {
    test::TestDatabase tdb;
    tdb.Exec(FromUtf8("insert into CLIENTS (ID, VILLE1, CP1) values (1, 'Périgny', '17180')"));
    tdb.Exec("insert into VILLES (ID, CODEPOSTAL, VILLE) values (99, '00000', 'ANCIENNE')");

    // Without --yes and without a terminal the question is answered "Non": the table stays as it was.
    const auto refused = FillCities(tdb, false);
    EXPECT_EQ(refused.status, kExitRefused);
    EXPECT_NE(refused.err.find("message: Avez-vous fermé Clinova ?"), std::string::npos) << refused.err;
    EXPECT_EQ(tdb.Scalar("select VILLE from VILLES"), "ANCIENNE");

    const auto done = FillCities(tdb, true);
    EXPECT_EQ(done.status, kExitOk) << done.err;
    EXPECT_NE(done.err.find("message: Fin de l'opération"), std::string::npos) << done.err;
    EXPECT_EQ(ToUtf8(tdb.Scalar("select list(VILLE || '/' || CODEPOSTAL) from VILLES")), "PÉRIGNY/17180");
}

TEST(CitiesCli, FillCitiesRefusesAnUnsupportedBuild) {
    test::TestDatabase tdb(84);
    tdb.Exec("insert into CLIENTS (ID, VILLE1, CP1) values (1, 'Marans', '17230')");
    tdb.Exec("insert into VILLES (ID, CODEPOSTAL, VILLE) values (99, '00000', 'ANCIENNE')");
    const auto run = FillCities(tdb, true);
    EXPECT_EQ(run.status, kExitRefused);
    EXPECT_NE(run.err.find("Version de la base de données incorrecte : base 84"), std::string::npos) << run.err;
    EXPECT_EQ(tdb.Scalar("select list(VILLE) from VILLES"), "ANCIENNE");
}
