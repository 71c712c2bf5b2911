#include "cleaning/SitePurge.h"
#include "cleaning/CleaningFixture.h"
#include "cleaning/CleaningTables.h"

#include <gtest/gtest.h>

using namespace clinova;
using test::CleaningFixture;

namespace {

// Two rows of site 1, one of site 2 in every accounting table.
struct SiteFixture : CleaningFixture {
    SiteFixture() {
        std::vector<std::string> fill;
        for (const auto table : TablesAViderComptaDUnSite()) {
            fill.push_back(FillSql(table, 1, 2, 1));
            fill.push_back(FillSql(table, 3, 3, 2));
        }
        fill.push_back(FillSql("CLIENTS", 1, 2));
        ExecAll(fill);
    }
    void ExpectSites(int site1, int site2) const {
        const auto &tables = TablesAViderComptaDUnSite();
        std::vector<std::string> queries;
        for (const auto table : tables) {
            queries.push_back(CountSql(table, "ID_SITE=1"));
            queries.push_back(CountSql(table, "ID_SITE=2"));
        }
        const auto counts = Counts(queries);
        for (std::size_t i = 0; i < tables.size(); ++i) {
            EXPECT_EQ(counts[2 * i], site1) << tables[i];
            EXPECT_EQ(counts[2 * i + 1], site2) << tables[i];
        }
    }
};

} // namespace

TEST(SitePurge, GoS1PurgesSiteOneWhateverTheSetting) {
    SiteFixture f;
    f.state.options.edIDSITECompta = "2";
    EXPECT_EQ(XiButton6Click(f.state), CleaningOutcome::Done);
    f.ExpectSites(0, 1);
    EXPECT_EQ(f.Count("CLIENTS"), 2);
    EXPECT_TRUE(f.op.log.empty());
    ASSERT_EQ(f.op.messages.size(), 2u);
    EXPECT_NE(f.op.messages[1].find("du site 1 "), std::string::npos) << f.op.messages[1];
    EXPECT_EQ(f.op.waitMessages.front(), "Vider les tables");
    EXPECT_EQ(f.op.waitMessages.size(), 1 + TablesAViderComptaDUnSite().size());
}

TEST(SitePurge, GoPurgesTheTypedSite) {
    SiteFixture f;
    f.state.options.edIDSITECompta = " 2";
    EXPECT_EQ(XiButton5Click(f.state), CleaningOutcome::Done);
    f.ExpectSites(2, 0);

    // A site without accounting: every statement runs and deletes nothing.
    f.state.options.edIDSITECompta = "9";
    EXPECT_EQ(XiButton5Click(f.state), CleaningOutcome::Done);
    f.ExpectSites(2, 0);

    // A text that is no site number is refused before anything is asked.
    f.op.messages.clear();
    f.state.options.edIDSITECompta = "1 or 1=1";
    EXPECT_EQ(XiButton5Click(f.state), CleaningOutcome::Refused);
    EXPECT_EQ(f.op.messages, std::vector<std::string>{"Numéro de site incorrect : 1 or 1=1"});
    f.ExpectSites(2, 0);
}

TEST(SitePurge, ATableWithoutSiteEndsThePurgeThere) {
    SiteFixture f;
    f.tdb.Exec("drop table REMISES_CBS");
    f.tdb.Exec("create table REMISES_CBS (ID integer not null primary key)");
    EXPECT_EQ(PurgeSiteAccounting(f.state, 1), CleaningOutcome::Failed);
    ASSERT_EQ(f.op.log.size(), 1u);
    EXPECT_EQ(f.op.log[0].rfind("SUPPRESSION/", 0), 0u);
    EXPECT_NE(f.op.log[0].find("ID_SITE"), std::string::npos) << f.op.log[0];
    EXPECT_EQ(f.Count("RESTE_A_FACTURER", "ID_SITE=1"), 0);
    EXPECT_EQ(f.Count("REMISES_CBS_ECRITURES", "ID_SITE=1"), 2);
    EXPECT_EQ(f.Count("VERSEMENTS", "ID_SITE=1"), 2);
}

TEST(SitePurge, InterruptionTakesEffectAfterTheCurrentTable) {
    SiteFixture f;
    f.op.interruptAtWaitMessage = "Vide la table FACTURES...";
    EXPECT_EQ(PurgeSiteAccounting(f.state, 1), CleaningOutcome::Interrupted);
    EXPECT_EQ(f.Count("FACTURES", "ID_SITE=1"), 0);
    EXPECT_EQ(f.Count("PRELEVEMENTS_ORDRES", "ID_SITE=1"), 2);
    EXPECT_EQ(f.op.log, std::vector<std::string>{"SUPPRESSION/interruption de la procédure"});
}
