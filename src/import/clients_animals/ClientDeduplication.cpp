#include "import/clients_animals/ClientDeduplication.h"

#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "normalized/Conversions.h"

namespace clinova {

void PrepareClientDeduplication(TargetDatabase &db) {
    for (const char *column : {"NOM", "PRENOM", "TELFAXNUM11", "TELFAXNUM12", "TELFAXNUM13", "CP1", "VILLE1"}) {
        db.ExecuteImmediate(std::string("update CLIENTS set ") + column + "='' where (" + column + " is NULL)");
        db.CommitRetaining();
    }
}

std::string FindDuplicateClientSQL() {
    return "select ID, TELFAXNUM11, TELFAXNUM12, TELFAXNUM13\n"
           "from clients\n"
           "where (trim(upper(NOM))=upper(:NOM)) and (trim(upper(PRENOM))=upper(:PRENOM)) and "
           "(trim(upper(CP1))=upper(:CP)) and (trim(upper(VILLE1))=upper(:VILLE))";
}

namespace {

// One of the row's phones equals one of the line's, empty ones apart; or neither side has any.
bool PhonesMatch(const std::array<std::string, 3> &stored, const std::array<std::string, 3> &keys) {
    const auto allEmpty = [](const std::array<std::string, 3> &phones) {
        return phones[0].empty() && phones[1].empty() && phones[2].empty();
    };
    if (allEmpty(stored) && allEmpty(keys))
        return true;
    for (const auto &phone : stored) {
        if (phone.empty())
            continue;
        for (const auto &key : keys)
            if (!key.empty() && phone == key)
                return true;
    }
    return false;
}

} // namespace

std::optional<int> FindDuplicateClient(Statement &QFind, const ClientDuplicateKeys &keys) {
    if (Trim(keys.name).empty())
        return std::nullopt;
    QFind.Close();
    QFind.SetText("NOM", Trim(keys.name));
    QFind.SetText("PRENOM", Trim(keys.firstName));
    QFind.SetText("CP", Trim(keys.postcode));
    QFind.SetText("VILLE", Trim(keys.town));
    // Trimmed like the stored numbers: a number cut to 15 characters may end with a blank, which the
    // database keeps but the comparison drops on the stored side.
    const std::array<std::string, 3> phones = {Trim(keys.phones[0]), Trim(keys.phones[1]), Trim(keys.phones[2])};
    std::optional<int> found;
    for (bool row = QFind.Open(); row && !found; row = QFind.Next()) {
        const std::array<std::string, 3> stored = {
            Trim(QFind.GetText("TELFAXNUM11")), Trim(QFind.GetText("TELFAXNUM12")), Trim(QFind.GetText("TELFAXNUM13"))};
        if (PhonesMatch(stored, phones))
            found = QFind.GetInt("ID");
    }
    QFind.Close();
    return found;
}

} // namespace clinova
