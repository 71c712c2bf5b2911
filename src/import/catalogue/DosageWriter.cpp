#include "import/catalogue/DosageWriter.h"

#include "database/DatabaseError.h"
#include "database/TargetDatabase.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

namespace clinova {

namespace {

const char *const kQueryPoso = "insert into POSOS\n"
                               "(ID, ORIGINE, DISPO, ESPECE, POIDS_MIN, POIDS_MAX\n"
                               ", AGE_METHODE, AGE_MIN, AGE_MAX, POSOLOGIE, DELAIS_ATTENTE)\n"
                               "VALUES\n"
                               "(:ID, :ORIGINE, :DISPO, :ESPECE, :POIDS_MIN, :POIDS_MAX\n"
                               ", :AGE_METHODE, :AGE_MIN, :AGE_MAX, :POSOLOGIE, :DELAIS_ATTENTE)";

const char *const kQueryLink = "insert into LINK_POSOLOGIES\n"
                               "(ID, ID_POSOLOGIE, CIP, GTIN)\n"
                               "VALUES\n"
                               "(:ID, :ID_POSOLOGIE, :CIP, :GTIN)";

std::string UnavailableGenerator(const char *generator) {
    return FromUtf8("générateur ") + generator + " indisponible";
}

} // namespace

DosageWriter::DosageWriter(TargetDatabase &db)
    : db_(db), QueryPoso(db, kQueryPoso), QueryLink(db, kQueryLink), QueryForget(db, "delete from POSOS where ID=:ID") {
}

bool DosageWriter::AddDosage(std::string_view text, std::string_view gtin) {
    lastError_.clear();
    const int id = db_.GetNewIDInTransaction("GEN_POSOS");
    if (id == -1) {
        lastError_ = UnavailableGenerator("GEN_POSOS");
        return false;
    }
    bool dosageWritten = false;
    bool linkWritten = false;
    try {
        QueryPoso.SetInt("ID", id);
        QueryPoso.SetInt("ORIGINE", 0);
        QueryPoso.SetInt("DISPO", 1);
        QueryPoso.SetText("ESPECE", "");
        QueryPoso.SetDouble("POIDS_MIN", 0.0);
        QueryPoso.SetDouble("POIDS_MAX", 0.0);
        QueryPoso.SetInt("AGE_METHODE", 0);
        QueryPoso.SetNull("AGE_MIN");
        QueryPoso.SetNull("AGE_MAX");
        QueryPoso.SetText("POSOLOGIE", TrimTextBlankLines(text));
        QueryPoso.SetText("DELAIS_ATTENTE", "");
        QueryPoso.Execute();
        dosageWritten = true;

        const int linkID = db_.GetNewIDInTransaction("GEN_LINK_POSOLOGIES");
        if (linkID == -1)
            throw DatabaseError(UnavailableGenerator("GEN_LINK_POSOLOGIES"));
        QueryLink.SetInt("ID", linkID);
        QueryLink.SetInt("ID_POSOLOGIE", id);
        QueryLink.SetText("CIP", "");
        QueryLink.SetText("GTIN", Trim(gtin));
        QueryLink.Execute();
        linkWritten = true;
        return true;
    } catch (const std::exception &e) {
        lastError_ = e.what();
        // A dosage without its link belongs to no product: it would only clutter the product's table.
        if (dosageWritten && !linkWritten)
            Forget(id);
        return false;
    }
}

void DosageWriter::Forget(int dosageID) noexcept {
    try {
        QueryForget.SetInt("ID", dosageID);
        QueryForget.Execute();
    } catch (const std::exception &) {
        // The dosage stays, unlinked; the failure of AddDosage is what the caller reports.
    }
}

} // namespace clinova
