#include "app/DatabaseActions.h"

#include "app/RunState.h"
#include "database/DatabaseError.h"
#include "database/Statement.h"
#include "normalized/Conversions.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

namespace clinova {

namespace {

const char *const kFirstVeterinarian = "select ID, LOGINUSER from ADMINISTRATION where (TYPE_USER=0) order by ID";

void TakeFirstVeterinarian(RunState &state) {
    Statement query(state.db, kFirstVeterinarian);
    if (query.Open()) {
        state.IDDefaultUser = query.GetInt("ID");
        state.LoginDefaultUser = query.GetText("LOGINUSER");
    }
    query.Close();
}

} // namespace

void OpenTargetDatabase(RunState &state) {
    const ImportOptions &o = state.options;
    ConnectionSettings settings;
    settings.useIP = o.RadioButtonIP;
    settings.ip = {o.edIP1, o.edIP2, o.edIP3, o.edIP4};
    settings.path = o.edPathNameDatabase;
    try {
        state.db.Open(DatabaseName(settings));
    } catch (const DatabaseError &e) {
        // The client library's own text is often English: the operator first reads what failed.
        throw DatabaseError(ConnectionFailureLeadIn() + e.what(), e.Code());
    }
    state.db.SetCommitPolicy(o.Commits());
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
    // An error of the database names what failed before the server's own, often English, words.
    if (dynamic_cast<const DatabaseError *>(&error) && !IsDatabaseFailureText(text))
        state.op.ShowMessage(DatabaseErrorLeadIn() + text);
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

} // namespace clinova
