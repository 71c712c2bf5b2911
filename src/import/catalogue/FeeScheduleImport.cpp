#include "import/catalogue/FeeScheduleImport.h"

#include "app/ImportStep.h"
#include "app/RunState.h"
#include "app/StepEntry.h"
#include "database/Statement.h"
#include "normalized/Conversions.h"
#include "normalized/Errors.h"
#include "normalized/TColList.h"
#include "normalized/Win1252.h"

#include <cstdint>
#include <limits>

namespace clinova {

namespace {

// A category replaces the site's category of that number and empties it of its acts, in one request: the line
// leaves the category as it was when its insert fails.
const char *const kQCategorieActes =
    "EXECUTE BLOCK (ID INTEGER = :ID, LIBELLE TYPE OF COLUMN TARIFSACTES_CAT.LIBELLE = :LIBELLE, "
    "ID_SITE INTEGER = :ID_SITE) AS BEGIN\n"
    "delete from TARIFSACTES_CAT where (ID=:ID) and (ID_SITE=:ID_SITE);\n"
    "delete from TARIFSACTES where (IDCAT=:ID) and (ID_SITE=:ID_SITE);\n"
    "INSERT INTO TARIFSACTES_CAT (ID,LIBELLE,ID_SITE) VALUES (:ID,:LIBELLE,:ID_SITE);\n"
    "END";

const char *const kQTarifsActes =
    "INSERT INTO TARIFSACTES (ID,IDCAT,CODE,LIBELLE,PRIXVENTE,DESCRIPTION,LINK_WITH_PRODUIT,PRODUITS,TAUXTVA,ID_SITE) "
    "VALUES (:ID,:IDCAT,:CODE,:LIBELLE,:PRIXVENTE,:DESCRIPTION,:LINK_WITH_PRODUIT,:PRODUITS,:TAUXTVA,:ID_SITE)";

StepDefinition FeeScheduleFile(const char *fileName, std::vector<std::string> mandatoryColumns) {
    return StepDefinition{
        .fileName = fileName,
        .checkBox = nullptr, // both files must be ticked: decided by the step
        .waitText = FromUtf8("Importation du tarif des honoraires"),
        .progressText = FromUtf8("Importation du tarif des honoraires "),
        .mandatoryColumns = std::move(mandatoryColumns),
        .interruptionKind = "TARIFS_ACTES",
        .logPrefix = {},
        .logsInterruption = false,
    };
}

// Money and rates in hundredths; an empty field is 0.
int HundredthsField(const StepLine &line, const char *column) {
    const std::string &text = line.Field(column);
    return text.empty() ? 0 : StrToInt(text);
}

// Vertical tabs start new lines; the lines are joined with CR LF, without outer blank lines.
std::string MultiLineText(const std::string &field) {
    return VerticalTabLinesText(field);
}

class FeeScheduleStep {
public:
    explicit FeeScheduleStep(RunState &state)
        : state_(state), site_(GetSiteID(state.options)), QCategorieActes(state.db, kQCategorieActes),
          QTarifsActes(state.db, kQTarifsActes) {}

    LineOutcome ImportCategory(const StepLine &line) {
        const int number = StrToInt(line.Field("ID_CATEGORIE"));
        if (!IsSourceCategory(number))
            return line.Skip(OutsideCategories(number));
        QCategorieActes.SetInt("ID", TargetCategory(number));
        QCategorieActes.SetText("LIBELLE", line.Field("LIBELLE_CATEGORIE"));
        QCategorieActes.SetInt("ID_SITE", site_);
        QCategorieActes.Execute();
        return LineOutcome::Imported;
    }

