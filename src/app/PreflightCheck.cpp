#include "app/PreflightCheck.h"

#include "app/IdentifierList.h"
#include "app/ImportStep.h"
#include "import/catalogue/AppointmentImport.h"
#include "import/catalogue/Cities.h"
#include "import/catalogue/ContactImport.h"
#include "import/catalogue/DosageImport.h"
#include "import/catalogue/FeeScheduleImport.h"
#include "import/catalogue/InventoryImport.h"
#include "import/clients_animals/AnimalImport.h"
#include "import/clients_animals/ClientImport.h"
#include "import/clients_animals/WeightImport.h"
#include "import/medical/ConsultationImport.h"
#include "import/medical/EventImport.h"
#include "import/medical/NotesImport.h"
#include "import/medical/ReminderImport.h"
#include "normalized/Conversions.h"
#include "normalized/Errors.h"
#include "normalized/NormalizedFile.h"
#include "normalized/TColList.h"
#include "normalized/TCut.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <climits>
#include <filesystem>
#include <map>
#include <optional>

namespace clinova {

namespace {

// Weight: a whole number the step reads leniently: what is not one becomes 0, and the step then leaves the
// weighing aside without a word; the check says so.
enum class Conversion { Date, Integer, Weight };

// A field a step converts; a value that does not convert fails the step's line. The field is looked at
// only when the header has its column, as the steps do.
struct Field {
    const char *column;
    Conversion conversion;
    bool emptyAllowed = false; // the step leaves an empty field aside instead of converting it
    int lowest = INT_MIN;
    int highest = INT_MAX;
    // The step converts the field only on the lines where this holds, or only with this setting ticked.
    bool (*applies)(const StepLine &) = nullptr;
    bool ImportOptions::*setting = nullptr;
    const char *consequence = nullptr; // Weight: what the step does with a value that is not a whole number
};

// A field naming a record of another file of the folder, as the default mode of the steps resolves it:
// its value must be the targetColumn of a line of that file, letter case ignored as the correspondence
// lists ignore it. With sameColumn, that line must also hold this line's value of sameColumn (the animal
// of an event must belong to the event's client). Empty values name nothing.
struct Reference {
    const char *column;
    const StepDefinition &(*target)();
    const char *targetColumn;
    const char *sameColumn = nullptr;
};

// What the check knows of one file: the step's definition (file name, mandatory columns), the fields it
// converts and the references it resolves.
struct FileRules {
    const StepDefinition &(*definition)();
    FileCheckBox ImportOptions::*box = nullptr; // for the files whose definition has no check box
    std::vector<Field> fields = {};
    std::vector<Reference> references = {};
};

bool NonZeroInteger(const std::string &text) {
    return TryStrToInt(text).value_or(0) != 0;
}
bool CreatesLoyaltyCard(const StepLine &line) {
    return line.Field("FIDELITE_CREER_CARTE") == "1";
}
bool HasFirstWeight(const StepLine &line) {
    return NonZeroInteger(line.Field("POIDS"));
}
bool HasPassportNumber(const StepLine &line) {
    return !line.Field("PASSEPORT_NUMERO").empty();
}
bool IsWeighing(const StepLine &line) {
    return NonZeroInteger(line.Field("POIDS_GR")) && !line.Field("DATE").empty();
}
bool HasDate(const StepLine &line) {
    return !line.Field("DATE").empty();
}
bool HasNoteText(const StepLine &line) {
    return !line.Field("NOTES").empty();
}

// The files in the order a run reads them. The weights' stay, site and user are those of the databases of
// build 85 and later, the ones the product installs today.
const std::vector<FileRules> &Rules() {
    using enum Conversion;
    static const std::vector<FileRules> rules = {
        {.definition = ContactStepDefinition},
        {.definition = ClientStepDefinition,
         .fields = {{.column = "ID_CLIENT",
                     .conversion = Integer,
                     .setting = &ImportOptions::cbGarder_ID_CLIENT_du_logiciel_d_origine},
                    {.column = "RELANCE_PAPIER", .conversion = Integer},
                    {.column = "RELANCE_EMAIL", .conversion = Integer},
                    {.column = "RELANCE_SMS", .conversion = Integer},
                    {.column = "COLOR", .conversion = Integer},
                    {.column = "REMISE_ACTES", .conversion = Integer, .emptyAllowed = true},
                    {.column = "REMISE_PRODUITS", .conversion = Integer, .emptyAllowed = true},
                    {.column = "DATE_CREATION", .conversion = Date, .emptyAllowed = true},
                    {.column = "FIDELITE_TOTAL_ENCAISSEMENT_TTC_INT100",
                     .conversion = Integer,
                     .applies = CreatesLoyaltyCard},
                    {.column = "FIDELITE_POURCENTAGE_INT100", .conversion = Integer, .applies = CreatesLoyaltyCard},
                    {.column = "FIDELITE_TOTAL_ACHATS", .conversion = Integer, .applies = CreatesLoyaltyCard}},
         .references = {{"ID_REFERE_PAR", ContactStepDefinition, "ID_CONTACT"}}},
        {.definition = AnimalStepDefinition,
         .fields =
             {{.column = "ID_ANIMAL",
               .conversion = Integer,
               .setting = &ImportOptions::cbGarder_ID_ANIMAL_du_logiciel_d_origine},
              {.column = "DATE_NAISSANCE", .conversion = Date, .emptyAllowed = true},
              {.column = "DATE_DECES", .conversion = Date, .emptyAllowed = true},
              {.column = "TATOUAGE_DATE", .conversion = Date, .emptyAllowed = true},
              {.column = "PUCE_DATE", .conversion = Date, .emptyAllowed = true},
              {.column = "DATE_PESEE", .conversion = Date, .emptyAllowed = true, .applies = HasFirstWeight},
              {.column = "DATE_CREATION", .conversion = Date, .emptyAllowed = true},
              {.column = "PASSEPORT_DATE", .conversion = Date, .emptyAllowed = true, .applies = HasPassportNumber},
              {.column = "POIDS", .conversion = Weight, .consequence = "l'animal sera importé sans poids"}},
         .references = {{"ID_CLIENT", ClientStepDefinition, "ID_CLIENT"}}},
        {.definition = WeightStepDefinition,
         .fields = {{.column = "POIDS_GR",
                     .conversion = Weight,
                     .applies = HasDate,
                     .consequence = "la pesée sera ignorée"},
                    {.column = "DATE", .conversion = Date, .applies = IsWeighing},
                    {.column = "ID_HOSPI", .conversion = Integer, .applies = IsWeighing},
                    {.column = "ID_SITE", .conversion = Integer, .applies = IsWeighing},
                    {.column = "ID_USER", .conversion = Integer, .applies = IsWeighing}},
         .references = {{"ID_ANIMAL", AnimalStepDefinition, "ID_ANIMAL"}}},
        {.definition = CityStepDefinition},
        {.definition = ConsultationStepDefinition,
         .fields = {{.column = "DATE_CONSULTATION", .conversion = Date, .emptyAllowed = true}},
         .references = {{"ID_ANIMAL", AnimalStepDefinition, "ID_ANIMAL"}}},
        {.definition = NoteStepDefinition,
         .fields = {{.column = "DATE", .conversion = Date, .emptyAllowed = true, .applies = HasNoteText}},
         .references = {{"ID_ANIMAL", AnimalStepDefinition, "ID_ANIMAL"}}},
        {.definition = EventStepDefinition,
         .fields = {{.column = "DATE_EVENEMENT", .conversion = Date, .emptyAllowed = true}},
         .references = {{"ID_CLIENT", ClientStepDefinition, "ID_CLIENT"},
                        {"ID_ANIMAL", AnimalStepDefinition, "ID_ANIMAL", "ID_CLIENT"}}},
        {.definition = ReminderStepDefinition,
         .fields = {{.column = "DATE_RELANCE", .conversion = Date, .emptyAllowed = true}},
         .references = {{"ID_CLIENT", ClientStepDefinition, "ID_CLIENT"},
                        {"ID_ANIMAL", AnimalStepDefinition, "ID_ANIMAL", "ID_CLIENT"},
                        {"ID_EVENEMENT", EventStepDefinition, "ID_EVENEMENT"}}},
        {.definition = FeeCategoryStepDefinition,
         .box = &ImportOptions::cbCATEGORIES_ACTES,
         .fields = {{.column = "ID_CATEGORIE", .conversion = Integer}}},
        {.definition = FeeActStepDefinition,
         .box = &ImportOptions::cbTARIFS_ACTES,
         .fields = {{.column = "ID_CATEGORIE", .conversion = Integer},
                    {.column = "PRIX_VENTE_TTC", .conversion = Integer, .emptyAllowed = true},
                    {.column = "TAUX_TVA", .conversion = Integer, .emptyAllowed = true}},
         .references = {{"ID_CATEGORIE", FeeCategoryStepDefinition, "ID_CATEGORIE"}}},
        {.definition = InventoryStepDefinition,
         .fields = {{.column = "QUANTITE_NON_OUVERT", .conversion = Integer},
                    {.column = "QUANTITE_OUVERT", .conversion = Integer},
                    {.column = "JE_DECONDITIONNE_EN", .conversion = Integer},
                    {.column = "ENTIER_IDEAL", .conversion = Integer},
                    {.column = "DETAIL_IDEAL", .conversion = Integer},
                    {.column = "COEF", .conversion = Integer}}},
        {.definition = AppointmentStepDefinition,
         .fields = {{.column = "DATE", .conversion = Date},
                    {.column = "HEURE", .conversion = Integer, .lowest = 0, .highest = kLastHour},
                    {.column = "MINUTE", .conversion = Integer, .lowest = 0, .highest = kLastMinute},
                    {.column = "DUREE_EN_MINUTES", .conversion = Integer}},
         .references = {{"ID_CLIENT", ClientStepDefinition, "ID_CLIENT"},
                        {"ID_ANIMAL", AnimalStepDefinition, "ID_ANIMAL"}}},
        {.definition = DosageOriginDefinition, .box = &ImportOptions::cbPOSOLOGIES},
        {.definition = DosageStepDefinition, .references = {{"ORIGINE", DosageOriginDefinition, "ORIGINE"}}},
    };
    return rules;
}

// A normalized file read as a step reads it: the column map of its header, then each data line cut at tabs
// into the header's fields and trimmed. Data lines count from 1; empty lines are passed over but counted. A
// file written as UTF-8 is read as UTF-8 when the step would read it so.
class DataLines {
public:
    DataLines(const std::string &path, bool utf8) : reader_(path, utf8) {
        if (reader_.Next()) {
            header_ = reader_.Raw();
            columns_.LoadHeaderLine(reader_.Text());
            cut_.Separator = "\t";
            cut_.Line = reader_.Text();
            cut_.PrepareFromLine();
        }
    }

