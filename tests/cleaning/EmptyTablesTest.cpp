#include "cleaning/EmptyTables.h"
#include "cleaning/CleaningFixture.h"
#include "cleaning/CleaningTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace clinova;
using test::CleaningFixture;

namespace {

std::set<std::string> Distinct(const std::vector<std::string_view> &tables) {
    return {tables.begin(), tables.end()};
}

// The tables the wait window announced, in order, without the batch counts.
std::vector<std::string> AnnouncedTables(const std::vector<std::string> &messages) {
    std::vector<std::string> tables;
    const std::string prefix = "Vide la table ";
    for (const auto &m : messages)
        if (m.rfind(prefix, 0) == 0 && m.find('/') == std::string::npos)
            tables.push_back(m.substr(prefix.size(), m.size() - prefix.size() - 3));
    return tables;
}

void ExpectEmpty(const CleaningFixture &f, const std::set<std::string> &tables) {
    std::vector<std::string> queries;
    for (const auto &table : tables)
        queries.push_back(CleaningFixture::CountSql(table));
    const auto counts = f.Counts(queries);
    auto count = counts.begin();
    for (const auto &table : tables)
        EXPECT_EQ(*count++, 0) << table;
}

const char *const kInterruption = "SUPPRESSION/interruption de la procédure";

} // namespace

TEST(EmptyTables, ListsHoldTheirNamesWithTheirDuplicates) {
    EXPECT_EQ(TablesAViderTout().size(), 86u);
    EXPECT_EQ(Distinct(TablesAViderTout()).size(), 82u);
    for (const char *twice : {"CONSULT", "INTERVENTIONS", "RAPPELS", "FIDELITE01"})
        EXPECT_EQ(std::count(TablesAViderTout().begin(), TablesAViderTout().end(), twice), 2) << twice;
    EXPECT_EQ(TablesAViderComptaTousLesSites().size(), 23u);
    EXPECT_EQ(TablesAViderComptaDUnSite(), TablesAViderComptaTousLesSites());
    EXPECT_EQ(SiteGeneratorRestarts(2).front(), "ALTER SEQUENCE ID_S2_FACTURE RESTART WITH 0");
}

TEST(EmptyTables, EverythingGoesAndTheClientIdentifiersStartAgain) {
    CleaningFixture f;
    std::vector<std::string> fill;
    for (const auto &table : Distinct(TablesAViderTout()))
        fill.push_back(CleaningFixture::FillSql(table, 1, table == "CLIENTS" ? 250 : 2));
    fill.push_back(CleaningFixture::FillSql(kLinkFacturesEcritures, 1, 3));
    f.ExecAll(fill);
    f.SetGenerator("CURRENT_ID_CLIENT", 250);
    f.SetGenerator("CURRENT_ID_ANIMAL", 40);
    f.SetGenerator("LAST_NUM_FACTURE", 17);

    EXPECT_EQ(EmptyTables(f.state, true), CleaningOutcome::Done);
    EXPECT_TRUE(f.op.log.empty());
    ExpectEmpty(f, Distinct(TablesAViderTout()));
    EXPECT_EQ(f.Count(kLinkFacturesEcritures), 0);
    EXPECT_EQ(f.Count("ADMINISTRATION"), 1);

    // 250 clients: three batches counted by hundreds, one message per row deleted.
    EXPECT_EQ(f.op.Seen("Vide la table CLIENTS/100..."), 100);
    EXPECT_EQ(f.op.Seen("Vide la table CLIENTS/200..."), 100);
    EXPECT_EQ(f.op.Seen("Vide la table CLIENTS/300..."), 50);
    EXPECT_EQ(f.op.Seen("Vide la table CLIENTS/400..."), 0);
    EXPECT_EQ(f.op.Seen("Vide la table ANIMAUX/100..."), 2);
    EXPECT_EQ(f.op.Seen("Vide la table ARTICLES/100..."), 0);

    std::vector<std::string> expected(TablesAViderTout().begin(), TablesAViderTout().end());
    expected.push_back(std::string(kLinkFacturesEcritures));
    EXPECT_EQ(AnnouncedTables(f.op.waitMessages), expected);
    EXPECT_EQ(f.op.waitMessages.front(), "Vider les tables");

    // The next client and animal of an import get the first identifiers again; the invoice numbers go on.
    TargetDatabase db;
    db.Open(f.tdb.Path());
    EXPECT_EQ(db.GetNewID("CURRENT_ID_CLIENT"), 1);
    EXPECT_EQ(db.GetNewID("CURRENT_ID_ANIMAL"), 1);
    db.Close();
    EXPECT_EQ(f.Generator("LAST_NUM_FACTURE"), 17);

    EXPECT_FALSE(f.state.db.IsOpen());
    EXPECT_EQ(f.op.waitShown, 1);
    EXPECT_EQ(f.op.waitHidden, 1);
}

