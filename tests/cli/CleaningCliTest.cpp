#include "cli/CliApp.h"
#include "support/CliRunner.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>


using namespace clinova;

namespace {

using Run = test::CliRun;

Run Cli(std::vector<std::string> args, const test::TestDatabase &tdb) {
    args.push_back("--database");
    args.push_back(tdb.Path());
    return test::RunCommand(args);
}

int Count(const test::TestDatabase &tdb, const std::string &table, const std::string &where = "1=1") {
    return std::stoi(tdb.Scalar("select count(*) from " + table + " where " + where));
}

void AddInvoice(const test::TestDatabase &tdb, int id, int site, const char *date) {
    tdb.Exec("insert into FACTURES (ID, ID_SITE, DATE_FACTURE) values (" + std::to_string(id) + ", " +
             std::to_string(site) + ", '" + date + "')");
}

} // namespace

TEST(CleaningCli, EmptyTablesAsksBothQuestionsAndYesAnswersThem) {
    test::TestDatabase tdb;
    tdb.Exec("insert into CLIENTS (ID) values (1)");
    AddInvoice(tdb, 1, 1, "2020-01-01 00:00:00");

    // Without --yes and without a terminal the first question is answered "Non".
    const auto refused = Cli({"empty-tables"}, tdb);
    EXPECT_EQ(refused.status, kExitRefused);
    EXPECT_EQ(refused.out, "");
    EXPECT_TRUE(refused.Said("message: Avez-vous fermé Clinova ?"));
    EXPECT_FALSE(refused.Said("Continuer ?")) << refused.err;
    EXPECT_EQ(Count(tdb, "CLIENTS"), 1);

    const auto accounting = Cli({"empty-tables", "--accounting-only", "--yes"}, tdb);
    EXPECT_EQ(accounting.status, kExitOk) << accounting.err;
    EXPECT_TRUE(accounting.Said("Toute la comptabilité de tous les sites")) << accounting.err;
    EXPECT_EQ(Count(tdb, "FACTURES"), 0);
    EXPECT_EQ(Count(tdb, "CLIENTS"), 1);

    const auto everything = Cli({"empty-tables", "--yes"}, tdb);
    EXPECT_EQ(everything.status, kExitOk) << everything.err;
    EXPECT_TRUE(everything.Said("Toutes les données des clients")) << everything.err;
    EXPECT_EQ(Count(tdb, "CLIENTS"), 0);
}

TEST(CleaningCli, ASuppressionErrorEndsEarly) {
    test::TestDatabase tdb;
    tdb.Exec("drop table HOSPI");
    const auto run = Cli({"empty-tables", "--yes"}, tdb);
    EXPECT_EQ(run.status, kExitRefused);
    EXPECT_EQ(run.out.rfind("SUPPRESSION/", 0), 0u) << run.out;
}

TEST(CleaningCli, PurgeAccountingBeforeADay) {
    test::TestDatabase tdb;
    AddInvoice(tdb, 1, 1, "2021-03-09 00:00:00");
    AddInvoice(tdb, 2, 1, "2021-03-10 00:00:00");

    EXPECT_EQ(Cli({"purge-accounting", "--yes"}, tdb).status, kExitUsage);
    EXPECT_EQ(Cli({"purge-accounting", "--before", "31/02/2021", "--yes"}, tdb).status, kExitUsage);
    EXPECT_EQ(Count(tdb, "FACTURES"), 2);

    const auto run = Cli({"purge-accounting", "--before", "10/03/2021", "--yes"}, tdb);
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_TRUE(run.Said("message: Il faudra recalculer tous les soldes des comptes clients")) << run.err;
    EXPECT_EQ(Count(tdb, "FACTURES"), 1);
    EXPECT_EQ(Count(tdb, "FACTURES", "ID=2"), 1);
}

TEST(CleaningCli, PurgeSiteTakesTheGivenSiteOrTheSetting) {
    test::TestDatabase tdb;
    AddInvoice(tdb, 1, 1, "2021-01-01 00:00:00");
    AddInvoice(tdb, 2, 2, "2021-01-01 00:00:00");
    AddInvoice(tdb, 3, 3, "2021-01-01 00:00:00");

    EXPECT_EQ(Cli({"purge-site", "--site", "x", "--yes"}, tdb).status, kExitUsage);
    EXPECT_EQ(Cli({"purge-site", "--set", "edIDSITECompta=abc", "--yes"}, tdb).status, kExitUsage);
    EXPECT_EQ(Cli({"purge-site", "--site", "2"}, tdb).status, kExitRefused);
    EXPECT_EQ(Count(tdb, "FACTURES"), 3);

    const auto second = Cli({"purge-site", "--site", "2", "--yes"}, tdb);
    EXPECT_EQ(second.status, kExitOk) << second.err;
    EXPECT_TRUE(second.Said("Toute la comptabilité du site 2 ")) << second.err;
    EXPECT_EQ(Count(tdb, "FACTURES", "ID_SITE=2"), 0);

    EXPECT_EQ(Cli({"purge-site", "--set", "edIDSITECompta=3", "--yes"}, tdb).status, kExitOk);
    EXPECT_EQ(Count(tdb, "FACTURES", "ID_SITE=3"), 0);
    EXPECT_EQ(Cli({"purge-site", "--yes"}, tdb).status, kExitOk);
    EXPECT_EQ(Count(tdb, "FACTURES"), 0);
}
