#include "import/catalogue/InventoryImport.h"

#include "app/ImportStep.h"
#include "app/RunState.h"
#include "app/StepEntry.h"
#include "database/Statement.h"
#include "import/catalogue/ArticleFinder.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace clinova {

namespace {

struct Wholesaler {
    int id;
    std::string name;
};

// The optional quantity columns: 0 and absent when the file lacks the column.
struct Quantity {
    bool present = false;
    int value = 0;
};

Quantity ReadQuantity(const StepLine &line, const char *column) {
    if (!line.Has(column))
        return {};
    return {true, StrToInt(line.Field(column))};
}

class InventoryStep {
public:
    InventoryStep(RunState &state, const StepDefinition &definition)
        : state_(state), definition_(definition), finder_(state.db, GetSiteID(state.options)), QUpdate(state.db) {}

    void ReadWholesalers() {
        Statement query(state_.db,
                        "select ID, NOM from CENTRALES where ID_SITE=" + std::to_string(GetSiteID(state_.options)));
        for (bool row = query.Open(); row; row = query.Next())
            wholesalers_.push_back({query.GetInt("ID"), query.GetText("NOM")});
        query.Close();
    }

    LineOutcome Import(const StepLine &line) {
        const std::string &centrale = line.Field("CENTRALE");
        const std::string &code = line.Field("CODE_PRODUIT");
        const std::string &methode = line.Field("METHODE");
        const Quantity nonOuvert = ReadQuantity(line, "QUANTITE_NON_OUVERT");
        const Quantity ouvert = ReadQuantity(line, "QUANTITE_OUVERT");
        const Quantity deconditionne = ReadQuantity(line, "JE_DECONDITIONNE_EN");
        const Quantity entierIdeal = ReadQuantity(line, "ENTIER_IDEAL");
        const Quantity detailIdeal = ReadQuantity(line, "DETAIL_IDEAL");
        const Quantity coef = ReadQuantity(line, "COEF");

        const Wholesaler *wholesaler = FindWholesaler(centrale);
        if (!wholesaler) {
            std::string reason = FromUtf8("Nom de la centrale inconnu : ") + centrale;
            state_.op.AddToLog(LineFailureLog(definition_, line.Number(), reason));
            return line.Skip(std::move(reason));
        }
        const bool adds = methode == "+";
        if (!adds && methode != "0")
            return line.Skip(FromUtf8("METHODE '") + methode + FromUtf8("' : ni \"0\" (remplacer) ni \"+\" (ajouter)"));

        std::optional<TArticle> article = finder_.FindArticleByCodeCentrale(code, wholesaler->id);
        if (!article)
            article = finder_.FindArticle(code, wholesaler->id);
        if (!article)
            return line.Skip(FromUtf8("produit ") + code + FromUtf8(" introuvable pour la centrale ") + centrale);

        if (QUpdate.SQL().empty())
            QUpdate.SetSQL(UpdateText(deconditionne.present && ouvert.present, entierIdeal.present, detailIdeal.present,
                                      coef.present));
        QUpdate.SetInt("ID", article->ID);
        // Added in 64 bits: a total beyond the column's range fails the line at the database.
        QUpdate.SetInt64("QTX_FULL", adds ? std::int64_t{nonOuvert.value} + article->QTX_FULL : nonOuvert.value);
        if (QUpdate.HasParameter("COND")) {
            QUpdate.SetDouble("COND", deconditionne.value);
            QUpdate.SetInt64("QTX_DETAIL", adds ? std::int64_t{article->QTX_DETAIL} + ouvert.value : ouvert.value);
        }
        if (entierIdeal.present)
            QUpdate.SetInt("QTX_FULL_IDEAL", entierIdeal.value);
        if (detailIdeal.present)
            QUpdate.SetInt("QTX_DETAIL_IDEAL", detailIdeal.value);
        if (coef.present)
            QUpdate.SetDouble("COEF", coef.value / 1000.0);
        QUpdate.Execute();
        return LineOutcome::Imported;
    }

private:
    // The same for every line: the pieces depend only on the columns of the file.
    static std::string UpdateText(bool detail, bool fullIdeal, bool detailIdeal, bool coef) {
        std::string sql = "update TARIFSPRODUITS set QTX_FULL=:QTX_FULL, SUIVI_STOCK=1\n";
        if (detail)
            sql += ", COND=:COND , QTX_DETAIL=:QTX_DETAIL\n";
        if (fullIdeal)
            sql += ", QTX_FULL_IDEAL=:QTX_FULL_IDEAL\n";
        if (detailIdeal)
            sql += ", QTX_DETAIL_IDEAL=:QTX_DETAIL_IDEAL\n";
        if (coef)
            sql += ", COEF=:COEF\n";
        return sql + "where (ID=:ID)";
    }

    // Names are compared without regard to case; the first match wins.
    const Wholesaler *FindWholesaler(const std::string &name) const {
        for (const auto &w : wholesalers_)
            if (SameText1252(w.name, name))
                return &w;
        return nullptr;
    }

    RunState &state_;
    const StepDefinition &definition_;
    std::vector<Wholesaler> wholesalers_;
    ArticleFinder finder_;
    Statement QUpdate;
};

} // namespace

const StepDefinition &InventoryStepDefinition() {
    static const StepDefinition definition{
        .fileName = "INVENTAIRE.TXT",
        .checkBox = &ImportOptions::cbINVENTAIRE,
        .waitText = "Importation inventaire",
        .progressText = "Importation inventaire ",
        .mandatoryColumns = {"CENTRALE", "CODE_PRODUIT", "METHODE"},
        .interruptionKind = "INVENTAIRE",
        .logPrefix = {},
        .logsInterruption = true,
    };
    return definition;
}

void doImportationInventaires(RunState &state) {
    const StepDefinition &definition = InventoryStepDefinition();
    if (state.StopRequested || !state.options.cbINVENTAIRE.Ticked())
        return;
    InventoryStep step(state, definition);
    RunImportStep(
        state, definition, [&step](const StepLine &line) { return step.Import(line); },
        [&step] { step.ReadWholesalers(); });
}

const StepEntry &InventoryStepEntry() {
    static const StepEntry entry{
        .name = "doImportationInventaires",
        .label = "Inventaire",
        .work = doImportationInventaires,
        .files = {{.definition = InventoryStepDefinition,
                   .boxPosition = 8,
                   .fields = {{.column = "QUANTITE_NON_OUVERT", .conversion = Conversion::Integer},
                              {.column = "QUANTITE_OUVERT", .conversion = Conversion::Integer},
                              {.column = "JE_DECONDITIONNE_EN", .conversion = Conversion::Integer},
                              {.column = "ENTIER_IDEAL", .conversion = Conversion::Integer},
                              {.column = "DETAIL_IDEAL", .conversion = Conversion::Integer},
                              {.column = "COEF", .conversion = Conversion::Integer}}}}};
    return entry;
}

} // namespace clinova
