#include "cleaning/AccountingPurge.h"
#include "cleaning/CleaningFixture.h"

#include <gtest/gtest.h>

using namespace clinova;
using test::CleaningFixture;

namespace {

const char *const kFinalMessage = "Il faudra recalculer tous les soldes des comptes clients : menu "
                                  "\"Divers/Outils/Recalculer les soldes des comptes clients\"";

// The day is 10/03/2021. Invoices: 1 the day before, paid by receipt 1 of the day itself; 2 long before,
// unpaid; 3 on the day at 10:00; 4 before, paid by a receipt that no longer exists.
// Receipts: 1 on the day; 2 before, paying invoice 2; 3 before, paying invoice 1; 4 before, paying
// invoice 3. Links: 1 (invoice 2, receipt 2), 2 (invoice 2, receipt 4), 3 (invoice 1, receipt 1),
// 4 (invoice 99, receipt 99).
struct PurgeFixture : CleaningFixture {
    std::vector<std::string> etapes;
    EtapeLabel lbEtape = [this](const std::string &text) { etapes.push_back(ToUtf8(text)); };

    PurgeFixture() {
        state.options.DateTimePicker = {2021, 3, 10};
        ExecAll({
            "insert into FACTURES (ID, ID_SITE, DATE_FACTURE) values (1, 1, '2021-03-09 18:00:00')",
            "insert into FACTURES (ID, ID_SITE, DATE_FACTURE) values (2, 1, '2020-06-01 09:00:00')",
            "insert into FACTURES (ID, ID_SITE, DATE_FACTURE) values (3, 1, '2021-03-10 10:00:00')",
            "insert into FACTURES (ID, ID_SITE, DATE_FACTURE) values (4, 1, '2021-02-01 09:00:00')",
            "insert into ECRITURES (ID, ID_SITE, DATE_MOUVEMENT) values (1, 1, '2021-03-10 00:00:00')",
            "insert into ECRITURES (ID, ID_SITE, DATE_MOUVEMENT) values (2, 1, '2021-03-05 00:00:00')",
            "insert into ECRITURES (ID, ID_SITE, DATE_MOUVEMENT) values (3, 1, '2021-03-05 00:00:00')",
            "insert into ECRITURES (ID, ID_SITE, DATE_MOUVEMENT) values (4, 1, '2021-02-01 00:00:00')",
            "insert into VERSEMENTS (ID_VERSEMENT, ID_FACTURE, ID_ECRITURE) values (1, 1, 1)",
            "insert into VERSEMENTS (ID_VERSEMENT, ID_FACTURE, ID_ECRITURE) values (2, 2, 2)",
            "insert into VERSEMENTS (ID_VERSEMENT, ID_FACTURE, ID_ECRITURE) values (3, 1, 3)",
            "insert into VERSEMENTS (ID_VERSEMENT, ID_FACTURE, ID_ECRITURE) values (4, 3, 4)",
            "insert into VERSEMENTS (ID_VERSEMENT, ID_FACTURE, ID_ECRITURE) values (5, 4, 99)",
            "insert into LINK_FACTURES_ECRITURES (ID, IDFACTURE, IDECRITURE) values (1, 2, 2)",
            "insert into LINK_FACTURES_ECRITURES (ID, IDFACTURE, IDECRITURE) values (2, 2, 4)",
            "insert into LINK_FACTURES_ECRITURES (ID, IDFACTURE, IDECRITURE) values (3, 1, 1)",
            "insert into LINK_FACTURES_ECRITURES (ID, IDFACTURE, IDECRITURE) values (4, 99, 99)",
        });
    }

    // The last progress message of a pass.
    std::string LastOf(const std::string &pass) const {
        std::string last;
        for (const auto &m : op.waitMessages)
            if (m.rfind(pass + " suppression ", 0) == 0)
                last = m;
        return last;
    }

    void ExpectPurged() const {
        // Invoice 1 is kept by its receipt of the day, invoice 3 is not before the day.
        EXPECT_EQ(Ids("FACTURES"), (std::vector<int>{1, 3}));
        // Receipt 1 is not before the day; receipt 4 pays an invoice of the day. Receipt 3 goes although the
        // invoice it pays was kept.
        EXPECT_EQ(Ids("ECRITURES"), (std::vector<int>{1, 4}));
        // Link 2 keeps its receipt, link 3 both sides; links 1 and 4 point at nothing.
        EXPECT_EQ(Ids("LINK_FACTURES_ECRITURES"), (std::vector<int>{2, 3}));
        EXPECT_EQ(Count("VERSEMENTS"), 5);
    }
};

} // namespace

TEST(AccountingPurge, KeepsWhatThePeriodAfterTheDayNeeds) {
    PurgeFixture f;
    EXPECT_EQ(XiButton4Click(f.state, f.lbEtape), CleaningOutcome::Done);
    f.ExpectPurged();

    EXPECT_EQ(f.LastOf("Nettoyage factures"), "Nettoyage factures suppression 2 sur 3");
    EXPECT_EQ(f.LastOf("Nettoyage encaissements"), "Nettoyage encaissements suppression 2 sur 3");
    EXPECT_EQ(f.LastOf("Nettoyage links"), "Nettoyage links suppression 2 sur 2");
    ASSERT_GE(f.op.waitMessages.size(), 2u);
    EXPECT_EQ(f.op.waitMessages[0], "Nettoyage");
    EXPECT_EQ(f.op.waitMessages[1], "Nettoyage factures");

    EXPECT_EQ(f.etapes, (std::vector<std::string>{"suppressions en cours", "opération terminée"}));
    EXPECT_TRUE(f.op.log.empty());
    ASSERT_EQ(f.op.messages.size(), 3u);
    EXPECT_NE(f.op.messages[1].find("10/03/2021"), std::string::npos) << f.op.messages[1];
    EXPECT_EQ(f.op.messages[2], kFinalMessage);
    EXPECT_FALSE(f.state.db.IsOpen());
}

TEST(AccountingPurge, AnErrorIsLoggedAndTheFinalMessageStillShown) {
    PurgeFixture f;
    f.tdb.Exec("drop table VERSEMENTS");
    EXPECT_EQ(XiButton4Click(f.state, f.lbEtape), CleaningOutcome::Failed);
    ASSERT_EQ(f.op.log.size(), 1u);
    EXPECT_EQ(f.op.log[0].rfind("SUPPRESSION/", 0), 0u);
    EXPECT_NE(f.op.log[0].find("VERSEMENTS"), std::string::npos) << f.op.log[0];
    EXPECT_EQ(f.etapes, std::vector<std::string>{"suppressions en cours"});
    EXPECT_EQ(f.op.messages.back(), kFinalMessage);
    EXPECT_EQ(f.Count("FACTURES"), 4);
}

TEST(AccountingPurge, InterruptingDoesNotStopThePurge) {
    PurgeFixture f;
    f.op.interruptAtWaitMessage = "Nettoyage factures";
    EXPECT_EQ(XiButton4Click(f.state, f.lbEtape), CleaningOutcome::Interrupted);
    f.ExpectPurged();
    EXPECT_EQ(f.op.log, std::vector<std::string>{"SUPPRESSION/interruption de la procédure"});
    // The log line takes the place of the final message.
    EXPECT_EQ(f.op.messages.size(), 2u);
}