TEST(EmptyTables, SaufRdvKeepsTheAgendaAndSaufComptaDoesNotProtectTheAccountingHere) {
    CleaningFixture f;
    f.ExecAll({CleaningFixture::FillSql("RDV", 1, 5), CleaningFixture::FillSql("CLIENTS", 1, 3),
               CleaningFixture::FillSql("FACTURES", 1, 3), CleaningFixture::FillSql("ECRITURES", 1, 3),
               CleaningFixture::FillSql("ARTICLES", 1, 3), CleaningFixture::FillSql("FIDELITE01", 1, 3)});
    f.state.options.cbSaufRendezVous = true;
    f.state.options.cbSaufCompta = true;

    EXPECT_EQ(EmptyTables(f.state, true), CleaningOutcome::Done);
    EXPECT_EQ(f.Count("RDV"), 5);
    for (const char *table : {"CLIENTS", "FACTURES", "ECRITURES", "ARTICLES", "FIDELITE01"})
        EXPECT_EQ(f.Count(table), 0) << table;
    EXPECT_EQ(f.op.Seen("Vide la table RDV..."), 0);

    // The second question says what goes and what stays.
    ASSERT_EQ(f.op.messages.size(), 2u);
    EXPECT_NE(f.op.messages[1].find("les rendez-vous sont conservés"), std::string::npos) << f.op.messages[1];
    EXPECT_NE(f.op.messages[1].find("sauf compta"), std::string::npos) << f.op.messages[1];
}

TEST(EmptyTables, AccountingOfEverySiteAndItsNumbersStartAgain) {
    CleaningFixture f;
    std::vector<std::string> fill;
    for (const auto &table : Distinct(TablesAViderComptaTousLesSites())) {
        fill.push_back(CleaningFixture::FillSql(table, 1, 2, 1));
        fill.push_back(CleaningFixture::FillSql(table, 3, 4, 2));
    }
    fill.push_back("insert into LINK_FACTURES_ECRITURES (ID, IDFACTURE, IDECRITURE) values (1, 1, 1)");
    fill.push_back(CleaningFixture::FillSql("CLIENTS", 1, 3));
    fill.push_back(CleaningFixture::FillSql("CONSULT", 1, 3));
    f.ExecAll(fill);
    const std::vector<std::string> generators = {
        "LAST_NUM_FACTURE",   "LAST_NUM_BON_LIVRAISON", "LAST_NUM_AVOIR", "LAST_NUM_PRESTA", "LAST_NUM_DEVIS",
        "CURRENT_ID_FACTURE", "CURRENT_ID_ECRITURE",    "GEN_VERSEMENTS", "ID_S2_FACTURE",   "ID_S2_BON_LIVRAISON",
        "ID_S2_AVOIR",        "ID_S2_PRESTA",           "ID_S2_DEVIS",    "ID_S3_FACTURE",   "ID_S3_DEVIS"};
    for (const auto &g : generators)
        f.SetGenerator(g, 30);
    f.SetGenerator("CURRENT_ID_CLIENT", 77);

    EXPECT_EQ(EmptyTables(f.state, false), CleaningOutcome::Done);
    // The restarts of the number generators sites 3 to 100 lack fail one by one, silently.
    EXPECT_TRUE(f.op.log.empty());
    ExpectEmpty(f, Distinct(TablesAViderComptaTousLesSites()));
    // Links left behind would join the new invoices to the new receipts once their identifiers restart.
    EXPECT_EQ(f.Count(kLinkFacturesEcritures), 0);
    EXPECT_EQ(f.Count("CLIENTS"), 3);
    EXPECT_EQ(f.Count("CONSULT"), 3);
    for (const auto &g : generators)
        EXPECT_EQ(f.Generator(g), 0) << g;
    EXPECT_EQ(f.Generator("CURRENT_ID_CLIENT"), 77);

    std::vector<std::string> expected(TablesAViderComptaTousLesSites().begin(), TablesAViderComptaTousLesSites().end());
    expected.push_back(std::string(kLinkFacturesEcritures));
    EXPECT_EQ(AnnouncedTables(f.op.waitMessages), expected);
    ASSERT_EQ(f.op.messages.size(), 2u);
    EXPECT_NE(f.op.messages[1].find("Toute la comptabilité de tous les sites"), std::string::npos);
}

TEST(EmptyTables, SaufComptaMakesTheAccountingButtonDeleteNothing) {
    CleaningFixture f;
    f.ExecAll({CleaningFixture::FillSql("FACTURES", 1, 3, 1), CleaningFixture::FillSql("VERSEMENTS", 1, 3, 1)});
    f.SetGenerator("LAST_NUM_FACTURE", 9);
    f.state.options.cbSaufCompta = true;

    EXPECT_EQ(EmptyTables(f.state, false), CleaningOutcome::Done);
    EXPECT_EQ(f.Count("FACTURES"), 3);
    EXPECT_EQ(f.Count("VERSEMENTS"), 3);
    EXPECT_EQ(f.Generator("LAST_NUM_FACTURE"), 9);
    // Nothing will be deleted: only the question about the product being closed.
    EXPECT_EQ(f.op.messages, std::vector<std::string>{"\r\n\r\nAvez-vous fermé Clinova ?"});
    EXPECT_EQ(f.op.waitMessages, std::vector<std::string>{"Vider les tables"});
    EXPECT_EQ(f.op.waitHidden, 1);
    EXPECT_TRUE(f.op.log.empty());
}

