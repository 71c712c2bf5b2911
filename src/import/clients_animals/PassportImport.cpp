#include "import/clients_animals/PassportImport.h"

#include "app/ImportStep.h"
#include "database/TargetDatabase.h"
#include "normalized/Conversions.h"

namespace clinova {

namespace {

// The animal's and the owner's columns are read by the insert itself, so that the passport travels with its
// animal's row instead of waiting for it to be written and read back.
const char *const kInsertSQL =
    "insert into passeports\n"
    "(ID, ID_SITE, IDANIMAL, NUMERO_PASSEPORT, ESPECE, IDENTIFICATION, ADRESSE, PROPRIETAIRE, CP, VILLE, REMARQUE, "
    "DATE_DELIVRANCE, DELIVRE_PAR, PAR_MON_ETABLISSEMENT, NOM_ANIMAL)\n"
    "select :ID, :ID_SITE, a.ID, :NUMERO_PASSEPORT, coalesce(a.ESPECE, ''), "
    "coalesce(nullif(trim(a.PUCE_NUM), ''), trim(a.TATOUNUM), ''), coalesce(c.RUE1, ''), "
    "trim(coalesce(c.TITRE, '')) || ' ' || trim(coalesce(c.NOM, '')), coalesce(c.CP1, ''), coalesce(c.VILLE1, ''), "
    "'', :DATE_DELIVRANCE, '', 1, coalesce(a.NOM, '')\n"
    "from animaux a join clients c on c.ID = :IDCLIENT\n"
    "where a.ID = :IDANIMAL";

} // namespace

PassportImport::PassportImport(TargetDatabase &db, int siteID) : db_(db), siteID_(siteID), insert_(db, kInsertSQL) {}

int PassportImport::DrawID(const std::string &passportNumber, const std::string &dateText) {
    if (Trim(passportNumber).empty() || dateText.empty())
        return -1;
    return db_.GetNewID("CURRENT_PASSEPORT");
}

void PassportImport::doAddPasseport(const StepLine &line, int passportID, const std::string &passportNumber,
                                    const std::string &dateText, int clientID, int animalID) {
    if (passportID == -1)
        return;
    const Date issued = ParseDateDMY(dateText);
    insert_.ClearParameters();
    insert_.SetInt("ID", passportID);
    insert_.SetInt("ID_SITE", siteID_);
    insert_.SetInt("IDANIMAL", animalID);
    insert_.SetInt("IDCLIENT", clientID);
    insert_.SetText("NUMERO_PASSEPORT", passportNumber);
    insert_.SetDate("DATE_DELIVRANCE", issued);
    line.Write(insert_);
}

} // namespace clinova
