#include "import/clients_animals/AnimalImport.h"

#include "app/ImportJournal.h"
#include "app/RunState.h"
#include "app/StepEntry.h"
#include "database/Statement.h"
#include "import/clients_animals/AnimalDeduplication.h"
#include "import/clients_animals/AnimalInsert.h"
#include "import/clients_animals/ColumnBinding.h"
#include "import/clients_animals/DuplicatesReport.h"
#include "import/clients_animals/LeftAsideReasons.h"
#include "import/clients_animals/PassportImport.h"
#include "normalized/Conversions.h"
#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"

#include <optional>

namespace clinova {

namespace {

const char *const kInitialWeightSQL = "insert into POIDS (ID,IDANIMAL,DATEPESEE,DT_HISTORIQUE,POIDS) values "
                                      "(:ID,:IDANIMAL,:DATEPESEE,:DT_HISTORIQUE,:POIDS)";

// Catch-up mode: the client and animal lists of an earlier import replace those of this run, and the
// animals of this run are appended to them. False when a source list and a target list read back differ in
// length: their positions would no longer describe the same records. A missing file ends the run.
bool ReloadPreviousLists(RunState &state) {
    const std::string &folder = state.options.edPathIDPrecedentImport;
    CorrespondenceLists &lists = state.lists;
    lists.fSourceIDClientList.LoadFromFile(folder + "__fSourceIDClientList.txt");
    LoadIntegerList(folder + "__fDatabaseIDClientList.txt", lists.fDatabaseIDClientList);
    if (lists.fSourceIDClientList.Count() != lists.fDatabaseIDClientList.Count())
        return false;
    lists.fSourceIDAnimalList.LoadFromFile(folder + "__fSourceIDAnimalList.txt");
    LoadIntegerList(folder + "__fDatabaseIDAnimalList.txt", lists.fDatabaseIDAnimalList);
    if (lists.fSourceIDAnimalList.Count() != lists.fDatabaseIDAnimalList.Count())
        return false;
    // The owners are read at the same positions as the animals: a shorter list would give every animal
    // appended by this run the owner of another.
    LoadIntegerList(folder + "__fDatabaseIDClientOfIDAnimalList.txt", lists.fDatabaseIDClientOfIDAnimalList);
    return lists.fSourceIDAnimalList.Count() == lists.fDatabaseIDClientOfIDAnimalList.Count();
}

// The header line as read, for the duplicates report.
std::string HeaderLine(const std::string &path) {
    LineReader reader(path);
    std::string header;
    reader.Next(header);
    return header;
}

void BindDate(Statement &q, const StepLine &line, std::string_view column, std::string_view param) {
    if (!line.Has(column))
        return;
    if (line.Field(column).empty())
        q.SetNull(param);
    else
        q.SetDate(param, ParseDateDMY(line.Field(column)));
}

DateTime AtMidnight(const Date &day) {
    DateTime t;
    t.date = day;
    return t;
}

void BindLines(Statement &q, const StepLine &line, std::string_view column, std::string_view param) {
    if (line.Has(column))
        q.SetText(param, VerticalTabsToLines(line.Field(column)));
}

// What the line gives besides the columns of the insert.
struct AnimalLineKeys {
    std::string name;           // NOM cut to 60, upper-cased
    std::string species;        // ESPECE cut to 60
    std::string passportNumber; // PASSEPORT_NUMERO trimmed and upper-cased, not cut
    std::string passportDate;   // PASSEPORT_DATE, read only with a passport number
    double weight = 0;          // kilograms; 0 for none
    DateTime weighed;           // the day of that weight
};

// The work on one line of ANIMAUX.TXT, with the statements the step prepared once.
class AnimalLineImport {
public:
    AnimalLineImport(RunState &state, Statement &QAni, Statement &QPoids, Statement &QFind, PassportImport &passports,
                     std::optional<DuplicatesReport> &report)
        : state_(state), QAni_(QAni), QPoids_(QPoids), QFind_(QFind), passports_(passports), report_(report) {}

    LineOutcome operator()(const StepLine &line);

private:
    AnimalLineKeys BindColumns(const StepLine &line);
    void BindIdentification(const StepLine &line, AnimalLineKeys &keys);
    void BindWeight(const StepLine &line, AnimalLineKeys &keys);