TEST(EmptyTables, AMissingTableEndsTheActionWithItsSuppressionLine) {
    CleaningFixture f;
    f.tdb.Exec("drop table HOSPI");
    f.ExecAll({CleaningFixture::FillSql("ANIMAUX", 1, 3), CleaningFixture::FillSql("FACTURES", 1, 3),
               CleaningFixture::FillSql("CLIENTS", 1, 3), CleaningFixture::FillSql("HOSPITAL_LIST", 1, 3)});
    f.SetGenerator("CURRENT_ID_CLIENT", 50);

    EXPECT_EQ(EmptyTables(f.state, true), CleaningOutcome::Failed);
    ASSERT_EQ(f.op.log.size(), 1u);
    EXPECT_EQ(f.op.log[0].rfind("SUPPRESSION/", 0), 0u);
    EXPECT_NE(f.op.log[0].find("HOSPI"), std::string::npos) << f.op.log[0];
    // What came before stays emptied; nothing after the failing table runs.
    EXPECT_EQ(f.Count("ANIMAUX"), 0);
    EXPECT_EQ(f.Count("FACTURES"), 0);
    EXPECT_EQ(f.Count("HOSPITAL_LIST"), 3);
    EXPECT_EQ(f.Count("CLIENTS"), 3);
    EXPECT_EQ(f.Generator("CURRENT_ID_CLIENT"), 50);
    EXPECT_EQ(f.op.waitMessages.back(), "Vide la table HOSPI...");
    EXPECT_FALSE(f.state.db.IsOpen());
    EXPECT_EQ(f.op.waitHidden, 1);
}

TEST(EmptyTables, RowsWithoutIdentifierEndTheActionInsteadOfLoopingForEver) {
    CleaningFixture f;
    f.tdb.Exec("drop table FACTURES");
    f.tdb.Exec("create table FACTURES (ID integer, ID_SITE integer, DATE_FACTURE timestamp)");
    f.ExecAll({"insert into FACTURES (ID) values (null)", "insert into FACTURES (ID) values (7)",
               CleaningFixture::FillSql("CLIENTS", 1, 3)});

    EXPECT_EQ(EmptyTables(f.state, true), CleaningOutcome::Failed);
    EXPECT_EQ(f.op.log, std::vector<std::string>{"SUPPRESSION/la table FACTURES garde des lignes sans identifiant"});
    EXPECT_EQ(f.Count("FACTURES"), 1);
    EXPECT_EQ(f.Count("CLIENTS"), 3);
}

TEST(EmptyTables, InterruptionTakesEffectAfterTheCurrentTable) {
    {
        CleaningFixture f;
        f.ExecAll({CleaningFixture::FillSql("CLIENTS", 1, 250), CleaningFixture::FillSql("FIDELITE01", 1, 3)});
        f.SetGenerator("CURRENT_ID_CLIENT", 250);
        f.op.interruptAtWaitMessage = "Vide la table CLIENTS/100...";
        EXPECT_EQ(EmptyTables(f.state, true), CleaningOutcome::Interrupted);
        EXPECT_EQ(f.Count("CLIENTS"), 0);
        EXPECT_EQ(f.Count("FIDELITE01"), 3);
        EXPECT_EQ(f.Generator("CURRENT_ID_CLIENT"), 250);
        EXPECT_EQ(f.op.log, std::vector<std::string>{kInterruption});
    }
    {
        CleaningFixture f;
        f.ExecAll({CleaningFixture::FillSql("ARTICLES", 1, 2, 1), CleaningFixture::FillSql("ECRITURES", 1, 2, 1),
                   CleaningFixture::FillSql("FACTURES", 1, 2, 1)});
        f.SetGenerator("LAST_NUM_FACTURE", 12);
        f.op.interruptAtWaitMessage = "Vide la table ECRITURES";
        EXPECT_EQ(EmptyTables(f.state, false), CleaningOutcome::Interrupted);
        EXPECT_EQ(f.Count("ARTICLES"), 0);
        EXPECT_EQ(f.Count("ECRITURES"), 0);
        EXPECT_EQ(f.Count("FACTURES"), 2);
        EXPECT_EQ(f.Generator("LAST_NUM_FACTURE"), 12);
        EXPECT_EQ(f.op.log, std::vector<std::string>{kInterruption});
    }
}
