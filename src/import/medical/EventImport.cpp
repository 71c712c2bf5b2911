#include "import/medical/EventImport.h"

#include "app/RunState.h"
#include "app/StepEntry.h"
#include "import/clients_animals/LeftAsideReasons.h"
#include "database/Statement.h"
#include "import/medical/EventModelList.h"
#include "import/medical/EventTargets.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

namespace clinova {

namespace {

const char *const kQEvent =
    "insert into EVENTS (ID, ID_RELANCE, ID_ANIMAL, ID_CLIENT, LIBELLE_CATEGORIE, LIBELLE_EVENT, EVENT_TYPE, "
    "THE_DATE, PRODUIT, NUMERO_LOT, RELANCE_DANS_NB_JOURS, LIBELLE_NEXT_EVENT, PREVOIR_FACTURATION, CODE_ACTE, "
    "ID_ARTICLE_RESTE_A_FACTURER, VETO, ORIGINE, ID_USER, ID_SITE) "
    "values (:ID, :ID_RELANCE, :ID_ANIMAL, :ID_CLIENT, :LIBELLE_CATEGORIE, :LIBELLE_EVENT, :EVENT_TYPE, "
    ":THE_DATE, :PRODUIT, :NUMERO_LOT, :RELANCE_DANS_NB_JOURS, :LIBELLE_NEXT_EVENT, :PREVOIR_FACTURATION, "
    ":CODE_ACTE, :ID_ARTICLE_RESTE_A_FACTURER, :VETO, :ORIGINE, :ID_USER, :ID_SITE)";

class EventStep {
public:
    explicit EventStep(RunState &state)
        : state_(state), targets_(state), models_(state.lists), QEvent(state.db, kQEvent) {}

    LineOutcome Import(const StepLine &line) {
        const ImportOptions &o = state_.options;
        const std::string &date = line.Field("DATE_EVENEMENT");
        if (!targets_.PassesDateFilter(date))
            return line.Skip(DateLimitReason(o, date));
        std::string skipped;
        const std::optional<EventTarget> target = targets_.Find(line, skipped);
        if (!target)
            return line.Skip(std::move(skipped));
        // Drawn before the new-animals filter: a line that filter leaves aside still uses an identifier.
        const int id = state_.db.DrawNewID("GEN_EVENTS");
        if (o.cbInjectionAutresEvent && !targets_.IsNewAnimal(line.Field("ID_ANIMAL")))
            return line.Skip(
                NotANewAnimal(line.Field("ID_ANIMAL"), "Events que des new animaux", "cbInjectionAutresEvent"));

        const std::string &category = line.Field("LIBELLE_CATEGORIE");
        const std::string &label = line.Field("LIBELLE_EVENEMENT");
        QEvent.SetInt("ID", id);
        QEvent.SetInt("ID_RELANCE", -1);
        QEvent.SetInt("ID_ANIMAL", target->animal);
        QEvent.SetInt("ID_CLIENT", target->client);
        QEvent.SetText("LIBELLE_CATEGORIE", category);
        QEvent.SetText("LIBELLE_EVENT", label);
        QEvent.SetInt("EVENT_TYPE", 0);
        if (const std::optional<Date> day = OptionalDateDMY(date))
            QEvent.SetDate("THE_DATE", *day);
        else
            QEvent.SetNull("THE_DATE");
        QEvent.SetText("PRODUIT", line.Field("PRODUIT_UTILISE"));
        QEvent.SetText("NUMERO_LOT", line.Field("NUMERO_LOT"));
        QEvent.SetInt("RELANCE_DANS_NB_JOURS", TryStrToInt(line.Field("RELANCE_PREVU_DANS_JOURS")).value_or(0));
        QEvent.SetText("LIBELLE_NEXT_EVENT", "");
        QEvent.SetInt("PREVOIR_FACTURATION", 0);
        QEvent.SetText("CODE_ACTE", "");
        QEvent.SetInt("ID_ARTICLE_RESTE_A_FACTURER", -1);
        QEvent.SetText("VETO", "");
        QEvent.SetInt("ORIGINE", -1);
        QEvent.SetInt("ID_USER", state_.IDDefaultUser);
        QEvent.SetInt("ID_SITE", GetSiteID(o));
        line.Write(QEvent);

        state_.lists.fSourceIDEventList.Add(line.Field("ID_EVENEMENT"));
        state_.lists.fDatabaseIDEventList.Add(id);
        if (!o.cbNePasConserverModelesEvent)
            line.OnceWritten([this, category = category, label = label] { models_.Remember(category, label); });
        return LineOutcome::Imported;
    }

private:
    RunState &state_;
    EventTargets targets_;
    EventModelList models_;
    Statement QEvent;
};

} // namespace

const StepDefinition &EventStepDefinition() {
    static const StepDefinition definition{
        .fileName = "EVENEMENTS.TXT",
        .checkBox = &ImportOptions::cbEVENEMENTS,
        .waitText = FromUtf8("Importation des événements"),
        .progressText = FromUtf8("Importation acte réalisé "),
        .mandatoryColumns = {"ID_EVENEMENT", "ID_ANIMAL", "ID_CLIENT", "LIBELLE_CATEGORIE", "LIBELLE_EVENEMENT",
                             "DATE_EVENEMENT", "RELANCE_PREVU_DANS_JOURS"},
        .interruptionKind = "EVENEMENTS",
        .logPrefix = {},
        .logsInterruption = false,
        .rowsTravelTogether = true,
    };
    return definition;
}

void doImportationEvenements(RunState &state) {
    EventStep step(state);
    RunEventStep(state, EventStepDefinition(), [&step](const StepLine &line) { return step.Import(line); });
}

const StepEntry &EventStepEntry() {
    static const StepEntry entry{
        .name = "doImportationEvenements",
        .label = "Événements",
        .work = doImportationEvenements,
        .files = {{.definition = EventStepDefinition,
                   .boxPosition = 4,
                   .fields = {{.column = "DATE_EVENEMENT", .conversion = Conversion::Date, .emptyAllowed = true}},
                   .references = {{"ID_CLIENT", "CLIENTS.TXT", "ID_CLIENT"},
                                  {"ID_ANIMAL", "ANIMAUX.TXT", "ID_ANIMAL", "ID_CLIENT"}}}}};
    return entry;
}

} // namespace clinova
