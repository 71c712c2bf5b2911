#include "cleaning/SitePurge.h"

#include "app/RunState.h"
#include "cleaning/CleaningTables.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

namespace clinova {

CleaningOutcome PurgeSiteAccounting(RunState &state, int site) {
    CleaningAction action;
    action.warning = FromUtf8("Toute la comptabilité du site " + std::to_string(site) +
                              " va être supprimée définitivement.#Continuer ?");
    action.waitMessage = "Vider les tables";
    action.work = [site](RunState &s) {
        s.db.CommitRetaining();
        for (const auto table : TablesAViderComptaDUnSite()) {
            RunTableStatement(s, table, "delete from " + std::string(table) + " where ID_SITE=" + std::to_string(site));
            if (s.op.Interrupted())
                return;
        }
    };
    return RunCleaningAction(state, action);
}

CleaningOutcome XiButton5Click(RunState &state) {
    // A site that is not a number must not become site 0 and purge whatever rows carry it.
    const auto site = TryStrToInt(TrimView(state.options.edIDSITECompta));
    if (!site) {
        state.op.ShowMessage(FromUtf8("Numéro de site incorrect : ") + state.options.edIDSITECompta);
        return CleaningOutcome::Refused;
    }
    return PurgeSiteAccounting(state, *site);
}

CleaningOutcome XiButton6Click(RunState &state) {
    return PurgeSiteAccounting(state, 1);
}

} // namespace clinova
