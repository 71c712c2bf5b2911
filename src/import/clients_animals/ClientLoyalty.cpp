#include "import/clients_animals/ClientLoyalty.h"

#include "database/DatabaseError.h"
#include "database/TargetDatabase.h"
#include "normalized/Conversions.h"
#include "normalized/DateTime.h"

namespace clinova {

namespace {

// A FIDELITE01 row as its insert names it: the columns, then their values.
const std::string kRowColumns = "insert into FIDELITE01\n"
                                "(ID, WHAT, DT, ID_CLIENT, ID_SITE\n"
                                ", ID_ECRITURE, ID_FACTURE, ID_USER, MONTANT, POURCENTAGE, CREDIT, DONE, INFOS)\n";
const std::string kRowValues = ":ID, :WHAT, :DT, :ID_CLIENT, :ID_SITE\n"
                               ", :ID_ECRITURE, :ID_FACTURE, :ID_USER, :MONTANT, :POURCENTAGE, :CREDIT, :DONE, :INFOS";

std::int32_t TotalField(const StepLine &line, std::string_view column) {
    return line.Has(column) ? StrToInt(line.Field(column)) : 0;
}

} // namespace

LoyaltyCard ReadLoyaltyCard(const StepLine &line) {
    LoyaltyCard card;
    card.create = line.Has("FIDELITE_CREER_CARTE") && line.Field("FIDELITE_CREER_CARTE") == "1";
    if (card.create) {
        card.takings = TotalField(line, "FIDELITE_TOTAL_ENCAISSEMENT_TTC_INT100");
        card.rate = TotalField(line, "FIDELITE_POURCENTAGE_INT100");
        card.purchases = TotalField(line, "FIDELITE_TOTAL_ACHATS");
        // Computed here so that a credit out of range fails the line before the client is written.
        card.credit = LoyaltyCredit(card.takings, card.rate);
    }
    return card;
}

std::int32_t LoyaltyCredit(std::int32_t takings, std::int32_t rate) {
    const long double credit = static_cast<long double>(takings) / 100 / 100 * rate;
    return RoundToInt(static_cast<float>(credit));
}

ClientLoyalty::ClientLoyalty(TargetDatabase &db, int siteID)
    : db_(db), siteID_(siteID),
      insert_(db, kRowColumns + "VALUES\n(" + kRowValues + ")"),
      membership_(db, "update clients set fidelite=1 where (id=:ID) and (fidelite<>1)"),
      memberRow_(db, kRowColumns + "select " + kRowValues +
                         "\nfrom rdb$database where exists (select 1 from clients where ID=:ID_CLIENT and FIDELITE=1)"),
      membershipUndone_(db, "update clients set fidelite=0 where (id=:ID) and (fidelite=1) "
                            "and not exists (select 1 from FIDELITE01 where ID_CLIENT=:ID)") {}

void ClientLoyalty::SetRow(Statement &row, int clientID, int idUser, int pourcentage, int credit, int montant,
                           int idFacture, int idEcriture) {
    row.SetInt("ID", db_.DrawNewID("GEN_FIDELITE01"));
    row.SetInt("WHAT", 1);
    row.SetDateTime("DT", Now());
    row.SetInt("ID_CLIENT", clientID);
    row.SetInt("ID_SITE", siteID_);
    row.SetInt("ID_ECRITURE", idEcriture);
    row.SetInt("ID_FACTURE", idFacture);
    row.SetInt("ID_USER", idUser);
    row.SetInt("MONTANT", montant);
    row.SetInt("POURCENTAGE", pourcentage);
    row.SetInt("CREDIT", credit);
    row.SetInt("DONE", 0);
    row.SetText("INFOS", "");
}

bool ClientLoyalty::doAddFidelite01(int clientID, int idUser, int pourcentage, int credit, int montant, int idFacture,
                                    int idEcriture) {
    // A savepoint keeps the undo of a failed loyalty row to that row alone, whatever the rows written
    // before it and not committed yet.
    try {
        db_.ExecuteImmediate("SAVEPOINT FIDELITE01_ROW");
    } catch (const std::exception &) {
        return false;
    }
    try {
        insert_.Close();
        SetRow(insert_, clientID, idUser, pourcentage, credit, montant, idFacture, idEcriture);
        insert_.Execute();
        membership_.SetInt("ID", clientID);
        membership_.Execute();
        db_.ExecuteImmediate("RELEASE SAVEPOINT FIDELITE01_ROW");
        return true;
    } catch (const std::exception &) {
        try {
            db_.ExecuteImmediate("ROLLBACK TO SAVEPOINT FIDELITE01_ROW");
        } catch (const std::exception &) {
            // The connection itself has failed: the next statement of the step reports it.
        }
        return false;
    }
}

void ClientLoyalty::AddLoyaltyRows(const StepLine &line, int clientID, const LoyaltyCard &card) {
    if (!card.create || card.takings <= 0)
        return;
    if (!line.WritesTravelTogether()) {
        for (int i = 1; i < card.purchases; ++i)
            doAddFidelite01(clientID, 1, card.rate, 0, 0, -1, -1);
        doAddFidelite01(clientID, 1, card.rate, card.credit, card.takings, -1, -1);
        return;
    }
    // Refusals are dropped when the rows are sent; a failure now leaves that write out, as its refusal would.
    const auto write = [&](Statement &statement, const auto &set) {
        try {
            set();
            line.WriteIgnoringRefusal(statement);
        } catch (const MainRowRefused &) {
            throw;
        } catch (const DatabaseError &e) {
            if (e.ConnectionLost())
                throw;
        } catch (const std::exception &) {
        }
    };
    line.AfterMainRow([&] {
        write(membership_, [&] { membership_.SetInt("ID", clientID); });
        for (int i = 1; i <= std::max(card.purchases, 1); ++i) {
            const bool last = i >= card.purchases;
            write(memberRow_, [&] {
                SetRow(memberRow_, clientID, 1, card.rate, last ? card.credit : 0, last ? card.takings : 0, -1, -1);
            });
        }
        write(membershipUndone_, [&] { membershipUndone_.SetInt("ID", clientID); });
    });
}

} // namespace clinova
