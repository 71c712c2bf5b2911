#pragma once
// The loyalty card of a client: rows of FIDELITE01 and the membership flag CLIENTS.FIDELITE.

#include "app/ImportStep.h"
#include "database/Statement.h"

#include <cstdint>

namespace clinova {

class TargetDatabase;

// What one line of CLIENTS.TXT says of the client's loyalty card.
struct LoyaltyCard {
    bool create = false;        // FIDELITE_CREER_CARTE is exactly "1"
    std::int32_t takings = 0;   // T: total takings including tax, hundredths
    std::int32_t rate = 0;      // P: loyalty rate, hundredths of a percent
    std::int32_t purchases = 0; // N: number of purchases
    std::int32_t credit = 0;    // the credit earned on T at P, hundredths
};

// The totals are read, as integers, only when the card is asked for; a field that is not one throws
// ConversionError, before anything of the line is written.
LoyaltyCard ReadLoyaltyCard(const StepLine &line);

// T / 100 / 100 * P, in single precision, rounded: 5 % of 1234.56 gives 6173.
std::int32_t LoyaltyCredit(std::int32_t takings, std::int32_t rate);

class ClientLoyalty {
public:
    ClientLoyalty(TargetDatabase &db, int siteID);

    // One FIDELITE01 row and the membership of the client, committed on their own: what was written before
    // is committed first, and a failure rolls back only this row and this membership. False on failure.
    bool doAddFidelite01(int clientID, int idUser, int pourcentage, int credit, int montant, int idFacture,
                         int idEcriture);

    // The rows of a new client: none without a card or without takings; otherwise an empty row for each
    // earlier purchase, then one row with the totals. A row that fails is left out silently, and so is every
    // row when the membership fails: the client is a member exactly when one of its rows is written. Row by
    // row through doAddFidelite01; when the line's writes travel together, as writes that follow the client's
    // row: the membership first, then the rows, each written only for a member, then the membership taken
    // back from a client none of whose rows was written.
    void AddLoyaltyRows(const StepLine &line, int clientID, const LoyaltyCard &card);

private:
    void SetRow(Statement &row, int clientID, int idUser, int pourcentage, int credit, int montant, int idFacture,
                int idEcriture);

    TargetDatabase &db_;
    int siteID_;
    Statement insert_;
    Statement membership_;
    Statement memberRow_;       // a row written only for a member
    Statement membershipUndone_; // a member without rows is none
};

} // namespace clinova