    LineOutcome ImportAct(const StepLine &line) {
        const int number = StrToInt(line.Field("ID_CATEGORIE"));
        const int price = HundredthsField(line, "PRIX_VENTE_TTC");
        const int rate = HundredthsField(line, "TAUX_TVA");
        if (!IsSourceCategory(number))
            return line.Skip(OutsideCategories(number));
        QTarifsActes.SetInt("ID", state_.db.DrawNewID("CURRENT_ID_TARIFACTE"));
        QTarifsActes.SetInt("IDCAT", TargetCategory(number));
        QTarifsActes.SetText("CODE", TrimAndCut(line.Field("ID_CODE_ACTE"), 7));
        QTarifsActes.SetText("LIBELLE", TrimAndCut(line.Field("LIBELLE"), 60));
        QTarifsActes.SetDouble("PRIXVENTE", price / 100.0);
        QTarifsActes.SetText("DESCRIPTION", MultiLineText(line.Field("DESCRIPTION")));
        QTarifsActes.SetInt("LINK_WITH_PRODUIT", 0);
        QTarifsActes.SetText("PRODUITS", MultiLineText(line.Field("OPTIONS")));
        QTarifsActes.SetDouble("TAUXTVA", rate / 100.0);
        QTarifsActes.SetInt("ID_SITE", site_);
        line.Write(QTarifsActes);
        return LineOutcome::Imported;
    }

private:
    static bool IsSourceCategory(int number) { return number >= 1 && number <= 50; }
    static std::string OutsideCategories(int number) {
        return FromUtf8("ID_CATEGORIE ") + std::to_string(number) + FromUtf8(" hors des catégories 1 à 50");
    }

    // Each site owns a block of 100 identifiers: category 7 of site 3 is 207.
    int TargetCategory(int number) const {
        const std::int64_t id = number + (static_cast<std::int64_t>(site_) - 1) * 100;
        if (id < std::numeric_limits<std::int32_t>::min() || id > std::numeric_limits<std::int32_t>::max())
            throw ConversionError(FromUtf8("numéro de site hors limites : ") + std::to_string(site_));
        return static_cast<int>(id);
    }

    RunState &state_;
    int site_;
    Statement QCategorieActes;
    Statement QTarifsActes;
};

} // namespace

const StepDefinition &FeeCategoryStepDefinition() {
    static const StepDefinition definition =
        FeeScheduleFile("CATEGORIES_ACTES.TXT", {"ID_CATEGORIE", "LIBELLE_CATEGORIE"});
    return definition;
}

const StepDefinition &FeeActStepDefinition() {
    // The acts' rows travel together; a category's line replaces its category in a request of its own.
    static const StepDefinition definition = [] {
        StepDefinition acts = FeeScheduleFile("TARIFS_ACTES.TXT",
                                              {"ID_CATEGORIE", "ID_CODE_ACTE", "LIBELLE", "PRIX_VENTE_TTC", "TAUX_TVA"});
        acts.rowsTravelTogether = true;
        return acts;
    }();
    return definition;
}

void doImportationTarifsActes(RunState &state) {
    const ImportOptions &o = state.options;
    if (state.StopRequested || !o.cbCATEGORIES_ACTES.Ticked() || !o.cbTARIFS_ACTES.Ticked())
        return;

    const StepDefinition &categories = FeeCategoryStepDefinition();
    const StepDefinition &acts = FeeActStepDefinition();
    // Both headers are checked before anything is written: the categories' clean-up deletes their acts, which
    // must not happen when the acts cannot be read.
    if (!CheckStepFiles(state, {&categories, &acts}))
        return;

    // Every category is in place before the first act is read.
    FeeScheduleStep step(state);
    RunImportStep(state, categories, [&step](const StepLine &line) { return step.ImportCategory(line); });
    if (!state.StopRequested)
        RunImportStep(state, acts, [&step](const StepLine &line) { return step.ImportAct(line); });
}

const StepEntry &FeeScheduleStepEntry() {
    static const StepEntry entry{
        .name = "doImportationTarifsActes",
        .label = "Tarifs des actes",
        .work = doImportationTarifsActes,
        .files = {{.definition = FeeCategoryStepDefinition,
                   .box = &ImportOptions::cbCATEGORIES_ACTES,
                   .boxPosition = 6,
                   .fields = {{.column = "ID_CATEGORIE", .conversion = Conversion::Integer}}},
                  {.definition = FeeActStepDefinition,
                   .box = &ImportOptions::cbTARIFS_ACTES,
                   .boxPosition = 7,
                   .fields = {{.column = "ID_CATEGORIE", .conversion = Conversion::Integer},
                              {.column = "PRIX_VENTE_TTC", .conversion = Conversion::Integer, .emptyAllowed = true},
                              {.column = "TAUX_TVA", .conversion = Conversion::Integer, .emptyAllowed = true}},
                   .references = {{"ID_CATEGORIE", "CATEGORIES_ACTES.TXT", "ID_CATEGORIE"}}}}};
    return entry;
}

} // namespace clinova
