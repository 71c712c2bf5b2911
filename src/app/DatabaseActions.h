#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace clinova {

struct RunState;

struct ImportOptions;

// Disconnects, opens the database named by the settings and starts its transaction. A connection that
// fails throws a DatabaseError whose text is ConnectionFailureLeadIn() followed by the server's message.
void OpenTargetDatabase(RunState &state);

// "Connexion impossible à la base de données : ", the start of the message of a failed connection.
const std::string &ConnectionFailureLeadIn();
// "Erreur de la base de données : ", the start of the message of a database error that ended an action.
const std::string &DatabaseErrorLeadIn();
// True for a message that begins with one of the two: the window shows it as an error.
bool IsDatabaseFailureText(std::string_view text);

// The database the settings name, as the questions name it: its path, and the server's address in IP mode
// ("... sur le serveur 192.168.1.10").
std::string TargetDatabaseText(const ImportOptions &options);

// The user the import falls back to: the user typed in edIDDefaultUser, or the first veterinarian.
void ResolveDefaultUser(RunState &state);

// The access test behind "Tester". False when it could not connect (the reason was shown).
bool btnTestClick(RunState &state);

// Closes the connection; a failure of the closing commit is shown, never thrown.
void CloseTargetDatabase(RunState &state);

// Ends an action that an error stopped: the connection is closed (what it still holds is committed; a
// second failure there is not shown over the first), then the error's text is shown in the plain box, after
// DatabaseErrorLeadIn() when the database raised it.
void EndActionOnError(RunState &state, const std::exception &error);

} // namespace clinova
