#pragma once

#include "database/DatabaseBackup.h"
#include "database/TargetDatabase.h"
#include "normalized/DateTime.h"

#include <exception>
#include <string>
#include <string_view>

namespace clinova {

struct ImportOptions;
struct RunState;

// Where the settings say the target database is: a local path, or a path on the server at the window's address.
ConnectionSettings TargetConnection(const ImportOptions &options);

// Disconnects, opens the database named by the settings and starts its transaction. A connection that
// fails throws a DatabaseError whose text is ConnectionFailureLeadIn() followed by what happened and what to do
// (DatabaseError::Explanation) and, on the next line, the server's message. A local path that names another
// machine ("C:\..." outside Windows, "machine:chemin") is refused so before any connection.
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
// DatabaseErrorLeadIn() and the explanation of its code when the database raised it.
void EndActionOnError(RunState &state, const std::exception &error);

// The progress of a backup (or of a restore) as the wait window and the command line show it: "Sauvegarde : table
// 3/40 CLIENTS : 1200 lignes (45210 en tout)", the structure read before the rows, the end after them.
std::string ServiceProgressText(const BackupProgress &progress, bool restore);

// The backup file of a database made at that moment: beside it (the folder of its path, '/' or '\\'), named after
// it and the date and time: BASE.CN2 gives BASE_20240305_090703.fbk.
std::string DefaultBackupPath(const std::string &databasePath, const DateTime &now);

// The file the backup before an action goes to: edPathSauvegarde as typed, or, when it is empty, the default
// file of that moment, with "_2", "_3"... added when a file of that name is already there.
std::string BackupFilePath(const ImportOptions &options, const DateTime &now);

enum class BackupOutcome {
    Ready,       // no backup asked, or the backup is written: the action may start
    Failed,      // the backup failed (logged and shown): the action must not start
    Interrupted, // the operator interrupted during the backup, which was finished: the action must not start
};

// The backup the import and the actions that delete make first when "Sauvegarder la base avant" is ticked,
// through the services API of the database's location. The wait window shows its progress, the log its start
// and its end; a failure is logged ("SAUVEGARDE/" and the error) and shown.
BackupOutcome BackupBeforeAction(RunState &state);

// Restores a backup file into the database the settings name, which must not exist yet. False when it failed
// (logged and shown).
bool RestoreBackup(RunState &state, const std::string &backupFile);

} // namespace clinova
