#include "import/catalogue/AppointmentImport.h"

#include "app/ImportStep.h"
#include "app/RunState.h"
#include "app/StepEntry.h"
#include "app/UsersCorrespondence.h"
#include "database/Statement.h"
#include "normalized/Conversions.h"
#include "normalized/DateTime.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

namespace clinova {

namespace {

const char *const kQueryInsertRdv =
    "insert into rdv (ID, IDVETO, DATERDV, DATETIMERDV, DUREEMIN, REALISED, IDCLIENT, NOMCLIENT, IDANIMAL, "
    "NOMANIMAL, ALARME, RDVEXTERIEUR, VISITEUR, CASREFERENCE, CASREFERENCEPAR, CASMEDICAL, CASCHIRURGIE, "
    "CASANALYSE, CASRADIO, CASSUIVI, CASDIVERS, TACHES, PRESENTE_PAR, RAISON, TITRE, NOM, PRENOM, CP, VILLE, "
    "TELFAXTYPE11, TELFAXNUM11, TELFAXNUM12, TELFAXNUM13, RUE, ESPECE, RACE, SEXE, RAISON_COLOR, NUM_VERSION, "
    "TYPE_RDV, NOTES, IDUSER_MAKE_RDV, USE_OTHER_COLOR, OTHER_COLOR, EMAILPERSO, EMAILBURO, ID_SITE, SALLE, "
    "WEB_DT_UTC0_CHANGE) values (:ID, :IDVETO, :DATERDV, :DATETIMERDV, :DUREEMIN, :REALISED, :IDCLIENT, "
    ":NOMCLIENT, :IDANIMAL, :NOMANIMAL, :ALARME, :RDVEXTERIEUR, :VISITEUR, :CASREFERENCE, :CASREFERENCEPAR, "
    ":CASMEDICAL, :CASCHIRURGIE, :CASANALYSE, :CASRADIO, :CASSUIVI, :CASDIVERS, :TACHES, :PRESENTE_PAR, :RAISON, "
    ":TITRE, :NOM, :PRENOM, :CP, :VILLE, :TELFAXTYPE11, :TELFAXNUM11, :TELFAXNUM12, :TELFAXNUM13, :RUE, :ESPECE, "
    ":RACE, :SEXE, :RAISON_COLOR, :NUM_VERSION, :TYPE_RDV, :NOTES, :IDUSER_MAKE_RDV, :USE_OTHER_COLOR, "
    ":OTHER_COLOR, :EMAILPERSO, :EMAILBURO, :ID_SITE, :SALLE, :WEB_DT_UTC0_CHANGE)";

constexpr int kWhite = 0xFFFFFF;
constexpr int kDefaultDuration = 20;

// An integer field that must lie in 0..highest (an hour, a minute).
int BoundedField(const StepLine &line, const char *column, int highest) {
    const int value = StrToInt(line.Field(column));
    if (value < 0 || value > highest)
        throw ConversionError(std::string(column) + FromUtf8(" hors limites : ") + line.Field(column));
    return value;
}

// Client and animal of an appointment, -1 when the run does not know them.
struct AppointmentLinks {
    int client = -1;
    int animal = -1;
};

AppointmentLinks ResolveLinks(const CorrespondenceLists &lists, const StepLine &line) {
    AppointmentLinks links;
    // An empty identifier names no record, whatever the lists hold.
    if (line.Has("ID_CLIENT") && !line.Field("ID_CLIENT").empty()) {
        const int index = lists.fSourceIDClientList.IndexOf(line.Field("ID_CLIENT"));
        if (index >= 0)
            links.client = lists.fDatabaseIDClientList.Get(index);
    }
    if (line.Has("ID_ANIMAL") && !line.Field("ID_ANIMAL").empty()) {
        const int index = lists.fSourceIDAnimalList.IndexOf(line.Field("ID_ANIMAL"));
        if (index >= 0) {
            links.animal = lists.fDatabaseIDAnimalList.Get(index);
            // The animal's owner is the one the agenda must show, whatever ID_CLIENT says.
            links.client = lists.fDatabaseIDClientOfIDAnimalList.Get(index);
        }
    }
    return links;
}

class AppointmentLineImport {
public:
    explicit AppointmentLineImport(RunState &state)
        : state_(state), site_(GetSiteID(state.options)), QueryInsertRdv_(state.db, kQueryInsertRdv) {}

