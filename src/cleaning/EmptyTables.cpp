#include "cleaning/EmptyTables.h"

#include "app/RunState.h"
#include "cleaning/CleaningTables.h"
#include "database/Statement.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <cstdint>
#include <vector>

namespace clinova {

namespace {

constexpr int kBatchSize = 100;

// Deletes the rows by identifier, 100 at a time, each deletion committed on its own; the wait message
// counts by hundreds.
void EmptyInBatches(RunState &state, std::string_view table) {
    const std::string name(table);
    Statement select(state.db, "select FIRST " + std::to_string(kBatchSize) + " ID from " + name);
    Statement remove(state.db, "delete from " + name + " where (ID=:ID)");
    for (int batch = 1;; ++batch) {
        int rows = 0;
        std::vector<std::int64_t> ids;
        for (bool row = select.Open(); row; row = select.Next(), ++rows)
            if (!select.IsNull("ID"))
                ids.push_back(select.GetInt64("ID"));
        select.Close();
        if (rows == 0)
            break;
        std::uint64_t removed = 0;
        const std::string progress = "Vide la table " + name + "/" + std::to_string(batch * kBatchSize) + "...";
        for (const auto id : ids) {
            state.op.SetWaitMessage(progress);
            remove.SetInt64("ID", id);
            remove.Execute();
            removed += remove.RowsAffected();
            state.db.CommitRetaining();
        }
        state.db.CommitRetaining();
        KeepWindowAlive(state);
        // Rows without an identifier never go: selecting them again would loop for ever.
        if (removed == 0)
            throw Error(FromUtf8("la table " + name + " garde des lignes sans identifiant"));
    }
}

void EmptyTable(RunState &state, std::string_view table, bool inBatches) {
    if (!inBatches) {
        RunTableStatement(state, table, "delete from " + std::string(table));
        return;
    }
    state.op.SetWaitMessage("Vide la table " + std::string(table) + "...");
    EmptyInBatches(state, table);
}

void RunGeneratorRestart(RunState &state, const std::string &sql) {
    state.db.ExecuteImmediate(sql);
    state.db.CommitRetaining();
    KeepWindowAlive(state);
}

// btnDelete's work.
void EmptyEverything(RunState &state) {
    state.db.CommitRetaining();
    for (const auto table : TablesAViderTout()) {
        if (table == "RDV" && state.options.cbSaufRendezVous)
            continue;
        EmptyTable(state, table, IsBatchTable(table));
        if (state.op.Interrupted())
            return;
    }
    EmptyTable(state, kLinkFacturesEcritures, true);
    if (state.op.Interrupted())
        return;
    for (const auto &sql : ClientAnimalGeneratorRestarts())
        RunGeneratorRestart(state, sql);
}

// XiButton2's work.
void EmptyAccounting(RunState &state) {
    state.db.CommitRetaining();
    if (state.options.cbSaufCompta)
        return;
    for (const auto table : TablesAViderComptaTousLesSites()) {
        EmptyTable(state, table, false);
        if (state.op.Interrupted())
            return;
    }
    EmptyTable(state, kLinkFacturesEcritures, false);
    if (state.op.Interrupted())
        return;
    for (const auto &sql : AccountingGeneratorRestarts())
        RunGeneratorRestart(state, sql);
    // A site without its own number generators is common: its restarts fail and are passed over.
    for (int site = kFirstSiteWithGenerators; site <= kLastSiteWithGenerators; ++site) {
        for (const auto &sql : SiteGeneratorRestarts(site)) {
            try {
                RunGeneratorRestart(state, sql);
            } catch (const std::exception &) {
            }
        }
    }
}

std::string Warning(const ImportOptions &options, bool allTables) {
    if (!allTables) {
        if (options.cbSaufCompta)
            return {};
        return "Toute la comptabilité de tous les sites (factures, encaissements, remises, versements...) va être "
               "supprimée définitivement.#Continuer ?";
    }
    std::string text = options.cbSaufRendezVous
                           ? "Toutes les données des clients, animaux, dossiers médicaux et de la comptabilité vont "
                             "être supprimées définitivement ; les rendez-vous sont conservés."
                           : "Toutes les données des clients, animaux, dossiers médicaux, rendez-vous et de la "
                             "comptabilité vont être supprimées définitivement.";
    // "sauf compta" sits beside this button but only applies to the accounting button.
    if (options.cbSaufCompta)
        text += "#La case \"sauf compta\" ne protège pas la comptabilité ici.";
    return text + "#Continuer ?";
}

} // namespace

CleaningOutcome EmptyTables(RunState &state, bool allTables) {
    CleaningAction action;
    action.warning = FromUtf8(Warning(state.options, allTables));
    action.waitMessage = "Vider les tables";
    action.work = allTables ? EmptyEverything : EmptyAccounting;
    return RunCleaningAction(state, action);
}

} // namespace clinova
