#include "run/PreflightCheck.h"

#include "run/MigrationReport.h"
#include "run/SourceFolder.h"

#include "app/ForwardingOperator.h"
#include "app/IdentifierList.h"
#include "app/ImportStep.h"
#include "app/StepEntry.h"
#include "import/ImportSteps.h"
#include "normalized/Conversions.h"
#include "normalized/Errors.h"
#include "normalized/NormalizedFile.h"
#include "normalized/OutputFile.h"
#include "normalized/TColList.h"
#include "normalized/TCut.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>

namespace clinova {

namespace {

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

// The definition of a file of the run, by its name.
const StepDefinition &DefinitionOf(std::string_view fileName) {
    for (const StepEntry *step : ImportSteps())
        for (const StepFile &file : step->files)
            if (file.definition().fileName == fileName)
                return file.definition();
    throw std::logic_error("no step reads " + std::string(fileName));
}

std::string Quote(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// Why the field would fail its line; nothing when it converts.
std::optional<std::string> ConversionProblem(const CheckedField &field, const std::string &value) {
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
            // The files in the order a run reads them.
            for (const StepEntry *step : ImportSteps()) {
                for (const StepFile &file : step->files) {
                    const StepDefinition &definition = file.definition();
                    if (!(options_.*(file.Box())).Ticked() ||
                        KindOfEntry(Path(definition.fileName)) == EntryKind::Missing)
                        continue;
                    result.files.push_back(CheckFile(file, definition));
                    if (interrupted_)
                        break;
                }
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

    PreflightCount CheckFile(const StepFile &rules, const StepDefinition &definition) {
        PreflightCount count;
        count.fileName = definition.fileName;
        const std::string &file = definition.fileName;
        op_.SetWaitMessage(FromUtf8("Vérification ") + file);
        auto fileProblem = [&](const std::string &text) {
            op_.AddToLog(file + "/" + text);
            count.problems.Note(ReasonKind::Failed, 0, text);
            ++count.fileProblems;
        };
        if (const EntryKind kind = KindOfEntry(Path(file)); kind != EntryKind::RegularFile) {
            fileProblem(FromUtf8("c'est ") + EntryKindText(kind) + FromUtf8(", pas un fichier ordinaire"));
            return count;
        }

        const FileSurvey survey = SurveyFile(Path(file));
        const bool utf8 = survey.utf8Line && options_.cbFichiersUTF8;
        DataLines lines(Path(file), utf8);
        if (!CheckMandatoryColumns(op_, file, lines.Columns(), definition.mandatoryColumns)) {
            ++count.fileProblems;
            count.problems.Note(ReasonKind::Failed, 0, FromUtf8("colonnes obligatoires manquantes"));
        }
        if (lines.Header().rfind("\xEF\xBB\xBF", 0) == 0 && !utf8)
            fileProblem(FromUtf8("l'en-tête commence par une marque d'ordre des octets (BOM) : "
                                 "le fichier n'est pas en Windows-1252"));

        std::vector<bool> targetMissingLogged(rules.references.size(), false);
        // A problem of one line: its log line, and its place in the report.
        const auto noteLine = [&](int number, const std::string &text) {
            op_.AddToLog(LineFailureLog(definition, number, text));
            count.problems.Note(ReasonKind::Failed, number, text);
        };
        const auto unmapped = [&](int number, char32_t character) {
            ++count.read;
            ++count.withProblems;
            noteLine(number, UnmappedCharacterMessage(character));
        };
        lines.ForEach([&](const StepLine &line) {
            ++count.read;
            bool problem = false;
            auto lineProblem = [&](const char *column, const std::string &text) {
                noteLine(line.Number(), column + std::string(" : ") + text);
                problem = true;
            };

            for (const CheckedField &field : rules.fields) {
                if (!line.Has(field.column) || (field.setting && !(options_.*(field.setting))) ||
                    (field.applies && !field.applies(line)))
                    continue;
                if (const auto why = ConversionProblem(field, line.Field(field.column)))
                    lineProblem(field.column, *why);
            }

            for (std::size_t r = 0; checksReferences_ && r < rules.references.size(); ++r) {
                const FileReference &reference = rules.references[r];
                const std::string &value = line.Field(reference.column);
                if (value.empty())
                    continue;
                const StepDefinition &target = DefinitionOf(reference.targetFile);
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
    const KeyIndex &Keys(const StepDefinition &target, const FileReference &reference) {
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
        if (result.files.empty())
            op_.AddToLog(NoTickedFileText(folder_));
        else if (result.Clean())
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


// The operator of the check, which also keeps every line it logs: the findings the file holds.
class KeepingLog final : public ForwardingOperator {
public:
    using ForwardingOperator::ForwardingOperator;
    std::vector<std::string> lines;

    void AddToLog(const std::string &line) override {
        lines.push_back(line);
        inner_.AddToLog(line);
    }
};

// Writes the findings into the folder (through an OutputFile); the path, or empty when it failed (logged).
std::string WriteFindings(Operator &op, const std::string &folder, const DateTime &started,
                          const std::vector<std::string> &lines) {
    const std::string path = AddTrailingBackslash(folder) + FindingsFileName();
    const Date &d = started.date;
    std::string text = FromUtf8(fmt::format("Vérification du {:02}/{:02}/{:04} à {:02}:{:02} : ", d.day, d.month,
                                            d.year, started.hour, started.minute)) +
                       folder + "\r\n";
    for (const std::string &line : lines)
        text += line + "\r\n";
    try {
        if (const std::string replaced = ReplacedEntryLog(path, WriteFileSafely(path, text)); !replaced.empty())
            op.AddToLog(replaced);
        return path;
    } catch (const Error &e) {
        op.AddToLog(FindingsFileName() + FromUtf8(" non écrit : ") + e.what());
        return {};
    }
}

} // namespace

const char *FindingsFileName() { return "VERIFICATION.TXT"; }

bool PreflightResult::Clean() const {
    for (const PreflightCount &count : files)
        if (count.withProblems > 0 || count.fileProblems > 0)
            return false;
    return true;
}

PreflightResult CheckSourceFolder(Operator &op, const std::string &folder, const ImportOptions &options) {
    op.ClearLog();
    ReportFacts facts;
    facts.kind = ReportFacts::Kind::Check;
    facts.started = Now();
    const auto started = std::chrono::steady_clock::now();
    KeepingLog keeping(op);
    PreflightResult result = FolderCheck(keeping, folder, options).Run();
    // A folder without any of the files keeps nothing of the check.
    if (folder.empty() || result.files.empty())
        return result;
    result.findings = WriteFindings(op, folder, facts.started, keeping.lines);
    if (!result.findings.empty())
        result.writtenFiles.push_back(result.findings);
    facts.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    facts.folder = folder;
    facts.outputFolder = folder;
    facts.settings = ChangedSettings(options);
    facts.check = &result;
    std::string error;
    facts.writtenFiles = result.writtenFiles;
    result.report = WriteMigrationReport(facts, error);
    if (result.report.empty())
        op.AddToLog(FromUtf8("Rapport non écrit : ") + error);
    else
        result.writtenFiles.push_back(result.report);
    return result;
}

} // namespace clinova
