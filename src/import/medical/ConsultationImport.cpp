#include "import/medical/ConsultationImport.h"

#include "app/ImportStep.h"
#include "app/RunState.h"
#include "app/StepEntry.h"
#include "app/UsersCorrespondence.h"
#include "database/Statement.h"
#include "document/RVFWriter.h"
#include "import/clients_animals/DuplicatesReport.h"
#include "import/clients_animals/LeftAsideReasons.h"
#include "import/medical/ConsultationText.h"
#include "import/medical/EventTargets.h"
#include "normalized/Conversions.h"
#include "normalized/Errors.h"
#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"

#include <optional>

namespace clinova {

namespace {

const char *const kQConsult =
    "insert into CONSULT (ID, IDANIMAL, IDCLIENT, ID_SITE, IDFACTURE, DATETIME_CONSULT, IDVETO_RESPONSABLE, "
    "IDVETO_CONSULT, VUENGARDE, VUENURGENCE, TEMPERATURE, POIDS, REFERE_A, CARTON, KEYWORDLIST, SYNTHESE, VACCINS, "
    "MODE, VUADOMICILE, IDORDONNANCE, IDORDONNANCE_PHARMA, NUM_VERSION, MOTIF) "
    "values (:ID, :IDANIMAL, :IDCLIENT, :ID_SITE, :IDFACTURE, :DATETIME_CONSULT, :IDVETO_RESPONSABLE, "
    ":IDVETO_CONSULT, :VUENGARDE, :VUENURGENCE, :TEMPERATURE, :POIDS, :REFERE_A, :CARTON, :KEYWORDLIST, :SYNTHESE, "
    ":VACCINS, :MODE, :VUADOMICILE, :IDORDONNANCE, :IDORDONNANCE_PHARMA, :NUM_VERSION, :MOTIF)";

const char *const kQFindClient = "select IDCLIENT\n"
                                 "from ANIMAUX\n"
                                 "where (ID=:ID)";

const char *const kQFind = "select ID\n"
                           "from CONSULT\n"
                           "where (IDCLIENT=:IDCLIENT) and (IDANIMAL=:IDANIMAL)\n"
                           "and (DATETIME_CONSULT>=:DATETIME_CONSULT_1)\n"
                           "and (DATETIME_CONSULT<:DATETIME_CONSULT_2)";

const char *const kFileName = "CONSULTATIONS.TXT";

// How a line finds its target animal and client; the first mode whose setting is ticked wins.
enum class ResolutionMode { KeepIDs, AddToExisting, Injection, Default };

ResolutionMode ModeOf(const ImportOptions &o) {
    if (o.cbGarder_ID_CLIENT_du_logiciel_d_origine || o.cbGarder_ID_ANIMAL_du_logiciel_d_origine)
        return ResolutionMode::KeepIDs;
    if (o.cbAjout)
        return ResolutionMode::AddToExisting;
    if (o.cbInjectionAutresConsult)
        return ResolutionMode::Injection;
    return ResolutionMode::Default;
}

// Catch-up mode: the animals of an earlier run, from the correspondence files it left in the source folder.
void ReloadAnimalLists(RunState &state) {
    CorrespondenceLists &lists = state.lists;
    lists.fSourceIDAnimalList.LoadFromFile(state.SourcePath("__fSourceIDAnimalList.txt"));
    LoadIntegerList(state.SourcePath("__fDatabaseIDAnimalList.txt"), lists.fDatabaseIDAnimalList);
    LoadIntegerList(state.SourcePath("__fDatabaseIDClientOfIDAnimalList.txt"), lists.fDatabaseIDClientOfIDAnimalList);
}

struct Target {
    int animal = -1;
    int client = -1;
    std::string traceClient; // the client shown in the help memo's trace line
};

class ConsultationStep {
public:
    explicit ConsultationStep(RunState &state)
        : state_(state), mode_(ModeOf(state.options)), QConsult(state.db, kQConsult),
          QFindClient(state.db, kQFindClient), QFind(state.db, kQFind) {}

    void OpenDuplicatesReport() {
        std::string header;
        LineReader reader(state_.SourcePath(kFileName));
        reader.Next(header);
        report_.emplace(state_.OutputPath("DOUBLONS_CONSULTATIONS.TXT"), header);
    }

    void CloseDuplicatesReport() {
        if (report_)
            report_->Close(state_.op, state_.writtenFiles);
    }

