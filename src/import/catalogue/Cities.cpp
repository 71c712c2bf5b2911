#include "import/catalogue/Cities.h"

#include "app/ImportStep.h"
#include "app/ImportJournal.h"
#include "app/RunState.h"
#include "app/StepEntry.h"
#include "database/Statement.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

#include <string>

namespace clinova {

namespace {

const char *const kEmptyVilles = "delete from villes";

} // namespace

const char *const kQVille =
    "insert into villes (ID, CODEPOSTAL, VILLE, DEBUTTEL) values (:ID, :CODEPOSTAL, :VILLE, :DEBUTTEL)";

void EmptyVilles(TargetDatabase &db) {
    db.ExecuteImmediate(kEmptyVilles);
    db.CommitRetaining();
}

const StepDefinition &CityStepDefinition() {
    static const StepDefinition step{.fileName = "VILLES.TXT",
                                     .checkBox = &ImportOptions::cbVILLES,
                                     .waitText = "Importation des villes",
                                     .progressText = "Importation villes ",
                                     .mandatoryColumns = {"CODE_POSTAL", "VILLE"},
                                     .interruptionKind = "VILLES",
                                     .logPrefix = {},
                                     .logsInterruption = true,
                                     .rowsTravelTogether = true};
    return step;
}

void doImportationVilles(RunState &state) {
    Statement QVille(state.db, kQVille);
    RunImportStep(
        state, CityStepDefinition(),
        [&state, &QVille](const StepLine &line) {
            const std::string postcode = TrimAndCut(line.Field("CODE_POSTAL"), 10);
            if (postcode.empty())
                return line.Skip(FromUtf8("CODE_POSTAL vide"));
            const std::string town = TrimAndCut(line.Field("VILLE"), 60);
            if (town.empty())
                return line.Skip(FromUtf8("VILLE vide"));
            QVille.SetInt("ID", state.db.DrawNewID("CURRENT_ID_VILLES"));
            QVille.SetText("CODEPOSTAL", postcode);
            QVille.SetText("VILLE", town);
            QVille.SetNull("DEBUTTEL");
            line.Write(QVille);
            return LineOutcome::Imported;
        },
        [&state] {
            // A resumed run keeps the towns the interrupted run committed.
            if (LinesDoneBefore(state, CityStepDefinition().fileName) == 0)
                EmptyVilles(state.db);
        });
}

const StepEntry &CityStepEntry() {
    static const StepEntry entry{.name = "doImportationVilles", .label = "Villes", .work = doImportationVilles, .files = {{.definition = CityStepDefinition, .boxPosition = 11}}};
    return entry;
}

} // namespace clinova
