#include "import/medical/MedicalSynthesis.h"

#include "app/DatabaseActions.h"
#include "app/RunState.h"
#include "app/StepEntry.h"
#include "database/Statement.h"
#include "import/medical/MedicalSummaryText.h"
#include "normalized/Win1252.h"

namespace clinova {

namespace {

const char *const kQSynthese_1 =
    "select SYNTHESE,VACCINS,DATETIME_CONSULT from consult where IDANIMAL=:IDANIMAL order by DATETIME_CONSULT DESC";
const char *const kQSynthese_2 = "update ANIMAUX set SYNTHESE_DOSSIER = :SYNTHESE_DOSSIER where (ID=:ID)";
const char *const kQuery = "select ID, CARTON from CONSULT";
const char *const kQPart1 = "update CONSULT set SYNTHESE=:SYNTHESE where ID=:ID";

std::string AnimalSummary(Statement &QSynthese_1, int animal) {
    std::string text;
    QSynthese_1.SetInt("IDANIMAL", animal);
    for (bool row = QSynthese_1.Open(); row; row = QSynthese_1.Next()) {
        std::optional<Date> day;
        if (!QSynthese_1.IsNull("DATETIME_CONSULT"))
            day = QSynthese_1.GetDateTime("DATETIME_CONSULT").date;
        text += AnimalSummaryEntry(day, QSynthese_1.GetText("SYNTHESE"), QSynthese_1.GetText("VACCINS"));
    }
    QSynthese_1.Close();
    return text;
}

} // namespace

void doBuildSyntheseDossiersMedicaux(RunState &state) {
    if (state.StopRequested)
        return;
    Operator &op = state.op;
    const CorrespondenceLists &lists = state.lists;
    {
        WaitShown wait(op);
        op.SetWaitMessage(FromUtf8("Syntèses dossiers médicaux"));
        Statement QSynthese_1(state.db, kQSynthese_1);
        Statement QSynthese_2(state.db, kQSynthese_2);
        const int count = lists.fDatabaseIDAnimalList.Count();
        for (int i = 0; i < count; ++i) {
            op.SetWaitMessage(FromUtf8("Syntèse dossier ") + std::to_string(i + 1) + "/" + std::to_string(count) +
                              "...");
            try {
                const int animal = lists.fDatabaseIDAnimalList.Get(i);
                QSynthese_2.SetText("SYNTHESE_DOSSIER", AnimalSummary(QSynthese_1, animal));
                QSynthese_2.SetInt("ID", animal);
                QSynthese_2.Execute();
                state.db.RowWritten();
                op.ProcessPendingMessages();
            } catch (const std::exception &e) {
                // A reloaded source list can be shorter than its target list.
                const std::string source(i < lists.fSourceIDAnimalList.Count() ? lists.fSourceIDAnimalList[i] : "");
                op.AddToLog(FromUtf8("Syntèses dossiers médicaux/ID_ANIMAL(source)=") + source + "/" + e.what());
                ++state.failuresOutsideFiles;
            }
            if (op.Interrupted()) {
                state.StopRequested = true;
                break;
            }
        }
    }
    if (op.Interrupted())
        op.AddToLog(FromUtf8("Syntèses dossiers médicaux/interruption de la procédure"));
}

RunOutcome Button1Click(RunState &state) {
    Operator &op = state.op;
    if (op.AskConfirmation(FromUtf8("Avez-vous fermé Clinova ?"), 2, mbOui, mbNon) != mbOui)
        return RunOutcome::Refused;

    RunOutcome outcome = RunOutcome::Completed;
    {
        WaitShown wait(op);
        op.SetWaitMessage(FromUtf8("Générer champ SYNTHESE"));
        try {
            OpenTargetDatabase(state);
        } catch (const std::exception &e) {
            CloseTargetDatabase(state);
            op.ShowMessage(e.what());
            return RunOutcome::Failed;
        }
        try {
            Statement QPart1(state.db, kQPart1);
            Statement Query(state.db, kQuery);
            int k = 0;
            for (bool row = Query.Open(); row; row = Query.Next()) {
                op.SetWaitMessage(FromUtf8("Générer champ SYNTHESE ") + std::to_string(++k));
                QPart1.SetText("SYNTHESE", ConsultationSummaryText(Query.GetBlob("CARTON")));
                QPart1.SetInt("ID", Query.GetInt("ID"));
                QPart1.Execute();
                state.db.RowWritten();
                op.ProcessPendingMessages();
                if (op.Interrupted())
                    break;
            }
            Query.Close();
            state.db.CommitRetaining();
            for (int i = 0; i < 3; ++i)
                op.ProcessPendingMessages();
        } catch (const std::exception &e) {
            op.AddToLog(e.what());
            outcome = RunOutcome::CompletedWithFailures;
        }
        CloseTargetDatabase(state);
    }
    if (op.Interrupted()) {
        op.AddToLog(FromUtf8("interruption de la procédure"));
        outcome = RunOutcome::Interrupted;
    }
    return outcome;
}

const StepEntry &MedicalSynthesisStepEntry() {
    static const StepEntry entry{.name = "doBuildSyntheseDossiersMedicaux", .work = doBuildSyntheseDossiersMedicaux};
    return entry;
}

} // namespace clinova
