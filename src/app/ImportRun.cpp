#include "app/ImportRun.h"

#include "app/CorrespondenceFiles.h"
#include "app/DatabaseActions.h"
#include "app/RunState.h"
#include "app/RunSummary.h"
#include "app/SourceFolder.h"
#include "app/UsersCorrespondence.h"
#include "database/DatabaseSetup.h"
#include "database/TargetDatabase.h"
#include "import/catalogue/AppointmentImport.h"
#include "import/catalogue/Cities.h"
#include "import/catalogue/ContactImport.h"
#include "import/catalogue/DosageImport.h"
#include "import/catalogue/FeeScheduleImport.h"
#include "import/catalogue/InventoryImport.h"
#include "import/clients_animals/AnimalImport.h"
#include "import/clients_animals/ClientImport.h"
#include "import/clients_animals/WeightImport.h"
#include "import/medical/ConsultationImport.h"
#include "import/medical/EventImport.h"
#include "import/medical/EventModels.h"
#include "import/medical/MedicalSynthesis.h"
#include "import/medical/NotesImport.h"
#include "import/medical/ReminderImport.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>

namespace clinova {

const std::vector<RunStep> &ImportRunSteps() {
    static const std::vector<RunStep> steps = {
        {"doImportationUsers", doImportationUsers},
        {"doImportationContacts", doImportationContacts},
        {"doImportationClients", doImportationClients},
        {"doImportationAnimaux", doImportationAnimaux},
        {"doImportationPoids", doImportationPoids},
        {"doImportationVilles", doImportationVilles},
        {"doImportationConsultations", doImportationConsultations},
        {"doImpprtationNotes", doImpprtationNotes},
        {"doImportationEvenements", doImportationEvenements},
        {"doImportationRelances", doImportationRelances},
        {"doImportationModelesEvenements", doImportationModelesEvenements},
        {"doImportationTarifsActes", doImportationTarifsActes},
        {"doBuildSyntheseDossiersMedicaux", doBuildSyntheseDossiersMedicaux},
        {"doImportationInventaires", doImportationInventaires},
        {"doImportationRendezVous", doImportationRendezVous},
        {"doImportationPosologies", doImportationPosologies},
    };
    return steps;
}

std::vector<std::string> RunSummaryLines(const RunState &state) {
    return ImportSummaryLines(state.summaries, state.writtenFiles, state.PathSources);
}

RunOutcome btnImportationClick(RunState &state) {
    Operator &op = state.op;
    op.ClearLog();
    state.DatabaseBuild = 0;
    state.IDDefaultUser = -1;
    state.LoginDefaultUser.clear();
    state.lists.Clear();
    state.summaries.clear();
    state.writtenFiles.clear();
    state.failuresOutsideFiles = 0;

    if (op.AskConfirmation(FromUtf8("Avez-vous fermé Clinova ?"), 2, mbOui, mbNon) != mbOui)
        return RunOutcome::Refused;
    if (const auto backup = BackupBeforeAction(state); backup != BackupOutcome::Ready)
        return backup == BackupOutcome::Interrupted ? RunOutcome::Interrupted : RunOutcome::Failed;

    RunOutcome outcome = RunOutcome::Refused;
    try {
        OpenTargetDatabase(state);
        state.DatabaseBuild = ReadDatabaseBuild(state.db);
        state.AnimalInsertWithIdealWeight = state.DatabaseBuild >= 85;
        if (!IsSupportedBuild(state.DatabaseBuild)) {
            op.ShowInfoMessage(FromUtf8(fmt::format("Version de la base de données incorrecte : base {}",
                                                    state.DatabaseBuild)));
        } else {
            ResolveDefaultUser(state);
            if (state.IDDefaultUser == -1) {
                op.ShowInfoMessage(
                    FromUtf8("Aucun vétérinaire n'existe#dans la base de données.#Il faut créer cet utilisateur"));
            } else {
                state.StopRequested = false;
                try {
                    const auto &steps = ImportRunSteps();
                    const std::uintmax_t runBytes = TickedFilesSize(state);
                    for (std::size_t k = 0; k < steps.size(); ++k) {
                        const RunStep &step = steps[k];
                        op.AddToLog(std::string("DEBUT import ") + step.name);
                        op.StepProgress(StepProgressReport::Step(static_cast<int>(k + 1),
                                                                 static_cast<int>(steps.size()), step.name, runBytes));
                        if (step.work)
                            step.work(state);
                        op.AddToLog(std::string("FIN import ") + step.name);
                    }
                } catch (...) {
                    SaveCorrespondenceLists(state);
                    throw;
                }
                SaveCorrespondenceLists(state);
                for (const auto &line : RunSummaryLines(state))
                    op.AddToLog(line);
                op.ProcessPendingMessages();
                op.ShowInfoMessage(FromUtf8("##Fin de l'opération d'importation"));
                outcome = state.failuresOutsideFiles > 0 ? RunOutcome::CompletedWithFailures : RunOutcome::Completed;
                // A file left aside as a whole failed as a whole.
                for (const auto &summary : state.summaries)
                    if (summary.Incomplete())
                        outcome = RunOutcome::CompletedWithFailures;
                if (state.StopRequested)
                    outcome = RunOutcome::Interrupted;
            }
            state.db.CommitRetaining();
            op.ProcessPendingMessages();
        }
        state.db.Close();
        op.ProcessPendingMessages();
    } catch (const std::exception &e) {
        EndActionOnError(state, e);
        return RunOutcome::Failed;
    }
    return outcome;
}

} // namespace clinova
