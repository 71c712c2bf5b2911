#include "app/DatabaseActions.h"

#include "app/RunState.h"
#include "app/RunSummary.h"
#include "database/DatabaseError.h"
#include "database/DatabaseBackup.h"
#include "database/Statement.h"
#include "normalized/Conversions.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <chrono>
#include <filesystem>
#include <functional>

namespace clinova {

namespace {

const char *const kFirstVeterinarian = "select ID, LOGINUSER from ADMINISTRATION where (TYPE_USER=0) order by ID";

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool PathTaken(const std::string &path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// Runs one service of the database's location with the wait window showing its progress.
void RunService(RunState &state, const std::string &firstMessage, bool restore,
                const std::function<void(DatabaseBackup &, const DatabaseBackup::Progress &)> &service) {
    Operator &op = state.op;
    WaitShown wait(op);
    op.SetWaitMessage(firstMessage);
    op.ProcessPendingMessages();
    DatabaseBackup backup(TargetConnection(state.options));
    service(backup, [&](const BackupProgress &progress) {
        const std::string text = ServiceProgressText(progress, restore);
        // The bar counts the tables; the end of the work fills it.
        const bool rows = progress.phase != BackupProgress::Phase::Definitions;
        const bool end = progress.phase == BackupProgress::Phase::Finishing;
        op.ServiceProgress({text, end ? progress.tables : rows ? progress.table : 0, rows ? progress.tables : 0});
        op.ProcessPendingMessages();
    });
}

void TakeFirstVeterinarian(RunState &state) {
    Statement query(state.db, kFirstVeterinarian);
    if (query.Open()) {
        state.IDDefaultUser = query.GetInt("ID");
        state.LoginDefaultUser = query.GetText("LOGINUSER");
    }
    query.Close();
}

// What the database error means for the technician, then the server's own text for the expert; the server's
// text alone when the error is not one the table explains.
std::string ExplainedText(const DatabaseError &error) {
    const std::string explanation = error.Explanation();
    if (explanation.empty())
        return error.what();
    return explanation + "\n" + FromUtf8("Message du serveur : ") + error.what();
}

// A local path the client would read as another machine's: "C:\..." outside Windows is a host "C", and
// "machine:chemin" goes to that machine. Empty when the path is one of this computer.
std::string ForeignPathText(const ImportOptions &options) {
    if (options.RadioButtonIP)
        return {};
    const std::string &path = options.edPathNameDatabase;
    const auto colon = path.find(':');
    if (colon == std::string::npos)
        return {};
    const std::string before = path.substr(0, colon);
    if (before.find_first_of("/\\") != std::string::npos)
        return {};
    const std::string server = FromUtf8("« La base de données est sur l'ordinateur dont l'adresse IP est : » "
                                        "(--server) avec l'adresse du serveur");
#ifndef _WIN32
    if (before.size() == 1)
        return FromUtf8("le chemin « ") + path +
               FromUtf8(" » est celui d'un ordinateur Windows, pas de cet ordinateur : choisir ") + server +
               FromUtf8(", ou donner le chemin de la base sur cet ordinateur (--database).");
#endif
    if (before.size() < 2)
        return {};
    return FromUtf8("le chemin « ") + path + FromUtf8(" » désigne une base sur l'ordinateur « ") + before +
           FromUtf8(" » : choisir ") + server + FromUtf8(" et le chemin tel que ce serveur le voit.");
}

} // namespace

ConnectionSettings TargetConnection(const ImportOptions &o) {
    ConnectionSettings settings;
    settings.useIP = o.RadioButtonIP;
    settings.ip = {o.edIP1, o.edIP2, o.edIP3, o.edIP4};
    settings.path = o.edPathNameDatabase;
    return settings;
}

void OpenTargetDatabase(RunState &state) {
    if (const std::string foreign = ForeignPathText(state.options); !foreign.empty())
        throw DatabaseError(ConnectionFailureLeadIn() + foreign);
    try {
        state.db.Open(DatabaseName(TargetConnection(state.options)),
                      {state.options.cbCommitParLigne ? CommitPolicy::Strict : CommitPolicy::Grouped,
                       state.options.cbEnvoisGroupes});
    } catch (const DatabaseError &e) {
        // The client library's own text is often English: the operator first reads what failed and what to do.
        throw e.Reworded(ConnectionFailureLeadIn() + ExplainedText(e));
    }
    state.op.ProcessPendingMessages();
}

const std::string &ConnectionFailureLeadIn() {
    static const std::string leadIn = FromUtf8("Connexion impossible à la base de données : ");
    return leadIn;
}

const std::string &DatabaseErrorLeadIn() {
    static const std::string leadIn = FromUtf8("Erreur de la base de données : ");
    return leadIn;
}

bool IsDatabaseFailureText(std::string_view text) {
    return text.substr(0, ConnectionFailureLeadIn().size()) == ConnectionFailureLeadIn() ||
           text.substr(0, DatabaseErrorLeadIn().size()) == DatabaseErrorLeadIn();
}

std::string TargetDatabaseText(const ImportOptions &options) {
    if (!options.RadioButtonIP)
        return options.edPathNameDatabase;
    return options.edPathNameDatabase + " sur le serveur " + Trim(options.edIP1) + "." + Trim(options.edIP2) + "." +
           Trim(options.edIP3) + "." + Trim(options.edIP4);
}

void CloseTargetDatabase(RunState &state) {
    try {
        state.db.Close();
    } catch (const std::exception &e) {
        state.op.ShowMessage(e.what());
    }
}

void EndActionOnError(RunState &state, const std::exception &error) {
    try {
        state.db.Close();
    } catch (const std::exception &) {
        // The error that ended the action is the one the operator needs to see.
    }
    state.op.ProcessPendingMessages();
    const std::string text = error.what();
    if (dynamic_cast<const ProgramError *>(&error)) {
        state.op.ShowMessage(FromUtf8("Erreur interne du programme, l'action est arrêtée : ") + text +
                             FromUtf8("#Les lignes validées jusque-là restent dans la base ; merci de signaler "
                                      "cette erreur."));
        return;
    }
    // An error of the database names what failed before the server's own, often English, words.
    const auto *database = dynamic_cast<const DatabaseError *>(&error);
    if (database && !IsDatabaseFailureText(text))
        state.op.ShowMessage(DatabaseErrorLeadIn() + ExplainedText(*database));
    else
        state.op.ShowMessage(text);
}

void ResolveDefaultUser(RunState &state) {
    const std::string &typed = state.options.edIDDefaultUser;
    if (TrimView(typed).empty()) {
        TakeFirstVeterinarian(state);
        return;
    }
    // The typed identifier is read as a number and bound, never pasted into the statement.
    const auto id = TryStrToInt(TrimView(typed));
    try {
        if (!id)
            throw ConversionError(typed);
        Statement query(state.db, "select ID, LOGINUSER from ADMINISTRATION where ID=:ID");
        query.SetInt("ID", *id);
        if (query.Open()) {
            state.IDDefaultUser = query.GetInt("ID");
            state.LoginDefaultUser = query.GetText("LOGINUSER");
        } else {
            state.op.ShowMessage("ID default USER inconnu dans la base");
        }
        query.Close();
    } catch (const std::exception &) {
        state.op.ShowMessage("ID default USER inconnu dans la base : exception");
    }
}

bool btnTestClick(RunState &state) {
    state.IDDefaultUser = -1;
    state.LoginDefaultUser.clear();
    try {
        OpenTargetDatabase(state);
        TakeFirstVeterinarian(state);
        if (state.IDDefaultUser == -1)
            state.op.ShowInfoMessage(
                FromUtf8("Aucun vétérinaire n'existe#dans la base de données.#Il faut créer cet utilisateur"));
        else
            state.op.ShowInfoMessage(FromUtf8("##Accès à la base de données : OK"));
        state.db.CommitRetaining();
        state.op.ProcessPendingMessages();
        state.db.Close();
        state.op.ProcessPendingMessages();
        return true;
    } catch (const std::exception &e) {
        EndActionOnError(state, e);
        return false;
    }
}

std::string ServiceProgressText(const BackupProgress &progress, bool restore) {
    const std::string action = restore ? "Restauration : " : "Sauvegarde : ";
    switch (progress.phase) {
    case BackupProgress::Phase::Definitions:
        return action + FromUtf8(restore ? "création de la structure de la base (" : "lecture de la structure de la base (") +
               std::to_string(progress.tables) + " tables)";
    case BackupProgress::Phase::Rows:
        return action + FromUtf8(fmt::format("table {}/{} ", progress.table, progress.tables)) + progress.tableName +
               " : " + CountText(progress.tableRows, "ligne", "lignes") + " (" + std::to_string(progress.rows) +
               " en tout)";
    case BackupProgress::Phase::Finishing:
        break;
    }
    return action + FromUtf8(restore ? "création des index et des droits (" : "fin de l'écriture (") +
           CountText(progress.rows, "ligne", "lignes") + " en tout)";
}

std::string DefaultBackupPath(const std::string &databasePath, const DateTime &now) {
    const auto cut = databasePath.find_last_of("/\\");
    const std::size_t nameStart = cut == std::string::npos ? 0 : cut + 1;
    std::string name = databasePath.substr(nameStart);
    if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.erase(dot);
    const Date &d = now.date;
    return databasePath.substr(0, nameStart) + name +
           fmt::format("_{:04}{:02}{:02}_{:02}{:02}{:02}.fbk", d.year, d.month, d.day, now.hour, now.minute,
                       now.second);
}

std::string BackupFilePath(const ImportOptions &options, const DateTime &now) {
    if (!TrimView(options.edPathSauvegarde).empty())
        return options.edPathSauvegarde;
    const std::string path = DefaultBackupPath(options.edPathNameDatabase, now);
    // Two actions in the same second must not end in a refusal of the second backup.
    const std::string stem = path.substr(0, path.size() - 4);
    std::string free = path;
    for (int n = 2; PathTaken(free) && n < 1000; ++n)
        free = stem + "_" + std::to_string(n) + ".fbk";
    return free;
}

BackupOutcome BackupBeforeAction(RunState &state) {
    if (!state.options.cbSauvegardeAvant)
        return BackupOutcome::Ready;
    Operator &op = state.op;
    const std::string file = BackupFilePath(state.options, Now());
    const std::string database = state.options.edPathNameDatabase;
    op.AddToLog(FromUtf8("Sauvegarde de la base de données dans ") + file);
    const auto started = std::chrono::steady_clock::now();
    try {
        RunService(state, FromUtf8("Sauvegarde de la base de données..."), false,
                   [&](DatabaseBackup &backup, const DatabaseBackup::Progress &progress) {
                       backup.Backup(database, file, progress);
                   });
    } catch (const std::exception &e) {
        op.AddToLog(std::string("SAUVEGARDE/") + e.what());
        op.ShowMessage(FromUtf8("La sauvegarde de la base de données a échoué, rien n'a été modifié : ") +
                       e.what());
        return BackupOutcome::Failed;
    }
    op.AddToLog(FromUtf8(fmt::format("Sauvegarde terminée en {:.1f} s : ", SecondsSince(started))) + file);
    state.backupWritten = file;
    // The service cannot be stopped half-way: an interruption lets the backup end, then keeps the action from
    // starting.
    if (op.Interrupted()) {
        op.AddToLog(FromUtf8("SAUVEGARDE/interruption de la procédure"));
        return BackupOutcome::Interrupted;
    }
    return BackupOutcome::Ready;
}

bool RestoreBackup(RunState &state, const std::string &backupFile) {
    Operator &op = state.op;
    const std::string database = state.options.edPathNameDatabase;
    op.AddToLog("Restauration de " + backupFile + " dans " + database);
    const auto started = std::chrono::steady_clock::now();
    try {
        RunService(state, "Restauration de la sauvegarde...", true,
                   [&](DatabaseBackup &backup, const DatabaseBackup::Progress &progress) {
                       backup.Restore(backupFile, database, progress);
                   });
    } catch (const std::exception &e) {
        op.AddToLog(std::string("RESTAURATION/") + e.what());
        op.ShowMessage(FromUtf8("La restauration de la sauvegarde a échoué : ") + e.what());
        return false;
    }
    op.AddToLog(FromUtf8(fmt::format("Restauration terminée en {:.1f} s : ", SecondsSince(started))) + database);
    return true;
}

} // namespace clinova
