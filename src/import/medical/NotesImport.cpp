#include "import/medical/NotesImport.h"

#include "app/RunState.h"
#include "app/StepEntry.h"
#include "import/clients_animals/LeftAsideReasons.h"
#include "app/UsersCorrespondence.h"
#include "database/Statement.h"
#include "import/medical/EventTargets.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

namespace clinova {

namespace {

const char *const kQNotes = "insert into NOTES_DOSSIER (ID,ID_ANIMAL,ID_USER,DT_RECORD, SUMMARY, ID_HOSPI, ID_SITE) "
                            "values (:ID,:ID_ANIMAL,:ID_USER,:DT_RECORD, :SUMMARY, :ID_HOSPI, :ID_SITE)";

class NotesStep {
public:
    explicit NotesStep(RunState &state) : state_(state), QNotes(state.db, kQNotes) {}

    LineOutcome Import(const StepLine &line) {
        const std::string &date = line.Field("DATE");
        const std::string &notes = line.Field("NOTES");
        if (date.empty())
            return line.Skip(FromUtf8("DATE vide : note sans date"));
        if (notes.empty())
            return line.Skip(FromUtf8("NOTES vide : note sans texte"));
        const CorrespondenceLists &lists = state_.lists;
        const std::string &sourceAnimal = line.Field("ID_ANIMAL");
        const int i = lists.fSourceIDAnimalList.IndexOf(sourceAnimal);
        if (i == -1)
            return line.Skip(AnimalNotImported(sourceAnimal));
        const int animal = TargetAnimal(lists, i, sourceAnimal);

        // The identifier is drawn first: a line whose date fails has used its identifier, as in the events
        // and reminders, so that the notes after it get the identifiers the product expects.
        QNotes.SetInt("ID", state_.db.DrawNewID("GEN_NOTES_DOSSIER"));
        QNotes.SetInt("ID_ANIMAL", animal);
        QNotes.SetInt("ID_USER", GetTargetUserID(state_, line.Field("ID_USER")));
        QNotes.SetDateTime("DT_RECORD", DateTime{ParseDateDMY(date)});
        QNotes.SetText("SUMMARY", notes);
        QNotes.SetInt("ID_HOSPI", -1);
        QNotes.SetInt("ID_SITE", GetSiteID(state_.options));
        line.Write(QNotes);
        return LineOutcome::Imported;
    }

private:
    RunState &state_;
    Statement QNotes;
};

} // namespace

const StepDefinition &NoteStepDefinition() {
    static const StepDefinition definition{
        .fileName = "NOTES.TXT",
        .checkBox = &ImportOptions::cbNOTES,
        .waitText = "Importation des notes",
        .progressText = "Importation notes ",
        .mandatoryColumns = {"ID_ANIMAL", "ID_USER", "DATE", "NOTES"},
        .interruptionKind = "NOTES",
        .logPrefix = {},
        .logsInterruption = true,
        .rowsTravelTogether = true,
    };
    return definition;
}

void doImpprtationNotes(RunState &state) {
    NotesStep step(state);
    RunImportStep(state, NoteStepDefinition(), [&step](const StepLine &line) { return step.Import(line); });
}

namespace {

bool HasNoteText(const StepLine &line) {
    return !line.Field("NOTES").empty();
}

} // namespace

const StepEntry &NoteStepEntry() {
    static const StepEntry entry{
        .name = "doImpprtationNotes",
        .label = "Notes",
        .work = doImpprtationNotes,
        .files = {{.definition = NoteStepDefinition,
                   .boxPosition = 10,
                   .fields = {{.column = "DATE",
                               .conversion = Conversion::Date,
                               .emptyAllowed = true,
                               .applies = HasNoteText}},
                   .references = {{"ID_ANIMAL", "ANIMAUX.TXT", "ID_ANIMAL"}}}}};
    return entry;
}

} // namespace clinova