    RunState &state_;
    Statement &QAni_;
    Statement &QPoids_;
    Statement &QFind_;
    PassportImport &passports_;
    std::optional<DuplicatesReport> &report_; // open when the duplicate check is on
};

LineOutcome AnimalLineImport::operator()(const StepLine &line) {
    const ImportOptions &o = state_.options;
    CorrespondenceLists &lists = state_.lists;

    // An animal of a client that was not imported is left aside; its records are in turn left aside by the
    // steps that look the animal up.
    const int clientIndex = lists.fSourceIDClientList.IndexOf(line.Field("ID_CLIENT"));
    if (clientIndex < 0)
        return line.Skip(ClientNotImported(line.Field("ID_CLIENT")));
    const int clientID = lists.fDatabaseIDClientList.Get(clientIndex);

    const std::string &sourceID = line.Field("ID_ANIMAL");
    if (o.cbInjectionAutresAnimaux && lists.fPreviousSourceIDAnimalList.IndexOf(sourceID) >= 0)
        return line.Skip(FromUtf8("animal ") + sourceID +
                         FromUtf8(" déjà importé par l'import précédent : \"injection autres animaux\" "
                                  "(cbInjectionAutresAnimaux)"));

    // Drawn before the duplicate test: a duplicate consumes a value no row receives.
    const int animalID =
        o.cbGarder_ID_ANIMAL_du_logiciel_d_origine ? StrToInt(sourceID) : state_.db.DrawNewID("CURRENT_ID_ANIMAL");
    SetAnimalDefaults(QAni_, animalID, clientID);
    const AnimalLineKeys keys = BindColumns(line);

    if (report_) {
        if (const auto existing = FindDuplicateAnimal(QFind_, clientID, keys.name, keys.species)) {
            lists.fSourceIDAnimalList.Add(sourceID);
            lists.fDatabaseIDAnimalList.Add(*existing);
            lists.fDatabaseIDClientOfIDAnimalList.Add(clientID);
            report_->Add(line.Raw());
            return LineOutcome::Matched;
        }
    }

    // The weight row is written after its animal, so that an animal that cannot be inserted leaves no
    // weight behind, attached to nothing or to another animal of the same ID.
    const int weightID = keys.weight != 0 ? state_.db.DrawNewID("CURRENT_ID_POIDS") : -1;
    // So is the passport's: its rows then travel together, with the same identifiers whether the animal's row
    // is refused at once or when the rows are sent.
    const int passportID = passports_.DrawID(keys.passportNumber, keys.passportDate);
    line.Write(QAni_);
    lists.fSourceIDAnimalList.Add(sourceID);
    lists.fSourceIDNewAnimalList.Add(sourceID);
    lists.fDatabaseIDAnimalList.Add(animalID);
    lists.fDatabaseIDClientOfIDAnimalList.Add(clientID);

    // The animal stays whatever happens to its weight and passport: their failures are warnings of the line.
    if (keys.weight != 0) {
        line.AfterMainRow([&] {
            QPoids_.ClearParameters();
            QPoids_.SetInt("ID", weightID);
            QPoids_.SetInt("IDANIMAL", animalID);
            QPoids_.SetDateTime("DATEPESEE", keys.weighed);
            QPoids_.SetDateTime("DT_HISTORIQUE", keys.weighed);
            QPoids_.SetDouble("POIDS", keys.weight);
            line.Write(QPoids_);
        });
    }
    line.AfterMainRow(
        [&] { passports_.doAddPasseport(line, passportID, keys.passportNumber, keys.passportDate, clientID, animalID); });
    return LineOutcome::Imported;
}

AnimalLineKeys AnimalLineImport::BindColumns(const StepLine &line) {
    Statement &q = QAni_;
    AnimalLineKeys keys;

    BindDate(q, line, "DATE_NAISSANCE", "DATENAISSANCE");
    BindOneToTF(q, line, "DCD", "DECESISMORT");
    BindDate(q, line, "DATE_DECES", "DECESMORTLE");
    BindCut(q, line, "CAUSE_DECES", "DECESCAUSE", 180);
    BindCut(q, line, "NOM", "NOM", 60);
    keys.name = UpperCase1252(TrimAndCut(line.Field("NOM"), 60));
    BindCut(q, line, "AFFIXE", "AFFIXE", 60);
    BindCut(q, line, "ALIAS", "ALIAS", 60);
    BindCut(q, line, "ESPECE", "ESPECE", 60);
    keys.species = TrimAndCut(line.Field("ESPECE"), 60);
    for (const char *column : {"RACE", "SEXE", "ROBE", "POIL", "VARIETE"})
        BindCut(q, line, column, column, 60);

    BindOneToTF(q, line, "LOF", "LOF");
    if (line.Has("LOF_VALUE")) {
        const std::string value = TrimAndCut(line.Field("LOF_VALUE"), 30);
        q.SetText("LOF_VALUE", value);
        // The registration number says more than the flag: it decides.
        q.SetText("LOF", BoolToTF(!value.empty()));
    }

    BindIdentification(line, keys);

    BindCut(q, line, "SIRE", "SIRE", 30);
    if (line.Has("TYPAGE_ADN"))
        q.SetInt("TYPAGE_ADN", BoolToInt(line.Field("TYPAGE_ADN") == "1"));
    BindCut(q, line, "ALARME", "ALARME", 60);
    BindWeight(line, keys);
    BindCut(q, line, "ASSURANCE_NOM", "ASSURANCENOM", 60);
    if (line.Has("ASSURANCE_OBSERVATIONS"))
        q.SetText("ASSURANCEOBSERVATIONS", line.Field("ASSURANCE_OBSERVATIONS"));
    BindCut(q, line, "ALIMENTATION_HABITUELLE", "REGIME_PRODUIT_DESIGNATION", 80);
    BindLines(q, line, "ANTECEDANTS_MEDICAUX", "ANTECEDANTSMEDICAUX");
    BindLines(q, line, "TRAITEMENT_EN_COURS", "TRAITEMENT_EN_COURS");
    BindLines(q, line, "NOTES", "POSTIT");
    BindDate(q, line, "DATE_CREATION", "DATECREATION");

    // Only the databases of build 85 took the ideal weight from the file; later builds keep the column empty.
    if (state_.DatabaseBuild == 85 && q.HasParameter("POIDS_IDEAL1000"))
        q.SetInt("POIDS_IDEAL1000", TryStrToInt(line.Field("POIDS_IDEAL")).value_or(0));
    return keys;
}

// Tattoo, chip and passport.
void AnimalLineImport::BindIdentification(const StepLine &line, AnimalLineKeys &keys) {
    Statement &q = QAni_;
    BindCut(q, line, "TATOUAGE_NUMERO", "TATOUNUM", 60);
    BindCut(q, line, "TATOUAGE_EMPLACEMENT", "TATOUEMPLACEMENT", 60);
    BindCut(q, line, "TATOUAGE_PRATICIEN", "TATOUPRATICIEN", 60);
    BindDate(q, line, "TATOUAGE_DATE", "TATOUDATE");
    BindCut(q, line, "PUCE_NUMERO", "PUCE_NUM", 60);
    BindCut(q, line, "PUCE_LOCALISATION", "PUCE_LOCALISATION", 60);
    BindCut(q, line, "PUCE_TYPE_TRANSPONDEUR", "PUCE_TYPE_TRANSPONDEUR", 15);
    BindCut(q, line, "PUCE_PRATICIEN", "PUCE_PRATICIEN", 60);
    BindDate(q, line, "PUCE_DATE", "PUCE_DATE");
    if (line.Has("PASSEPORT_NUMERO")) {
        keys.passportNumber = UpperCase1252(line.Field("PASSEPORT_NUMERO"));
        q.SetText("NUMERO_PASSEPORT", TrimAndCut(keys.passportNumber, 30));
        if (!keys.passportNumber.empty())
            keys.passportDate = line.Field("PASSEPORT_DATE");
    }
}

// POIDS is in hundredths of a kilogram; its day is DATE_PESEE, today when the file gives none.
void AnimalLineImport::BindWeight(const StepLine &line, AnimalLineKeys &keys) {
    if (!line.Has("POIDS"))
        return;
    keys.weight = TryStrToInt(line.Field("POIDS")).value_or(0) / 100.0;
    if (keys.weight == 0)
        return;
    QAni_.SetDouble("POIDS", keys.weight);
    keys.weighed = AtMidnight(Today());
    if (line.Has("DATE_PESEE") && !line.Field("DATE_PESEE").empty())
        keys.weighed = AtMidnight(ParseDateDMY(line.Field("DATE_PESEE")));
}

} // namespace

const StepDefinition &AnimalStepDefinition() {
    static const StepDefinition step{.fileName = "ANIMAUX.TXT",
                                     .checkBox = &ImportOptions::cbANIMAUX,
                                     .waitText = "Importation des animaux",
                                     .progressText = "Importation animal ",
                                     .mandatoryColumns = {"ID_ANIMAL", "ID_CLIENT", "DCD", "NOM"},
                                     .interruptionKind = "ANIMAUX",
                                     .logPrefix = {},
                                     .logsInterruption = true,
                                     .rowsTravelTogether = true};
    return step;
}

void doImportationAnimaux(RunState &state) {
    const ImportOptions &o = state.options;
    if (state.StopRequested || !o.cbANIMAUX.Ticked())
        return;

    if (o.cbInjectionAutresAnimaux)
        state.lists.fPreviousSourceIDAnimalList.LoadFromFile(o.edPathIDPrecedentImport + "__fSourceIDAnimalList.txt");
    if (o.cbModeRatrapage && !ReloadPreviousLists(state)) {
        state.op.ShowMessage("probleme lecture index clients");
        return;
    }

    TargetDatabase &db = state.db;
    Statement QAni(db, AnimalInsertSQL(state.AnimalInsertWithIdealWeight));
    Statement QPoids(db, kInitialWeightSQL);
    Statement QFind(db, FindDuplicateAnimalSQL());
    PassportImport passports(db, GetSiteID(o));
    std::optional<DuplicatesReport> report;

    const auto beforeLines = [&] {
        if (!o.cbDedoublonageAnimaux)
            return;
        // A resume finds the rows the interrupted run wrote as it wrote them: prepared already, if it had begun.
        if (LinesDoneBefore(state, "ANIMAUX.TXT") == 0)
            PrepareAnimalDeduplication(db);
        report.emplace(state.OutputPath("DOUBLONS_ANIMAUX.TXT"), HeaderLine(state.SourcePath("ANIMAUX.TXT")));
    };
    AnimalLineImport work(state, QAni, QPoids, QFind, passports, report);
    RunImportStep(
        state, AnimalStepDefinition(), [&work](const StepLine &line) { return work(line); }, beforeLines);
    if (report)
        report->Close(state.op, state.writtenFiles);
}

namespace {

bool HasFirstWeight(const StepLine &line) {
    return TryStrToInt(line.Field("POIDS")).value_or(0) != 0;
}
bool HasPassportNumber(const StepLine &line) {
    return !line.Field("PASSEPORT_NUMERO").empty();
}

} // namespace

const StepEntry &AnimalStepEntry() {
    static const StepEntry entry{
        .name = "doImportationAnimaux",
        .label = "Animaux",
        .work = doImportationAnimaux,
        .files = {{.definition = AnimalStepDefinition,
                   .boxPosition = 2,
                   .fields = {{.column = "ID_ANIMAL",
                               .conversion = Conversion::Integer,
                               .setting = &ImportOptions::cbGarder_ID_ANIMAL_du_logiciel_d_origine},
                              {.column = "DATE_NAISSANCE", .conversion = Conversion::Date, .emptyAllowed = true},
                              {.column = "DATE_DECES", .conversion = Conversion::Date, .emptyAllowed = true},
                              {.column = "TATOUAGE_DATE", .conversion = Conversion::Date, .emptyAllowed = true},
                              {.column = "PUCE_DATE", .conversion = Conversion::Date, .emptyAllowed = true},
                              {.column = "DATE_PESEE",
                               .conversion = Conversion::Date,
                               .emptyAllowed = true,
                               .applies = HasFirstWeight},
                              {.column = "DATE_CREATION", .conversion = Conversion::Date, .emptyAllowed = true},
                              {.column = "PASSEPORT_DATE",
                               .conversion = Conversion::Date,
                               .emptyAllowed = true,
                               .applies = HasPassportNumber},
                              {.column = "POIDS",
                               .conversion = Conversion::Weight,
                               .consequence = "l'animal sera importé sans poids"}},
                   .references = {{"ID_CLIENT", "CLIENTS.TXT", "ID_CLIENT"}}}}};
    return entry;
}

} // namespace clinova
