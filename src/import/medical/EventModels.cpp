#include "import/medical/EventModels.h"

#include "app/RunState.h"
#include "app/StepEntry.h"
#include "database/TargetDatabase.h"
#include "normalized/Win1252.h"

namespace clinova {

namespace {

const char *const kQ1 =
    "select ID from RELANCES_CONFIG where (LIBELLE_CATEGORIE=:LIBELLE_CATEGORIE) and (LIBELLE_EVENT=:LIBELLE_EVENT)";
const char *const kQueryModeleEvent = "INSERT INTO RELANCES_CONFIG\n"
                                      "(ID,LIBELLE_CATEGORIE,LIBELLE_EVENT,CONTENT)\n"
                                      "values\n"
                                      "(:ID,:LIBELLE_CATEGORIE,:LIBELLE_EVENT,:CONTENT)";

// The product's model labels hold 60 characters.
constexpr std::size_t kModelLabelLength = 60;

std::string ModelLabel(std::string_view text) {
    return std::string(text.substr(0, kModelLabelLength));
}

} // namespace

EventModelStatements::EventModelStatements(TargetDatabase &database)
    : db(database), Q1(database, kQ1), QueryModeleEvent(database, kQueryModeleEvent) {}

void doCreateRelancesConfig(EventModelStatements &statements, const RelancesConfig &config) {
    TIniMem ini;
    try {
        const std::string category = ModelLabel(config.category);
        const std::string label = ModelLabel(config.label);
        Statement &Q1 = statements.Q1;
        Q1.SetText("LIBELLE_CATEGORIE", category);
        Q1.SetText("LIBELLE_EVENT", label);
        const bool exists = Q1.Open();
        Q1.Close();
        if (exists)
            return;

        // The identifier is tested, not trusted: a model without identifier is simply not created.
        const int id = statements.db.GetNewID("GEN_RELANCES_CONFIG");
        if (id == -1)
            return;
        FillRelancesConfig(ini, "", config);
        Statement &insert = statements.QueryModeleEvent;
        insert.SetInt("ID", id);
        insert.SetText("LIBELLE_CATEGORIE", category);
        insert.SetText("LIBELLE_EVENT", label);
        insert.SetBlob("CONTENT", ini.GetText());
        insert.Execute();
    } catch (const std::exception &) {
        // The models only spare the practice some typing: the events and reminders are imported already,
        // and a model that cannot be written is left for the practice to create.
    }
}

void doImportationModelesEvenements(RunState &state) {
    if (state.options.cbNePasCreerModelesRelances || state.StopRequested)
        return;
    Operator &op = state.op;
    WaitShown wait(op);
    op.SetWaitMessage(FromUtf8("Importation des modèles d'événements"));

    EventModelStatements statements(state.db);
    const std::vector<std::string> &categories = state.lists.fEventModelCategoryList;
    const std::vector<std::string> &labels = state.lists.fEventModelLabelList;
    const std::string count = std::to_string(categories.size());
    for (std::size_t i = 0; i < categories.size(); ++i) {
        op.SetWaitMessage(FromUtf8("Importation modèle ") + std::to_string(i + 1) + "/" + count + "...");
        doCreateRelancesConfig(statements, ImportedModelRelancesConfig(categories[i], labels.at(i)));
    }
}

const StepEntry &EventModelStepEntry() {
    static const StepEntry entry{.name = "doImportationModelesEvenements", .label = "Modèles d'événements", .work = doImportationModelesEvenements};
    return entry;
}

} // namespace clinova
