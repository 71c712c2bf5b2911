#pragma once
// Finding an animal the client already has: same name and same species, letter case and the blanks around
// the values ignored, whatever the other columns say.

#include <optional>
#include <string>

namespace clinova {

class Statement;
class TargetDatabase;

// Turns NULL into empty text in the two compared columns of the existing animals, committing each update,
// so that a missing value of the database equals an empty field of the file.
void PrepareAnimalDeduplication(TargetDatabase &db);

// The text of QFind.
std::string FindDuplicateAnimalSQL();

// The ID of the first animal of the client with that name and species; none when the name key is blank.
// Animals inserted earlier in the same run count: they are in the same transaction.
std::optional<int> FindDuplicateAnimal(Statement &QFind, int clientID, const std::string &nameKey,
                                       const std::string &speciesKey);

} // namespace clinova