    LineOutcome Import(const StepLine &line) {
        const ImportOptions &o = state_.options;
        const std::string &dateField = line.Field("DATE_CONSULTATION");
        std::optional<Date> day;
        if (o.cbSaufDataAvantLe) {
            if (dateField.empty())
                return line.Skip(DateLimitReason(o, dateField));
            day = ParseDateDMY(dateField);
            if (*day < o.dateSaufDataAvantLe)
                return line.Skip(DateLimitReason(o, dateField));
        }

        std::string skipped;
        const std::optional<Target> target = Resolve(line, skipped);
        if (!target)
            return line.Skip(std::move(skipped));
        state_.op.AddToMemo2("c:" + target->traceClient + " a:" + line.Field("ID_ANIMAL"));

        if (!day)
            day = dateField.empty() ? Today() : ParseDateDMY(dateField);
        const int id = state_.db.DrawNewID("CURRENT_ID_CONSULTATION");
        Bind(line, id, *target, *day);

        if (report_ && AlreadyImported(*target, *day)) {
            report_->Add(line.Raw());
            return LineOutcome::Matched;
        }
        line.Write(QConsult);
        state_.lists.fSourceIDConsultList.Add(std::to_string(line.Number() + 1));
        state_.lists.fDatabaseIDConsultList.Add(id);
        return LineOutcome::Imported;
    }

private:
    // The line's animal and client; nothing when the line has no place, and then skipped says why.
    std::optional<Target> Resolve(const StepLine &line, std::string &skipped) {
        const std::string &sourceAnimal = line.Field("ID_ANIMAL");
        const std::string &sourceClient = line.Field("ID_CLIENT");
        Target t;
        switch (mode_) {
        case ResolutionMode::KeepIDs:
            t.animal = TryStrToInt(sourceAnimal).value_or(-1);
            t.client = TryStrToInt(sourceClient).value_or(-1);
            if (t.animal == -1 || t.client == -1) {
                const bool animal = t.animal == -1;
                skipped = std::string(animal ? "ID_ANIMAL '" : "ID_CLIENT '") + (animal ? sourceAnimal : sourceClient) +
                          FromUtf8("' n'est pas un identifiant numérique : les identifiants du logiciel d'origine "
                                   "sont gardés (cbGarder_ID_CLIENT_du_logiciel_d_origine, "
                                   "cbGarder_ID_ANIMAL_du_logiciel_d_origine)");
                return std::nullopt;
            }
            t.traceClient = sourceClient;
            return t;
        case ResolutionMode::AddToExisting: {
            if (!sourceClient.empty()) {
                skipped = FromUtf8("ID_CLIENT renseigné : \"Ajout consult\" (cbAjout) n'ajoute que les consultations "
                                   "sans ID_CLIENT");
                return std::nullopt;
            }
            const int animal = StrToInt(sourceAnimal);
            QFindClient.SetInt("ID", animal);
            const bool found = QFindClient.Open();
            if (found) {
                t.animal = animal;
                t.client = QFindClient.GetInt("IDCLIENT");
            }
            QFindClient.Close();
            if (!found) {
                skipped = FromUtf8("animal ") + std::to_string(animal) +
                          FromUtf8(" absent de la base : \"Ajout consult\" (cbAjout)");
                return std::nullopt;
            }
            t.traceClient = std::to_string(t.client);
            return t;
        }
        case ResolutionMode::Injection:
        case ResolutionMode::Default: {
            const CorrespondenceLists &lists = state_.lists;
            const int i = lists.fSourceIDAnimalList.IndexOf(sourceAnimal);
            if (i == -1) {
                skipped = AnimalNotImported(sourceAnimal);
                return std::nullopt;
            }
            t.animal = lists.fDatabaseIDAnimalList.Get(i);
            t.client = lists.fDatabaseIDClientOfIDAnimalList.Get(i);
            // A correspondence file with an unreadable line gives -1: never attach a consultation to it.
            if (t.animal == -1 || t.client == -1)
                throw ListError(FromUtf8("animal ") + sourceAnimal +
                                FromUtf8(" sans identifiant cible dans les listes de correspondance"));
            if (mode_ == ResolutionMode::Injection)
                t.traceClient = sourceClient;
            return t;
        }
        }
        return std::nullopt;
    }

