#include "cleaning/AccountingPurge.h"

#include "app/RunState.h"
#include "database/Statement.h"
#include "normalized/Win1252.h"

#include <cstdint>
#include <optional>

namespace clinova {

namespace {

const char *const kInvoicesToExamine = "select ID from FACTURES where (DATE_FACTURE<:THE_DATE)";
const char *const kInPeriodReceipts = "select count(*) nb from (\n"
                                      "select v.ID_VERSEMENT, ecr.ID ID_ECRITURE\n"
                                      "from versements v\n"
                                      "left join ecritures ecr on (ecr.ID=v.id_ecriture)\n"
                                      "where (v.ID_FACTURE=:ID_FACTURE) and (ecr.date_mouvement>=:THE_DATE)\n"
                                      ")";
const char *const kInvoiceDeletion = "delete from FACTURES where ID=:ID";

const char *const kEntriesToExamine = "select ID from ECRITURES where (DATE_MOUVEMENT<:THE_DATE)";
const char *const kInPeriodInvoices = "select count(*) nb from (\n"
                                      "select v.ID_VERSEMENT, f.ID ID_FACTURE\n"
                                      "from VERSEMENTS v\n"
                                      "left join factures f on (f.ID=v.id_facture)\n"
                                      "where (v.ID_ECRITURE=:ID_ECRITURE) and (f.DATE_FACTURE>=:THE_DATE)\n"
                                      ")";
const char *const kEntryDeletion = "delete from ECRITURES where ID=:ID";

const char *const kOrphanLinks = "select r.ID from (\n"
                                 "select lnk.ID, f.ID ID_FACTURE, e.ID ID_ECRITURE\n"
                                 "from LINK_FACTURES_ECRITURES lnk\n"
                                 "left join factures f on (f.id=lnk.idfacture)\n"
                                 "left join ecritures e on (e.id=lnk.idecriture)\n"
                                 ") r\n"
                                 "where (r.ID_FACTURE is null) and (r.ID_ECRITURE is null)";
const char *const kLinkDeletion = "delete from LINK_FACTURES_ECRITURES where ID=:ID";

// One pass of the purge: the rows its select returns are deleted unless the in-period count finds
// something after the day that still needs them.
struct PurgePass {
    const char *progress; // "Nettoyage factures": the wait message, then its counts
    bool announced;       // the pass shows its name and commits before it starts
    const char *toExamine;
    const char *inPeriodCount; // nullptr: every row examined is deleted
    const char *countParameter;
    const char *deletion;
};

const PurgePass kPasses[] = {
    {"Nettoyage factures", true, kInvoicesToExamine, kInPeriodReceipts, "ID_FACTURE", kInvoiceDeletion},
    {"Nettoyage encaissements", true, kEntriesToExamine, kInPeriodInvoices, "ID_ECRITURE", kEntryDeletion},
    {"Nettoyage links", false, kOrphanLinks, nullptr, nullptr, kLinkDeletion},
};

void RunPass(RunState &state, const PurgePass &pass, const DateTime &theDate) {
    if (pass.announced) {
        state.op.SetWaitMessage(pass.progress);
        state.db.CommitRetaining();
    }
    std::int64_t examined = 0;
    std::int64_t deleted = 0;
    Statement rows(state.db, pass.toExamine);
    std::optional<Statement> count;
    Statement deletion(state.db, pass.deletion);
    if (rows.HasParameter("THE_DATE"))
        rows.SetDateTime("THE_DATE", theDate);
    if (pass.inPeriodCount) {
        count.emplace(state.db, pass.inPeriodCount);
        count->SetDateTime("THE_DATE", theDate);
    }
    for (bool row = rows.Open(); row; row = rows.Next()) {
        ++examined;
        const std::int64_t id = rows.GetInt64("ID");
        bool stillNeeded = false;
        if (count) {
            count->SetInt64(pass.countParameter, id);
            count->Open();
            stillNeeded = count->GetInt64("NB") != 0;
            count->Close();
        }
        if (!stillNeeded) {
            deletion.SetInt64("ID", id);
            deletion.Execute();
            state.db.CommitRetaining();
            ++deleted;
        }
        state.db.CommitRetaining();
        state.op.SetWaitMessage(std::string(pass.progress) + " suppression " + std::to_string(deleted) + " sur " +
                                std::to_string(examined));
        state.op.ProcessPendingMessages();
    }
    rows.Close();
}

} // namespace

CleaningOutcome XiButton4Click(RunState &state, const EtapeLabel &lbEtape) {
    const auto show = [&](const char *utf8) {
        if (lbEtape)
            lbEtape(FromUtf8(utf8));
    };
    const Date day = state.options.DateTimePicker;
    CleaningAction action;
    action.warning = FromUtf8("Les factures et les encaissements antérieurs au " + FormatDMY(day) +
                              " vont être supprimés définitivement, sauf ceux liés à la période suivante.#Continuer ?");
    action.waitMessage = "Nettoyage";
    action.started = [&] { show("suppressions en cours"); };
    action.work = [&](RunState &s) {
        const DateTime theDate{day, 0, 0, 0, 0};
        for (const auto &pass : kPasses)
            RunPass(s, pass, theDate);
        show("opération terminée");
    };
    action.finalMessage = "Il faudra recalculer tous les soldes des comptes clients : menu "
                          "\"Divers/Outils/Recalculer les soldes des comptes clients\"";
    return RunCleaningAction(state, action);
}

} // namespace clinova
