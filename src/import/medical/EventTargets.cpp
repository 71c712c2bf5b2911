#include "import/medical/EventTargets.h"

#include "app/RunState.h"
#include "import/clients_animals/LeftAsideReasons.h"
#include "normalized/Conversions.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

namespace clinova {

namespace {

const char *const kQueryFind = "select IDCLIENT from ANIMAUX where ID=:ID";

void ReloadEarlierImportLists(RunState &state) {
    const std::string &folder = state.options.edPathIDPrecedentImport;
    CorrespondenceLists &lists = state.lists;
    lists.fSourceIDClientList.LoadFromFile(folder + "__fSourceIDClientList" + ".txt");
    LoadIntegerList(folder + "__fDatabaseIDClientList" + ".txt", lists.fDatabaseIDClientList);
    lists.fSourceIDAnimalList.LoadFromFile(folder + "__fSourceIDAnimalList" + ".txt");
    LoadIntegerList(folder + "__fDatabaseIDAnimalList" + ".txt", lists.fDatabaseIDAnimalList);
    LoadIntegerList(folder + "__fDatabaseIDClientOfIDAnimalList" + ".txt", lists.fDatabaseIDClientOfIDAnimalList);
}

} // namespace

void RunEventStep(RunState &state, const StepDefinition &definition, const LineWork &work) {
    if (state.StopRequested || !(state.options.*(definition.checkBox)).Ticked())
        return;
    if (state.options.cbModeRatrapage)
        ReloadEarlierImportLists(state);
    RunImportStep(state, definition, work);
}

std::optional<Date> OptionalDateDMY(std::string_view field) {
    if (field.empty())
        return std::nullopt;
    return ParseDateDMY(field);
}

std::string DateLimitReason(const ImportOptions &options, std::string_view dateField) {
    const std::string setting = FromUtf8(" : \"Sauf les consultations/relances/events avant le\" ") +
                                FormatDMY(options.dateSaufDataAvantLe) + " (cbSaufDataAvantLe)";
    if (dateField.empty())
        return FromUtf8("pas de date") + setting;
    return FromUtf8("date ") + std::string(dateField) + FromUtf8(" antérieure à la limite") + setting;
}

int TargetAnimal(const CorrespondenceLists &lists, int index, std::string_view sourceAnimal) {
    const int animal = lists.fDatabaseIDAnimalList.Get(index);
    if (animal == -1)
        throw ListError(FromUtf8("animal ") + std::string(sourceAnimal) +
                        FromUtf8(" sans identifiant cible dans les listes de correspondance"));
    return animal;
}

EventTargets::EventTargets(RunState &state)
    : state_(state), catchUp_(state.options.cbModeRatrapage), QueryFind(state.db, kQueryFind) {}

bool EventTargets::PassesDateFilter(std::string_view dateField) const {
    const ImportOptions &o = state_.options;
    if (catchUp_ || !o.cbSaufDataAvantLe)
        return true;
    return !dateField.empty() && ParseDateDMY(dateField) >= o.dateSaufDataAvantLe;
}

std::optional<EventTarget> EventTargets::Find(const StepLine &line, std::string &skipped) {
    const CorrespondenceLists &lists = state_.lists;
    const std::string &sourceAnimal = line.Field("ID_ANIMAL");
    EventTarget target;
    if (catchUp_) {
        const std::string mode = FromUtf8(" : \"Mode RATRAPAGE\" (cbModeRatrapage)");
        const int animal = lists.fSourceIDAnimalList.IndexOf(sourceAnimal);
        if (animal == -1) {
            skipped = AnimalNotImported(sourceAnimal) + FromUtf8(" (listes de l'import précédent)") + mode;
            return std::nullopt;
        }
        target.animal = TargetAnimal(lists, animal, sourceAnimal);
        target.client = CurrentOwner(target.animal);
        if (target.client == -1) {
            skipped = FromUtf8("animal ") + sourceAnimal + FromUtf8(" (ID ") + std::to_string(target.animal) +
                      FromUtf8(") absent de la base ou sans propriétaire") + mode;
            return std::nullopt;
        }
        return target;
    }

    const std::string &sourceClient = line.Field("ID_CLIENT");
    const int client = lists.fSourceIDClientList.IndexOf(sourceClient);
    if (client == -1) {
        skipped = ClientNotImported(sourceClient);
        return std::nullopt;
    }
    target.client = lists.fDatabaseIDClientList.Get(client);
    const int animal = lists.fSourceIDAnimalList.IndexOf(sourceAnimal);
    if (animal == -1) {
        skipped = AnimalNotImported(sourceAnimal);
        return std::nullopt;
    }
    if (lists.fDatabaseIDClientOfIDAnimalList.Get(animal) != target.client) {
        skipped = FromUtf8("animal ") + sourceAnimal + FromUtf8(" d'un autre client que ") + sourceClient;
        return std::nullopt;
    }
    target.animal = TargetAnimal(lists, animal, sourceAnimal);
    if (target.client == -1)
        throw ListError(FromUtf8("client ") + line.Field("ID_CLIENT") +
                        FromUtf8(" sans identifiant cible dans les listes de correspondance"));
    return target;
}

bool EventTargets::IsNewAnimal(std::string_view sourceAnimal) const {
    return state_.lists.fSourceIDNewAnimalList.IndexOf(sourceAnimal) != -1;
}

// The owner of the animal in ANIMAUX, -1 without such an animal. A failing query fails the line.
int EventTargets::CurrentOwner(int animal) {
    QueryFind.SetInt("ID", animal);
    int owner = -1;
    if (QueryFind.Open() && !QueryFind.IsNull("IDCLIENT"))
        owner = QueryFind.GetInt("IDCLIENT");
    QueryFind.Close();
    return owner;
}

} // namespace clinova