    void Bind(const StepLine &line, int id, const Target &target, const Date &day) {
        const ImportOptions &o = state_.options;
        const int veterinarian = GetTargetUserID(state_, line.Field("ID_USER"));
        QConsult.SetInt("ID", id);
        QConsult.SetInt("IDANIMAL", target.animal);
        QConsult.SetInt("IDCLIENT", target.client);
        QConsult.SetInt("ID_SITE", GetSiteID(o));
        QConsult.SetInt("IDFACTURE", -1);
        QConsult.SetDateTime("DATETIME_CONSULT", DateTime{day});
        QConsult.SetInt("IDVETO_RESPONSABLE", veterinarian);
        QConsult.SetInt("IDVETO_CONSULT", veterinarian);
        QConsult.SetInt("VUENGARDE", 0);
        QConsult.SetInt("VUENURGENCE", 0);
        QConsult.SetNull("TEMPERATURE");
        QConsult.SetNull("POIDS");
        QConsult.SetText("REFERE_A", "");
        QConsult.SetText("KEYWORDLIST", "");
        QConsult.SetText("SYNTHESE", "");
        QConsult.SetText("VACCINS", "");
        QConsult.SetInt("MODE", 0);
        QConsult.SetInt("VUADOMICILE", 0);
        QConsult.SetInt("IDORDONNANCE", -1);
        QConsult.SetInt("IDORDONNANCE_PHARMA", -1);
        QConsult.SetText("MOTIF", line.Has("MOTIF") ? TrimAndCut(line.Field("MOTIF"), 60) : std::string());

        // A long consultation is held as few times as possible: the previous line's document is let go before
        // this one is built, the text is taken out of the line, its blanks collapsed in place, and the document
        // is written from it line by line, no line held on its own (a text of many short lines would take
        // tens of bytes per line otherwise).
        QConsult.SetNull("CARTON");
        std::string text = line.TakeField("CONSULTATION");
        if (o.cbRichViewMode) {
            if (o.cdDeleteTropEspacesInConsult)
                CollapseBlankRuns(text);
            QConsult.SetBlob("CARTON", ConsultationDocumentRVFFrom(
                                           [&text](const auto &each) { ForEachRichTextConsultationLine(text, each); }));
            QConsult.SetInt("NUM_VERSION", 1);
        } else {
            QConsult.SetBlob("CARTON", PlainTabMarkedFieldText(text));
            QConsult.SetNull("NUM_VERSION");
        }
    }

    // A consultation of the same animal and client on the same day, also one inserted earlier in this run.
    bool AlreadyImported(const Target &target, const Date &day) {
        QFind.SetInt("IDCLIENT", target.client);
        QFind.SetInt("IDANIMAL", target.animal);
        QFind.SetDateTime("DATETIME_CONSULT_1", DateTime{day});
        QFind.SetDateTime("DATETIME_CONSULT_2", DateTime{CivilFromDays(DaysFromCivil(day) + 1)});
        const bool found = QFind.Open();
        QFind.Close();
        return found;
    }

    RunState &state_;
    ResolutionMode mode_;
    Statement QConsult;
    Statement QFindClient;
    Statement QFind;
    std::optional<DuplicatesReport> report_;
};

} // namespace

const StepDefinition &ConsultationStepDefinition() {
    static const StepDefinition definition{
        .fileName = kFileName,
        .checkBox = &ImportOptions::cbCONSULTATIONS,
        .waitText = "Importation des consultations",
        .progressText = "Importation consultation ",
        .mandatoryColumns = {"ID_ANIMAL", "ID_CLIENT", "DATE_CONSULTATION", "CONSULTATION"},
        .interruptionKind = "CONSULTATIONS",
        .logPrefix = {},
        .logsInterruption = true,
        .rowsTravelTogether = true,
    };
    return definition;
}

void doImportationConsultations(RunState &state) {
    if (state.StopRequested || !state.options.cbCONSULTATIONS.Ticked())
        return;
    if (state.options.cbModeRatrapage)
        ReloadAnimalLists(state);

    ConsultationStep step(state);
    RunImportStep(
        state, ConsultationStepDefinition(), [&step](const StepLine &line) { return step.Import(line); },
        [&step, &state] {
            if (state.options.cbDedoublonageConsult)
                step.OpenDuplicatesReport();
        });
    step.CloseDuplicatesReport();
}

const StepEntry &ConsultationStepEntry() {
    static const StepEntry entry{
        .name = "doImportationConsultations",
        .label = "Consultations",
        .work = doImportationConsultations,
        .files = {{.definition = ConsultationStepDefinition,
                   .boxPosition = 3,
                   .fields = {{.column = "DATE_CONSULTATION", .conversion = Conversion::Date, .emptyAllowed = true}},
                   .references = {{"ID_ANIMAL", "ANIMAUX.TXT", "ID_ANIMAL"}}}}};
    return entry;
}

} // namespace clinova
