#include "import/clients_animals/AnimalDeduplication.h"

#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "normalized/Conversions.h"

namespace clinova {

void PrepareAnimalDeduplication(TargetDatabase &db) {
    db.ExecuteImmediate("update ANIMAUX set NOM='' where (NOM is NULL)");
    db.CommitRetaining();
    db.ExecuteImmediate("update ANIMAUX set ESPECE='' where (ESPECE is NULL)");
    db.CommitRetaining();
}

std::string FindDuplicateAnimalSQL() {
    return "select ID\n"
           "from animaux\n"
           "where (IDCLIENT=:IDCLIENT) and (trim(upper(NOM))=upper(:NOM)) and (trim(upper(ESPECE))=upper(:ESPECE))";
}

std::optional<int> FindDuplicateAnimal(Statement &QFind, int clientID, const std::string &nameKey,
                                       const std::string &speciesKey) {
    if (Trim(nameKey).empty())
        return std::nullopt;
    QFind.Close();
    QFind.SetInt("IDCLIENT", clientID);
    QFind.SetText("NOM", Trim(nameKey));
    QFind.SetText("ESPECE", Trim(speciesKey));
    std::optional<int> found;
    if (QFind.Open())
        found = QFind.GetInt("ID");
    QFind.Close();
    return found;
}

} // namespace clinova
