#include "import/medical/ReminderImport.h"

#include "app/RunState.h"
#include "app/StepEntry.h"
#include "import/medical/EventImport.h"
#include "import/clients_animals/LeftAsideReasons.h"
#include "database/Statement.h"
#include "import/medical/EventModelList.h"
#include "import/medical/EventTargets.h"
#include "normalized/Win1252.h"

namespace clinova {

namespace {

const char *const kQRelance =
    "insert into RELANCES (ID, ID_EVENT, ID_ANIMAL, ID_CLIENT, LIBELLE_CATEGORIE, LIBELLE_EVENT, EVENT_TYPE, "
    "THE_DATE, THE_DATE_DEBUT_CYCLE, ID_NEXT_RELANCE, STATUS_ACTION, L1, E1, S1, L2, E2, S2, ORIGINE, ID_USER, "
    "ID_SITE) "
    "values (:ID, :ID_EVENT, :ID_ANIMAL, :ID_CLIENT, :LIBELLE_CATEGORIE, :LIBELLE_EVENT, :EVENT_TYPE, "
    ":THE_DATE, :THE_DATE_DEBUT_CYCLE, :ID_NEXT_RELANCE, :STATUS_ACTION, :L1, :E1, :S1, :L2, :E2, :S2, :ORIGINE, "
    ":ID_USER, :ID_SITE)";

const char *const kQUpdateEvent = "update EVENTS\n"
                                  "set ID_RELANCE=:ID_RELANCE\n"
                                  "where ID=:ID";

class ReminderStep {
public:
    explicit ReminderStep(RunState &state)
        : state_(state), targets_(state), models_(state.lists), QRelance(state.db, kQRelance),
          QUpdateEvent(state.db, kQUpdateEvent), done_(FromUtf8("Réalisé")) {}

    LineOutcome Import(const StepLine &line) {
        const ImportOptions &o = state_.options;
        const std::string &date = line.Field("DATE_RELANCE");
        if (!targets_.PassesDateFilter(date))
            return line.Skip(DateLimitReason(o, date));
        if (o.cbRelancesQueDesNewAnimaux && !targets_.IsNewAnimal(line.Field("ID_ANIMAL")))
            return line.Skip(NotANewAnimal(line.Field("ID_ANIMAL"), "Relances que des new animaux",
                                           "cbRelancesQueDesNewAnimaux"));
        std::string skipped;
        const std::optional<EventTarget> target = targets_.Find(line, skipped);
        if (!target)
            return line.Skip(std::move(skipped));

        // Only the events of this run can be linked: the event lists are never reloaded.
        const CorrespondenceLists &lists = state_.lists;
        const std::string &sourceEvent = line.Field("ID_EVENEMENT");
        int event = -1;
        if (!sourceEvent.empty()) {
            const int i = lists.fSourceIDEventList.IndexOf(sourceEvent);
            if (i != -1)
                event = lists.fDatabaseIDEventList.Get(i);
        }
        const int id = state_.db.DrawNewID("GEN_RELANCES");

        const std::string &category = line.Field("LIBELLE_CATEGORIE");
        const std::string &label = line.Field("LIBELLE_EVENEMENT");
        QRelance.SetInt("ID", id);
        QRelance.SetInt("ID_EVENT", event);
        QRelance.SetInt("ID_ANIMAL", target->animal);
        QRelance.SetInt("ID_CLIENT", target->client);
        QRelance.SetText("LIBELLE_CATEGORIE", category);
        QRelance.SetText("LIBELLE_EVENT", label);
        QRelance.SetInt("EVENT_TYPE", 0);
        if (const std::optional<Date> day = OptionalDateDMY(date)) {
            QRelance.SetDate("THE_DATE", *day);
            QRelance.SetDate("THE_DATE_DEBUT_CYCLE", *day);
        } else {
            QRelance.SetNull("THE_DATE");
            QRelance.SetNull("THE_DATE_DEBUT_CYCLE");
        }
        QRelance.SetInt("ID_NEXT_RELANCE", -1);
        QRelance.SetText("STATUS_ACTION", line.Field("ACTION") == "1" ? done_ : std::string());
        for (const char *channel : {"L1", "E1", "S1", "L2", "E2", "S2"})
            QRelance.SetInt(channel, 0);
        QRelance.SetInt("ORIGINE", -1);
        QRelance.SetInt("ID_USER", state_.IDDefaultUser);
        QRelance.SetInt("ID_SITE", GetSiteID(o));
        line.Write(QRelance);
        state_.lists.fSourceIDRelanceList.Add(sourceEvent);
        state_.lists.fDatabaseIDRelanceList.Add(id);

        // A failure here leaves the reminder imported, without its back-link: a warning of the line.
        if (event != -1) {
            line.AfterMainRow([&] {
                QUpdateEvent.SetInt("ID_RELANCE", id);
                QUpdateEvent.SetInt("ID", event);
                line.Write(QUpdateEvent);
            });
        }
        line.OnceWritten([this, category = category, label = label] { models_.Remember(category, label); });
        return LineOutcome::Imported;
    }

private:
    RunState &state_;
    EventTargets targets_;
    EventModelList models_;
    Statement QRelance;
    Statement QUpdateEvent;
    const std::string done_;
};

} // namespace

const StepDefinition &ReminderStepDefinition() {
    static const StepDefinition definition{
        .fileName = "RELANCES.TXT",
        .checkBox = &ImportOptions::cbRELANCES,
        .waitText = "Importation des relances",
        .progressText = "Importation relance ",
        .mandatoryColumns = {"ID_ANIMAL", "ID_CLIENT", "ID_EVENEMENT", "LIBELLE_CATEGORIE", "LIBELLE_EVENEMENT",
                             "DATE_RELANCE", "ACTION"},
        .interruptionKind = "RELANCES",
        .logPrefix = {},
        .logsInterruption = true,
        .rowsTravelTogether = true,
    };
    return definition;
}

void doImportationRelances(RunState &state) {
    ReminderStep step(state);
    RunEventStep(state, ReminderStepDefinition(), [&step](const StepLine &line) { return step.Import(line); });
}

const StepEntry &ReminderStepEntry() {
    static const StepEntry entry{
        .name = "doImportationRelances",
        .label = "Relances",
        .work = doImportationRelances,
        .files = {{.definition = ReminderStepDefinition,
                   .boxPosition = 5,
                   .fields = {{.column = "DATE_RELANCE", .conversion = Conversion::Date, .emptyAllowed = true}},
                   .references = {{"ID_CLIENT", "CLIENTS.TXT", "ID_CLIENT"},
                                  {"ID_ANIMAL", "ANIMAUX.TXT", "ID_ANIMAL", "ID_CLIENT"},
                                  {"ID_EVENEMENT", "EVENEMENTS.TXT", "ID_EVENEMENT"}}}}};
    return entry;
}

} // namespace clinova
