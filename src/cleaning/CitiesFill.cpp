#include "cleaning/CitiesFill.h"

#include "app/DatabaseActions.h"
#include "app/RunState.h"
#include "database/DatabaseSetup.h"
#include "database/Statement.h"
#include "import/catalogue/Cities.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

#include <set>
#include <string>
#include <utility>

namespace clinova {

namespace {

const char *const kClientsTowns = "select distinct (ville1) ville, cp1 cp from clients";

// Fills the towns table from the clients' addresses on the open connection.
void FillFromClients(TargetDatabase &db) {
    EmptyVilles(db);
    Statement Q1(db, kClientsTowns);
    Statement QVille(db, kQVille);
    // The clients write a town in several ways ("La Rochelle", "LA ROCHELLE "): once upper-cased and
    // trimmed they are the same town, which the table must offer once.
    std::set<std::pair<std::string, std::string>> written;
    for (bool row = Q1.Open(); row; row = Q1.Next()) {
        const std::string town = Trim(UpperCase1252(Q1.GetText("VILLE")));
        const std::string postcode = Trim(UpperCase1252(Q1.GetText("cp")));
        if (town.empty() || postcode.empty() || !written.emplace(town, postcode).second)
            continue;
        QVille.SetInt("ID", db.DrawNewID("CURRENT_ID_VILLE"));
        QVille.SetText("CODEPOSTAL", postcode);
        QVille.SetText("VILLE", town);
        QVille.SetText("DEBUTTEL", "");
        QVille.Execute();
    }
    Q1.Close();
    db.CommitRetaining();
}

} // namespace

CleaningOutcome XiButton1Click(RunState &state) {
    Operator &op = state.op;
    op.ClearLog();
    state.DatabaseBuild = 0;
    if (op.AskConfirmation(FromUtf8("Avez-vous fermé Clinova ?"), 2, mbOui, mbNon) != mbOui)
        return CleaningOutcome::Refused;

    try {
        OpenTargetDatabase(state);
        state.DatabaseBuild = ReadDatabaseBuild(state.db);
        const bool supported = IsSupportedBuild(state.DatabaseBuild);
        if (!supported) {
            op.ShowInfoMessage(FromUtf8("Version de la base de données incorrecte : base ") +
                               std::to_string(state.DatabaseBuild));
        } else {
            FillFromClients(state.db);
            op.ProcessPendingMessages();
            op.ShowInfoMessage(FromUtf8("##Fin de l'opération"));
            op.ProcessPendingMessages();
        }
        state.db.Close();
        op.ProcessPendingMessages();
        return supported ? CleaningOutcome::Done : CleaningOutcome::Refused;
    } catch (const std::exception &e) {
        EndActionOnError(state, e);
        return CleaningOutcome::Failed;
    }
}

} // namespace clinova