    LineOutcome operator()(const StepLine &line) {
        const AppointmentLinks links = ResolveLinks(state_.lists, line);
        // Drawn before any field is read: a line that fails afterwards still consumes its identifier.
        const int id = state_.db.DrawNewID("CURRENT_ID_RDV");

        const int practitioner = GetTargetUserID(state_, line.Field("ID_USER"));
        const Date day = ParseDateDMY(line.Field("DATE"));
        const int hour = BoundedField(line, "HEURE", kLastHour);
        const int minute = BoundedField(line, "MINUTE", kLastMinute);
        const DateTime start{day, hour, minute, 0, 0};
        const int duration = line.Has("DUREE_EN_MINUTES") ? StrToInt(line.Field("DUREE_EN_MINUTES")) : kDefaultDuration;

        Statement &q = QueryInsertRdv_;
        q.ClearParameters();
        q.SetInt("ID", id);
        q.SetInt("IDVETO", practitioner);
        q.SetDate("DATERDV", day);
        q.SetDateTime("DATETIMERDV", start);
        q.SetInt("DUREEMIN", duration);
        q.SetText("REALISED", "F");
        q.SetInt("IDCLIENT", links.client);
        q.SetNull("NOMCLIENT");
        q.SetInt("IDANIMAL", links.animal);
        q.SetText("NOMANIMAL", line.Field("NOM_ANIMAL"));
        q.SetText("ALARME", "");
        q.SetText("RDVEXTERIEUR", "F");
        q.SetText("VISITEUR", "F");
        q.SetText("CASREFERENCE", "F");
        for (const char *empty :
             {"CASREFERENCEPAR", "CASMEDICAL", "CASCHIRURGIE", "CASANALYSE", "CASRADIO", "CASSUIVI", "CASDIVERS",
              "TACHES", "PRESENTE_PAR", "TELFAXNUM12", "TELFAXNUM13", "EMAILPERSO", "EMAILBURO"})
            q.SetText(empty, "");
        q.SetText("RAISON", line.Field("MOTIF"));
        q.SetText("TITRE", line.Field("TITRE_CLIENT"));
        q.SetText("NOM", line.Field("NOM_CLIENT"));
        q.SetText("PRENOM", line.Field("PRENOM_CLIENT"));
        q.SetText("CP", line.Field("CP"));
        q.SetText("VILLE", line.Field("VILLE"));
        q.SetNull("TELFAXTYPE11");
        q.SetText("TELFAXNUM11", line.Field("TEL"));
        q.SetText("RUE", VerticalTabsToLines(line.Field("RUE")));
        q.SetText("ESPECE", line.Field("ESPECE"));
        q.SetText("RACE", line.Field("RACE"));
        q.SetText("SEXE", line.Field("SEXE"));
        q.SetInt("RAISON_COLOR", kWhite);
        q.SetInt("NUM_VERSION", 1);
        q.SetInt("TYPE_RDV", 0);
        q.SetText("NOTES", VerticalTabsToLines(line.Field("NOTES")));
        q.SetInt("IDUSER_MAKE_RDV", 1);
        q.SetInt("USE_OTHER_COLOR", 0);
        q.SetInt("OTHER_COLOR", kWhite);
        q.SetInt("ID_SITE", site_);
        q.SetNull("SALLE");
        // The product's web agenda compares the moments of change in UTC.
        q.SetDateTime("WEB_DT_UTC0_CHANGE", LocalTimeToUTC(Now()));
        line.Write(q);
        return LineOutcome::Imported;
    }

private:
    RunState &state_;
    int site_;
    Statement QueryInsertRdv_;
};

} // namespace

const StepDefinition &AppointmentStepDefinition() {
    static const StepDefinition step{.fileName = "RENDEZ_VOUS.TXT",
                                     .checkBox = &ImportOptions::cbRendezVous,
                                     .waitText = "Importation des rendez-vous",
                                     .progressText = "Importation RENDEZ_VOUS ",
                                     .mandatoryColumns = {"ID_USER", "DATE", "HEURE", "MINUTE", "MOTIF"},
                                     .interruptionKind = "RENDEZ_VOUS",
                                     .logPrefix = {},
                                     .logsInterruption = true,
                                     .rowsTravelTogether = true};
    return step;
}

void doImportationRendezVous(RunState &state) {
    AppointmentLineImport work(state);
    RunImportStep(state, AppointmentStepDefinition(), [&work](const StepLine &line) { return work(line); });
}

const StepEntry &AppointmentStepEntry() {
    static const StepEntry entry{
        .name = "doImportationRendezVous",
        .label = "Rendez-vous",
        .work = doImportationRendezVous,
        .files = {{.definition = AppointmentStepDefinition,
                   .boxPosition = 12,
                   .fields = {{.column = "DATE", .conversion = Conversion::Date},
                              {.column = "HEURE", .conversion = Conversion::Integer, .lowest = 0, .highest = kLastHour},
                              {.column = "MINUTE",
                               .conversion = Conversion::Integer,
                               .lowest = 0,
                               .highest = kLastMinute},
                              {.column = "DUREE_EN_MINUTES", .conversion = Conversion::Integer}},
                   .references = {{"ID_CLIENT", "CLIENTS.TXT", "ID_CLIENT"},
                                  {"ID_ANIMAL", "ANIMAUX.TXT", "ID_ANIMAL"}}}}};
    return entry;
}

} // namespace clinova