    const TColList &Columns() const { return columns_; }
    const std::string &Header() const { return header_; }
    std::optional<std::size_t> NulLine() const { return reader_.NulLine(); }

    // Calls work with each data line until it returns false; a line that does not convert from UTF-8 goes to
    // unmapped(number, character) instead.
    template <typename Work, typename Unmapped> void ForEach(Work work, Unmapped unmapped) {
        for (int number = 1; reader_.Next(); ++number) {
            if (const auto character = reader_.Unmapped()) {
                unmapped(number, *character);
                continue;
            }
            cut_.Line = reader_.Text();
            if (!cut_.Cut())
                continue;
            cut_.TrimFields();
            if (!work(StepLine(columns_, cut_, number, reader_.Raw())))
                return;
        }
    }
    template <typename Work> void ForEach(Work work) {
        ForEach(work, [](int, char32_t) {});
    }

private:
    SourceLineReader reader_;
    TColList columns_;
    TCut cut_;
    std::string header_;
};

// The values of one column of a file, with the value of a second column on the same line.
struct KeyIndex {
    bool available = false; // the file is in the folder and its header has the columns
    IdentifierList keys;
    std::vector<std::string> companions;
};

std::string Quote(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// Why the field would fail its line; nothing when it converts.
std::optional<std::string> ConversionProblem(const Field &field, const std::string &value) {
    if (value.empty() && field.emptyAllowed)
        return std::nullopt;
    if (field.conversion == Conversion::Weight) {
        if (value.empty() || TryStrToInt(value))
            return std::nullopt;
        return Quote(value) + FromUtf8(" n'est pas un nombre entier : ") + FromUtf8(field.consequence);
    }
    try {
        if (field.conversion == Conversion::Date) {
            ParseDateDMY(value);
        } else {
            const std::int32_t number = StrToInt(value);
            if (number < field.lowest || number > field.highest)
                return Quote(value) +
                       FromUtf8(fmt::format(" n'est pas compris entre {} et {}", field.lowest, field.highest));
        }
    } catch (const ConversionError &e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

class FolderCheck {
public:
    FolderCheck(Operator &op, const std::string &folder, const ImportOptions &options)
        : op_(op), folder_(AddTrailingBackslash(folder)), options_(options) {}

    PreflightResult Run() {
        PreflightResult result;
        if (!checksReferences_)
            op_.AddToLog(FromUtf8("Références entre fichiers non vérifiées : avec ces réglages, les identifiants "
                                  "se trouvent aussi hors du dossier"));
        {
            WaitShown wait(op_);
            for (const FileRules &rules : Rules()) {
                const StepDefinition &definition = rules.definition();
                FileCheckBox ImportOptions::*box = definition.checkBox ? definition.checkBox : rules.box;
                if (!(options_.*box).Ticked() || KindOfEntry(Path(definition.fileName)) == EntryKind::Missing)
                    continue;
                result.files.push_back(CheckFile(rules, definition));
                if (interrupted_) {
                    result.interrupted = true;
                    op_.AddToLog(FromUtf8("VERIFICATION/interruption de la procédure"));
                    break;
                }
            }
        }
        LogCounts(result);
        return result;
    }

private:
    std::string Path(const std::string &fileName) const { return folder_ + fileName; }
    bool Exists(const std::string &fileName) const {
        return !folder_.empty() && KindOfEntry(Path(fileName)) == EntryKind::RegularFile;
    }
    // How the step will read the file: as UTF-8 when it is UTF-8 and the setting says so.
    bool ReadAsUtf8(const std::string &fileName) const {
        return options_.cbFichiersUTF8 && SurveyFile(Path(fileName)).utf8Line.has_value();
    }

    PreflightCount CheckFile(const FileRules &rules, const StepDefinition &definition) {
        PreflightCount count;
        count.fileName = definition.fileName;
        const std::string &file = definition.fileName;
        op_.SetWaitMessage(FromUtf8("Vérification ") + file);
        auto fileProblem = [&](const std::string &text) {
            op_.AddToLog(file + "/" + text);
            ++count.fileProblems;
        };
        if (const EntryKind kind = KindOfEntry(Path(file)); kind != EntryKind::RegularFile) {
            fileProblem(FromUtf8("c'est ") + EntryKindText(kind) + FromUtf8(", pas un fichier ordinaire"));
            return count;
        }

        const FileSurvey survey = SurveyFile(Path(file));
        const bool utf8 = survey.utf8Line && options_.cbFichiersUTF8;
        DataLines lines(Path(file), utf8);
        if (!CheckMandatoryColumns(op_, file, lines.Columns(), definition.mandatoryColumns))
            ++count.fileProblems;
        if (lines.Header().rfind("\xEF\xBB\xBF", 0) == 0 && !utf8)
            fileProblem(FromUtf8("l'en-tête commence par une marque d'ordre des octets (BOM) : "
                                 "le fichier n'est pas en Windows-1252"));

        std::vector<bool> targetMissingLogged(rules.references.size(), false);
        const auto unmapped = [&](int number, char32_t character) {
            ++count.read;
            ++count.withProblems;
            op_.AddToLog(LineFailureLog(definition, number, UnmappedCharacterMessage(character)));
        };
        lines.ForEach([&](const StepLine &line) {
            ++count.read;
            bool problem = false;
            auto lineProblem = [&](const char *column, const std::string &text) {
                op_.AddToLog(LineFailureLog(definition, line.Number(), column + std::string(" : ") + text));
                problem = true;
            };

            for (const Field &field : rules.fields) {
                if (!line.Has(field.column) || (field.setting && !(options_.*(field.setting))) ||
                    (field.applies && !field.applies(line)))
                    continue;
                if (const auto why = ConversionProblem(field, line.Field(field.column)))
                    lineProblem(field.column, *why);
            }

            for (std::size_t r = 0; checksReferences_ && r < rules.references.size(); ++r) {
                const Reference &reference = rules.references[r];
                const std::string &value = line.Field(reference.column);
                if (value.empty())
                    continue;
                const StepDefinition &target = reference.target();
                const KeyIndex &index = Keys(target, reference);
                if (!index.available) {
                    if (!targetMissingLogged[r])
                        fileProblem(reference.column + std::string(" : ") + target.fileName +
                                    FromUtf8(" manque ou n'a pas la colonne ") + reference.targetColumn +
                                    FromUtf8(", ces références ne peuvent pas être vérifiées"));
                    targetMissingLogged[r] = true;
                    continue;
                }
                const int at = index.keys.IndexOf(value);
                if (at < 0) {
                    lineProblem(reference.column, Quote(value) + FromUtf8(" n'est dans la colonne ") +
                                                      reference.targetColumn + FromUtf8(" d'aucune ligne de ") +
                                                      target.fileName);
                } else if (reference.sameColumn) {
                    const std::string &expected = index.companions[static_cast<std::size_t>(at)];
                    const std::string &given = line.Field(reference.sameColumn);
                    if (!SameText1252(expected, given))
                        lineProblem(reference.sameColumn, FromUtf8("dans ") + target.fileName + ", " +
                                                              reference.targetColumn + " " + Quote(value) + " a " +
                                                              reference.sameColumn + " " + Quote(expected) + ", pas " +
                                                              Quote(given));
                }
            }

            if (problem)
                ++count.withProblems;
            op_.ProcessPendingMessages();
            interrupted_ = op_.Interrupted();
            return !interrupted_;
        }, unmapped);

        if (const auto nul = lines.NulLine()) {
            std::string text = FromUtf8("caractère NUL ligne ") + std::to_string(*nul) +
                               FromUtf8(" : la suite du fichier est ignorée");
            if (survey.linesAfterNul > 0)
                text += FromUtf8(fmt::format(", {} {}", survey.linesAfterNul,
                                             survey.linesAfterNul > 1 ? "lignes non lues" : "ligne non lue"));
            fileProblem(text);
        }
        if (survey.utf8Line && !utf8)
            fileProblem(FromUtf8("le texte semble codé en UTF-8 et non en Windows-1252 (") +
                        (*survey.utf8Line == 0 ? FromUtf8("en-tête") : "ligne " + std::to_string(*survey.utf8Line)) +
                        ")");
        return count;
    }

    // The index a reference resolves against, read from the folder once.
    const KeyIndex &Keys(const StepDefinition &target, const Reference &reference) {
        const std::string companion = reference.sameColumn ? reference.sameColumn : "";
        const std::string key = target.fileName + "/" + reference.targetColumn + "/" + companion;
        if (const auto found = indexes_.find(key); found != indexes_.end())
            return found->second;
        KeyIndex &index = indexes_[key];
        if (!Exists(target.fileName))
            return index;
        DataLines lines(Path(target.fileName), ReadAsUtf8(target.fileName));
        if (!lines.Columns().FindColumn(reference.targetColumn) ||
            (!companion.empty() && !lines.Columns().FindColumn(companion)))
            return index;
        index.available = true;
        lines.ForEach([&](const StepLine &line) {
            const std::string &value = line.Field(reference.targetColumn);
            if (!value.empty()) {
                index.keys.Add(value);
                index.companions.push_back(line.Field(companion));
            }
            return true;
        });
        return index;
    }

    void LogCounts(const PreflightResult &result) {
        op_.AddToLog(FromUtf8("Résumé de la vérification :"));
        int lines = 0;
        int files = 0;
        for (const PreflightCount &count : result.files) {
            std::string text =
                count.fileName + FromUtf8(fmt::format(" : {} lues, {} à corriger", count.read, count.withProblems));
            if (count.fileProblems > 0)
                text += FromUtf8(fmt::format(", {} problème(s) de fichier", count.fileProblems));
            op_.AddToLog(text);
            lines += count.withProblems;
            files += count.fileProblems;
        }
        if (result.Clean())
            op_.AddToLog(FromUtf8("Aucun problème trouvé"));
        else
            op_.AddToLog(FromUtf8(fmt::format("{} ligne(s) à corriger, {} problème(s) de fichier", lines, files)));
    }

    Operator &op_;
    std::string folder_;
    const ImportOptions &options_;
    std::map<std::string, KeyIndex> indexes_;
    // Catch-up, additions to an earlier import, untouched clients and kept identifiers resolve records through
    // the lists of an earlier import or the database itself, which the check does not read.
    const bool checksReferences_ =
        !(options_.cbModeRatrapage || options_.cbAjout || options_.cbPasToucheAuxClients ||
          options_.cbGarder_ID_CLIENT_du_logiciel_d_origine || options_.cbGarder_ID_ANIMAL_du_logiciel_d_origine);
    bool interrupted_ = false;
};

} // namespace

bool PreflightResult::Clean() const {
    for (const PreflightCount &count : files)
        if (count.withProblems > 0 || count.fileProblems > 0)
            return false;
    return true;
}

PreflightResult CheckSourceFolder(Operator &op, const std::string &folder, const ImportOptions &options) {
    op.ClearLog();
    return FolderCheck(op, folder, options).Run();
}

} // namespace clinova
