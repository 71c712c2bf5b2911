#pragma once
// Finding a client the database already holds: same name, first name, postcode and town, and at least one
// of the three main phone numbers in common (or no phone on either side).

#include <array>
#include <optional>
#include <string>

namespace clinova {

class Statement;
class TargetDatabase;

// The keys of one line of CLIENTS.TXT, taken from the file before any demo replacement. Empty when the
// header lacks the column.
struct ClientDuplicateKeys {
    std::string name;                  // NOM cut to 60, upper-cased
    std::string firstName;             // PRENOM cut to 60
    std::string postcode;              // CP1 cut to 10
    std::string town;                  // VILLE1 cut to 60, upper-cased
    std::array<std::string, 3> phones; // TELFAXNUM11..13 as the insert binds them
};

// Turns NULL into empty text in the seven compared columns of the existing clients, committing each
// update, so that a missing value of the database equals an empty field of the file.
void PrepareClientDeduplication(TargetDatabase &db);

// The text of QFind: the clients of the same name, first name, postcode and town, letter case and the
// blanks around the stored values ignored.
std::string FindDuplicateClientSQL();

// The ID of the first existing client that qualifies; none when the name key is blank.
std::optional<int> FindDuplicateClient(Statement &QFind, const ClientDuplicateKeys &keys);

} // namespace clinova
