#include "import/catalogue/DosageImport.h"

#include "app/ImportStep.h"
#include "app/RunState.h"
#include "app/StepEntry.h"
#include "database/Statement.h"
#include "import/catalogue/DosageWriter.h"
#include "normalized/Conversions.h"
#include "normalized/Errors.h"
#include "normalized/NormalizedFile.h"
#include "normalized/TColList.h"
#include "normalized/TCut.h"
#include "normalized/Win1252.h"

#include <map>
#include <string>
#include <vector>

namespace clinova {

namespace {

struct Origin {
    std::string code;
    std::string wholesalerName;
    int wholesalerID = -1;
};

// The usable lines of POSOLOGIES_ORIGINES.TXT, in file order; none when the file or one of its two columns
// is missing.
std::vector<Origin> ReadOrigins(const std::string &path) {
    std::vector<Origin> origins;
    TColList columns;
    columns.LoadHeader(path);
    for (const auto &column : DosageOriginDefinition().mandatoryColumns)
        if (!columns.FindColumn(column))
            return origins;
    LineReader reader(path);
    std::string line;
    TCut cut;
    if (!reader.Next(line))
        return origins;
    cut.Separator = '\t';
    cut.Line = line;
    cut.PrepareFromLine();
    while (reader.Next(line)) {
        cut.Line = line;
        if (!cut.Cut())
            continue;
        cut.TrimFields();
        const std::string &code = FieldOf(columns, cut, "ORIGINE");
        const std::string &name = FieldOf(columns, cut, "CENTRALE_NAME");
        if (!code.empty() && !name.empty())
            origins.push_back({code, name, -1});
    }
    return origins;
}

class DosageStep {
public:
    DosageStep(RunState &state, std::vector<Origin> origins)
        : origins_(std::move(origins)), writer_(state.db),
          QGTIN(state.db, "select CODE_GTIN from TARIFSPRODUITS where (IDFOURNISSEUR=:IDFOURNISSEUR) and "
                          "(CODECENTRALE=:CODECENTRALE)"),
          QCentrale(state.db, "select ID from CENTRALES where NOM=:NOM") {}

    // By exact name, on every site; the first row gives the identifier. Each name is looked for once.
    void ResolveWholesalers() {
        std::map<std::string, int> found;
        for (auto &origin : origins_) {
            const auto [known, added] = found.try_emplace(origin.wholesalerName, origin.wholesalerID);
            if (added) {
                QCentrale.SetText("NOM", origin.wholesalerName);
                if (QCentrale.Open())
                    known->second = QCentrale.GetInt("ID");
                QCentrale.Close();
            }
            origin.wholesalerID = known->second;
        }
    }

    LineOutcome Import(const StepLine &line) {
        const std::string &originCode = line.Field("ORIGINE");
        const std::string &code = line.Field("CODE_CENTRALE");
        const std::string &text = line.Field("POSOLOGIE");
        for (const auto &[column, field] : {std::pair{"ORIGINE", &originCode}, std::pair{"CODE_CENTRALE", &code},
                                            std::pair{"POSOLOGIE", &text}})
            if (field->empty())
                return line.Skip(column + FromUtf8(" vide"));
        const Origin *origin = FindOrigin(originCode);
        if (!origin)
            return line.Skip(FromUtf8("ORIGINE ") + originCode + FromUtf8(" absente de POSOLOGIES_ORIGINES.TXT"));
        if (origin->wholesalerID == -1)
            return line.Skip(FromUtf8("centrale ") + origin->wholesalerName +
                             FromUtf8(" (ORIGINE ") + originCode + FromUtf8(") absente de CENTRALES"));

        QGTIN.SetInt("IDFOURNISSEUR", origin->wholesalerID);
        QGTIN.SetText("CODECENTRALE", code);
        const std::string gtin = QGTIN.Open() ? Trim(QGTIN.GetText("CODE_GTIN")) : std::string();
        QGTIN.Close();
        if (gtin.empty())
            return line.Skip(FromUtf8("pas de code GTIN pour le produit ") + code + FromUtf8(" de la centrale ") +
                             origin->wholesalerName);

        // Vertical tabs are the file's line breaks.
        if (!writer_.AddDosage(VerticalTabsToLines(text), gtin))
            throw Error(FromUtf8("posologie non enregistrée : ") + writer_.LastError());
        return LineOutcome::Imported;
    }

private:
    // Origin codes are compared without regard to case; the first match wins.
    const Origin *FindOrigin(const std::string &code) const {
        for (const auto &origin : origins_)
            if (SameText1252(origin.code, code))
                return &origin;
        return nullptr;
    }

    std::vector<Origin> origins_;
    DosageWriter writer_;
    Statement QGTIN;
    Statement QCentrale;
};

} // namespace

const StepDefinition &DosageStepDefinition() {
    static const StepDefinition definition{
        .fileName = "POSOLOGIES.TXT",
        .checkBox = &ImportOptions::cbPOSOLOGIES,
        .waitText = "Importation des posologies",
        .progressText = "Importation des posologies ",
        .mandatoryColumns = {}, // a line without its values is left aside silently
        .interruptionKind = "POSOLOGIES",
        .logPrefix = {},
        .logsInterruption = false,
    };
    return definition;
}

// Read before the step, by the step itself: only its file name and columns are used.
const StepDefinition &DosageOriginDefinition() {
    static const StepDefinition definition{
        .fileName = "POSOLOGIES_ORIGINES.TXT",
        .checkBox = nullptr,
        .waitText = {},
        .progressText = {},
        .mandatoryColumns = {"ORIGINE", "CENTRALE_NAME"},
        .interruptionKind = {},
        .logPrefix = {},
        .logsInterruption = false,
    };
    return definition;
}

void doImportationPosologies(RunState &state) {
    if (state.StopRequested || !state.options.cbPOSOLOGIES.Ticked())
        return;
    std::vector<Origin> origins = ReadOrigins(state.SourcePath(DosageOriginDefinition().fileName));
    if (origins.empty())
        return;

    DosageStep step(state, std::move(origins));
    RunImportStep(
        state, DosageStepDefinition(), [&step](const StepLine &line) { return step.Import(line); },
        [&step] { step.ResolveWholesalers(); });
}

const StepEntry &DosageStepEntry() {
    static const StepEntry entry{
        .name = "doImportationPosologies",
        .label = "Posologies",
        .work = doImportationPosologies,
        .files = {{.definition = DosageOriginDefinition, .box = &ImportOptions::cbPOSOLOGIES},
                  {.definition = DosageStepDefinition,
                   .boxPosition = 14,
                   .references = {{"ORIGINE", "POSOLOGIES_ORIGINES.TXT", "ORIGINE"}}}}};
    return entry;
}

} // namespace clinova
