#include "run/MigrationReport.h"

#include "import/ImportSteps.h"

#include "app/ImportOptions.h"
#include "app/RunSummary.h"
#include "database/Connection.h"
#include "database/Statement.h"
#include "normalized/OutputFile.h"
#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>

#ifndef CLINOVA_VERSION
#define CLINOVA_VERSION "?"
#endif

namespace clinova {

namespace {

// Windows-1252 text made UTF-8 and safe inside an element or an attribute.
std::string Html(std::string_view win1252) {
    const std::string utf8 = ToUtf8(win1252);
    std::string out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
            // Control characters have no place in a page (and none in XML): a tab or a line break is a space.
            out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        }
    }
    return out;
}

// A file name as a link from the page, which lies in the same folder.
std::string Href(const std::string &win1252Name) {
    std::string out;
    for (const unsigned char c : ToUtf8(win1252Name)) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
            c == '-' || c == '/')
            out += static_cast<char>(c);
        else
            out += fmt::format("%{:02X}", c);
    }
    return out;
}

std::string Moment(const DateTime &t) {
    return fmt::format("<time>{:02}/{:02}/{:04} à {:02}:{:02}:{:02}</time>", t.date.day, t.date.month, t.date.year,
                       t.hour, t.minute, t.second);
}

std::string Duration(double seconds) { return "<time>" + Html(DurationText(seconds)) + "</time>"; }

std::string Number(long long n) {
    // Thousands apart, as French writes them: 12 345.
    std::string digits = std::to_string(n < 0 ? -n : n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += "&#160;";
        out += digits[i];
    }
    return n < 0 ? "-" + out : out;
}

const char *kStyle = R"(
@page { size: A4; margin: 14mm 12mm; }
body { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 10pt; color: #222; max-width: 186mm; margin: 0 auto; }
h1 { font-size: 17pt; margin: 0.4em 0 0.2em; }
h2 { font-size: 12.5pt; border-bottom: 1px solid #999; margin: 1.2em 0 0.4em; padding-bottom: 2px; }
h3 { font-size: 10.5pt; margin: 0.9em 0 0.3em; }
table { border-collapse: collapse; width: 100%; margin: 0.3em 0; }
th, td { border: 1px solid #bbb; padding: 2px 5px; text-align: left; vertical-align: top; }
th { background: #eee; }
td.n, th.n { text-align: right; white-space: nowrap; }
tr.total td { font-weight: bold; background: #f4f4f4; }
table.facts th { width: 30%; }
p.mark { border: 2px solid #b26a00; background: #fff4e0; padding: 6px 8px; font-weight: bold; }
p.mark.rehearsal { border-color: #1565c0; background: #e8f0fb; }
ul.examples { margin: 0.1em 0 0.6em; padding-left: 1.4em; }
p.empty { font-size: 8pt; color: #555; }
p.lines { font-size: 8.5pt; margin: 0 0 0.6em 1.4em; }
ul.examples li { font-family: "DejaVu Sans Mono", monospace; font-size: 8.5pt; }
section { page-break-inside: auto; }
tr, li, svg { page-break-inside: avoid; }
footer { margin-top: 2em; font-size: 8pt; color: #666; }
)";

struct Segment {
    const char *label;
    const char *colour;
    int StepSummary::*count;
};

const std::vector<Segment> &Segments() {
    static const std::vector<Segment> segments = {
        {"importées", "#2e7d32", &StepSummary::imported},    {"doublons", "#1565c0", &StepSummary::matched},
        {"ignorées", "#9e9e9e", &StepSummary::skipped},      {"en échec", "#c62828", &StepSummary::failed},
        {"déjà importées", "#7b5ea7", &StepSummary::alreadyDone}, {"non lues", "#ef6c00", &StepSummary::notRead},
    };
    return segments;
}

// The counts per file as horizontal bars, one colour a count, the longest file's bar the whole width.
std::string Chart(const std::vector<StepSummary> &summaries) {
    constexpr int kLabel = 180, kBars = 440, kRow = 18, kTop = 26, kWidth = kLabel + kBars + 60;
    long long largest = 1;
    for (const StepSummary &s : summaries) {
        long long all = 0;
        for (const Segment &segment : Segments())
            all += s.*(segment.count);
        largest = std::max(largest, all);
    }
    const int height = kTop + kRow * static_cast<int>(summaries.size()) + 4;
    std::string svg = fmt::format(R"(<svg xmlns="http://www.w3.org/2000/svg" width="{0}" height="{1}" )"
                                  R"(viewBox="0 0 {0} {1}" role="img" aria-label="Lignes par fichier">)",
                                  kWidth, height);
    int x = 0;
    for (const Segment &segment : Segments()) {
        svg += fmt::format(R"(<rect x="{}" y="4" width="10" height="10" fill="{}"/>)", x, segment.colour);
        svg += fmt::format(R"(<text x="{}" y="13" font-size="10">{}</text>)", x + 14, segment.label);
        x += 14 + 7 * static_cast<int>(std::string_view(segment.label).size()) + 10;
    }
    int y = kTop;
    for (const StepSummary &s : summaries) {
        svg += fmt::format(R"(<text x="{}" y="{}" font-size="10" text-anchor="end">{}</text>)", kLabel - 6,
                           y + 12, Html(s.fileName));
        double left = kLabel;
        long long all = 0;
        for (const Segment &segment : Segments()) {
            const int count = s.*(segment.count);
            all += count;
            if (count <= 0)
                continue;
            const double width = std::max(1.0, static_cast<double>(count) * kBars / static_cast<double>(largest));
            svg += fmt::format(R"(<rect x="{:.1f}" y="{}" width="{:.1f}" height="{}" fill="{}"><title>{} {}</title></rect>)",
                               left, y + 2, width, kRow - 5, segment.colour, count, segment.label);
            left += width;
        }
        svg += fmt::format(R"(<text x="{:.1f}" y="{}" font-size="10">{}</text>)", left + 4, y + 12, Number(all));
        y += kRow;
    }
    return svg + "</svg>";
}

std::string TitleOf(const ReportFacts &facts) {
    switch (facts.kind) {
    case ReportFacts::Kind::Rehearsal:
        return "Rapport de répétition de l'importation";
    case ReportFacts::Kind::Check:
        return "Rapport de vérification des fichiers";
    case ReportFacts::Kind::Import:
        break;
    }
    return "Rapport d'importation";
}

std::string OutcomeText(const ReportFacts &facts) {
    if (facts.kind == ReportFacts::Kind::Check) {
        if (facts.check && facts.check->interrupted)
            return "vérification interrompue par l'opérateur";
        return facts.check && facts.check->Clean() ? "aucun problème trouvé" : "des lignes sont à corriger";
    }
    switch (facts.outcome) {
    case RunOutcome::Completed:
        return "terminée, aucune ligne en échec";
    case RunOutcome::CompletedWithFailures:
        return "terminée, des lignes sont en échec (voir plus bas)";
    case RunOutcome::Refused:
        return "refusée";
    case RunOutcome::Failed:
        return "arrêtée par une erreur";
    case RunOutcome::Interrupted:
        return "interrompue par l'opérateur";
    case RunOutcome::InternalError:
        return "arrêtée par une erreur interne du programme";
    }
    return {};
}

void FactRow(std::string &out, const char *name, const std::string &valueHtml) {
    out += fmt::format("<tr><th>{}</th><td>{}</td></tr>\n", name, valueHtml);
}

std::string RunSection(const ReportFacts &facts) {
    std::string out = "<section><h2>L'opération</h2>\n<table class=\"facts\">\n";
    FactRow(out, "Date", Moment(facts.started));
    FactRow(out, "Durée", Duration(facts.seconds));
    FactRow(out, "Résultat", OutcomeText(facts));
    FactRow(out, "Dossier source", Html(facts.folder));
    if (facts.kind != ReportFacts::Kind::Check) {
        FactRow(out, "Base de données", Html(facts.database));
        if (facts.build > 0)
            FactRow(out, "Version de la base", "build " + std::to_string(facts.build));
        FactRow(out, "Sauvegarde avant l'importation",
                facts.backup.empty() ? std::string("aucune") : Html(facts.backup));
    }
    if (facts.kind == ReportFacts::Kind::Rehearsal)
        FactRow(out, "Copie de la répétition",
                Html(facts.rehearsalCopy) + " (restaurée depuis " + Html(facts.rehearsalBackup) + ", supprimée ensuite)");
    std::string settings;
    for (const auto &[name, value] : facts.settings)
        settings += "<li><code>" + Html(name) + "</code> = " + Html(value) + "</li>";
    FactRow(out, "Réglages différents des valeurs par défaut",
            settings.empty() ? std::string("aucun") : "<ul>" + settings + "</ul>");
    FactRow(out, "Outil", "clinova-import " CLINOVA_VERSION);
    return out + "</table></section>\n";
}

std::string FilesSection(const ReportFacts &facts) {
    std::string out = "<section><h2>Fichiers lus</h2>\n";
    if (facts.summaries.empty())
        return out + "<p>Aucun fichier n'a été lu.</p></section>\n";
    out += Chart(facts.summaries);
    const auto columns = ShownSummaryColumns(facts.summaries);
    out += "<table class=\"files\"><tr><th>Fichier</th><th>Données</th>";
    for (const SummaryColumn &column : columns)
        out += fmt::format("<th class=\"n\">{}</th>", column.plural);
    out += "<th class=\"n\">Durée</th><th>Remarque</th></tr>\n";
    auto row = [&](const StepSummary &s, const char *cls) {
        out += fmt::format("<tr{}><td>{}</td><td>{}</td>", cls, Html(s.fileName), Html(StepLabelOf(s.fileName)));
        for (const SummaryColumn &column : columns)
            out += "<td class=\"n\">" + Number(s.*(column.count)) + "</td>";
        out += "<td class=\"n\">" + Duration(s.seconds) + "</td><td>" + Html(SummaryMark(s)) + "</td></tr>\n";
    };
    for (const StepSummary &s : facts.summaries)
        row(s, "");
    StepSummary total = SummaryTotal(facts.summaries);
    total.interrupted = false;
    row(total, " class=\"total\"");
    return out + "</table></section>\n";
}

std::string CheckSection(const PreflightResult &check) {
    std::string out = "<section><h2>Fichiers vérifiés</h2>\n";
    if (check.files.empty())
        return out + "<p>Aucun des fichiers cochés n'est dans le dossier.</p></section>\n";
    out += "<table class=\"files\"><tr><th>Fichier</th><th class=\"n\">lues</th><th class=\"n\">à corriger</th>"
           "<th class=\"n\">problèmes de fichier</th></tr>\n";
    int read = 0, lines = 0, problems = 0;
    for (const PreflightCount &count : check.files) {
        out += fmt::format("<tr><td>{}</td><td class=\"n\">{}</td><td class=\"n\">{}</td><td class=\"n\">{}</td></tr>\n",
                           Html(count.fileName), Number(count.read), Number(count.withProblems),
                           Number(count.fileProblems));
        read += count.read;
        lines += count.withProblems;
        problems += count.fileProblems;
    }
    out += fmt::format("<tr class=\"total\"><td>Total</td><td class=\"n\">{}</td><td class=\"n\">{}</td>"
                       "<td class=\"n\">{}</td></tr>\n",
                       Number(read), Number(lines), Number(problems));
    return out + "</table></section>\n";
}

std::string TablesSection(const std::vector<TableRows> &tables) {
    if (tables.empty())
        return {};
    std::string changed, same, empty;
    int unchanged = 0, emptyTables = 0;
    for (const TableRows &t : tables) {
        const auto cell = [](long long n) { return n < 0 ? std::string("?") : Number(n); };
        const std::string difference =
            t.before >= 0 && t.after >= 0 ? (t.after >= t.before ? "+" : "") + Number(t.after - t.before) : "";
        const std::string row = fmt::format("<tr><td>{}</td><td class=\"n\">{}</td><td class=\"n\">{}</td>"
                                            "<td class=\"n\">{}</td></tr>\n",
                                            Html(t.table), cell(t.before), cell(t.after), difference);
        if (t.before != t.after) {
            changed += row;
        } else if (t.before == 0) {
            empty += (empty.empty() ? "" : ", ") + Html(t.table);
            ++emptyTables;
        } else {
            same += row;
            ++unchanged;
        }
    }
    const char *head = "<tr><th>Table</th><th class=\"n\">avant</th><th class=\"n\">après</th>"
                       "<th class=\"n\">différence</th></tr>\n";
    std::string out = "<section><h2>Tables de la base de données</h2>\n";
    out += changed.empty() ? "<p>Aucune table n'a changé.</p>\n" : "<table class=\"tables\">" + std::string(head) + changed + "</table>\n";
    if (unchanged > 0)
        out += fmt::format("<h3>Tables inchangées ({})</h3>\n<table class=\"tables\">", unchanged) + head + same +
               "</table>\n";
    if (emptyTables > 0)
        out += fmt::format("<h3>Tables vides avant et après ({})</h3>\n<p class=\"empty\">", emptyTables) + empty +
               "</p>\n";
    return out + "</section>\n";
}

// The file a kind of line of that source file went to, when the run wrote it.
std::string ReportFileOf(const ReportFacts &facts, const std::string &prefix, const std::string &fileName) {
    const std::string path = facts.outputFolder + FromUtf8(prefix) + fileName;
    return std::find(facts.writtenFiles.begin(), facts.writtenFiles.end(), path) != facts.writtenFiles.end()
               ? FromUtf8(prefix) + fileName
               : std::string();
}

struct ReasonSource {
    std::string fileName;
    const LineReasons *reasons;
};

std::string GroupsHtml(const ReportFacts &facts, const std::vector<ReasonSource> &sources, ReasonKind kind,
                       const char *countWord, const char *filePrefix) {
    std::string out;
    for (const ReasonSource &source : sources) {
        const int count = source.reasons->Count(kind);
        if (count == 0)
            continue;
        out += fmt::format("<h3>{} — {} {}", Html(source.fileName), Number(count), countWord);
        if (filePrefix)
            if (const std::string file = ReportFileOf(facts, filePrefix, source.fileName); !file.empty())
                out += fmt::format(" — <a href=\"{}\">{}</a>", Href(file), Html(file));
        out += "</h3>\n";
        for (const ReasonGroup &group : source.reasons->Groups()) {
            if (group.kind != kind)
                continue;
            out += fmt::format("<p><b>{}</b> × {}</p>\n<ul class=\"examples\">", Number(group.count), Html(group.pattern));
            for (const ReasonExample &example : group.examples)
                out += example.line > 0 ? fmt::format("<li>ligne {} : {}</li>", example.line, Html(example.reason))
                                        : "<li>fichier : " + Html(example.reason) + "</li>";
            out += "</ul>\n";
            if (group.count > static_cast<int>(group.examples.size())) {
                // Past the examples, every line by its number.
                std::string numbers;
                for (const int line : group.lines)
                    numbers += (numbers.empty() ? "" : ", ") + std::to_string(line);
                if (group.count > static_cast<int>(group.lines.size()))
                    numbers += fmt::format(" et {} autres", group.count - static_cast<int>(group.lines.size()));
                out += "<p class=\"lines\">Toutes ses lignes : " + numbers + "</p>\n";
            }
        }
    }
    return out;
}

std::string ReasonsSections(const ReportFacts &facts) {
    std::vector<ReasonSource> sources;
    if (facts.check) {
        for (const PreflightCount &count : facts.check->files)
            sources.push_back({count.fileName, &count.problems});
        const std::string found = GroupsHtml(facts, sources, ReasonKind::Failed, "à corriger", nullptr);
        return "<section><h2>Problèmes trouvés</h2>\n" + (found.empty() ? "<p>Aucun.</p>\n" : found) + "</section>\n";
    }
    for (const StepSummary &s : facts.summaries)
        sources.push_back({s.fileName, &s.reasons});
    std::string out;
    const std::string failed = GroupsHtml(facts, sources, ReasonKind::Failed, "en échec", "REJETS_");
    out += "<section><h2>Lignes en échec</h2>\n" + (failed.empty() ? "<p>Aucune.</p>\n" : failed) + "</section>\n";
    const std::string skipped = GroupsHtml(facts, sources, ReasonKind::Skipped, "ignorées", "IGNOREES_");
    out += "<section><h2>Lignes laissées de côté</h2>\n" + (skipped.empty() ? "<p>Aucune.</p>\n" : skipped) +
           "</section>\n";
    const std::string warned = GroupsHtml(facts, sources, ReasonKind::Warned, "avec avertissement", "AVERTISSEMENTS_");
    if (!warned.empty())
        out += "<section><h2>Lignes importées avec un avertissement</h2>\n" + warned + "</section>\n";
    return out;
}

std::string WrittenSection(const ReportFacts &facts) {
    if (facts.writtenFiles.empty())
        return {};
    std::string out = "<section><h2>Fichiers écrits</h2>\n<ul>";
    for (const std::string &path : facts.writtenFiles) {
        const std::string shown = WrittenFileText(path, facts.outputFolder);
        out += shown != path ? fmt::format("<li><a href=\"{}\">{}</a></li>", Href(shown), Html(shown))
                             : "<li>" + Html(path) + "</li>";
    }
    return out + "</ul></section>\n";
}

std::string Marks(const ReportFacts &facts) {
    std::string out;
    if (facts.kind == ReportFacts::Kind::Rehearsal)
        out += "<p class=\"mark rehearsal\">Répétition : l'importation a été faite dans une copie jetable de la base, "
               "supprimée ensuite. La base du cabinet n'a pas été modifiée.</p>\n";
    if (facts.resumed)
        out += "<p class=\"mark\">Reprise d'une importation interrompue : les lignes déjà importées par "
               "l'importation interrompue sont comptées « déjà importées ».</p>\n";
    if (facts.outcome == RunOutcome::Interrupted || facts.outcome == RunOutcome::Failed ||
        facts.outcome == RunOutcome::InternalError)
        out += "<p class=\"mark\">Importation inachevée : les fichiers qui suivent l'arrêt n'ont pas été importés ; "
               "l'importation se termine avec la reprise (--resume, ou « Reprendre » dans la fenêtre).</p>\n";
    return out;
}

} // namespace

const char *ReportFileName() { return "RAPPORT_IMPORTATION.html"; }

std::vector<TableRows> CountTableRows(Connection &db) {
    std::vector<TableRows> tables;
    {
        Statement list(db, "select trim(RDB$RELATION_NAME) as NAME from RDB$RELATIONS "
                           "where coalesce(RDB$SYSTEM_FLAG, 0) = 0 and RDB$VIEW_BLR is null "
                           "and coalesce(RDB$RELATION_TYPE, 0) = 0 order by 1");
        for (bool row = list.Open(); row; row = list.Next())
            tables.push_back({list.GetText("NAME")});
        list.Close();
    }
    // The counts of many tables in one query: a union of one count per table, in groups the server accepts.
    constexpr std::size_t kGroup = 100;
    for (std::size_t from = 0; from < tables.size(); from += kGroup) {
        const std::size_t to = std::min(tables.size(), from + kGroup);
        std::string sql;
        for (std::size_t i = from; i < to; ++i) {
            std::string quoted;
            for (const char c : tables[i].table)
                quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
            sql += fmt::format("{}select cast({} as integer) as K, count(*) as N from \"{}\"", i == from ? "" : " union all ",
                               i, quoted);
        }
        Statement counts(db, sql);
        for (bool row = counts.Open(); row; row = counts.Next())
            tables[static_cast<std::size_t>(counts.GetInt("K"))].before = counts.GetInt64("N");
        counts.Close();
    }
    return tables;
}

void SetRowsAfter(std::vector<TableRows> &tables, const std::vector<TableRows> &after) {
    std::map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < tables.size(); ++i)
        index[tables[i].table] = i;
    for (const TableRows &t : after) {
        if (const auto found = index.find(t.table); found != index.end())
            tables[found->second].after = t.before;
        else
            tables.push_back({t.table, -1, t.before});
    }
}

std::vector<std::pair<std::string, std::string>> ChangedSettings(const ImportOptions &options) {
    static const ImportOptions defaults;
    std::vector<std::pair<std::string, std::string>> changed;
    for (const OptionControl &control : OptionControls()) {
        const std::string_view name = control.name;
        // The files ticked are the rows of the report; the database and the backup have lines of their own.
        if (control.kind == OptionControl::Kind::File || name == "edPathNameDatabase" || name == "edPathSauvegarde" ||
            name == "cbSauvegardeAvant" || name == "cbReprise")
            continue;
        std::string value = OptionText(options, control);
        if (value == OptionText(defaults, control))
            continue;
        // A long text (the users' correspondence) is shown by its first line and its number of lines.
        if (const auto lines = static_cast<int>(std::count(value.begin(), value.end(), '\n')); lines > 0 || value.size() > 80) {
            const std::string first = value.substr(0, std::min(value.find_first_of("\r\n"), std::size_t{60}));
            value = first + FromUtf8(fmt::format(" … ({} lignes)", lines + 1));
        }
        changed.emplace_back(control.name, value);
    }
    return changed;
}

std::string MigrationReportHtml(const ReportFacts &facts) {
    const std::string title = TitleOf(facts);
    std::string out = "<!DOCTYPE html>\n<html lang=\"fr\" xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
                      "<meta charset=\"utf-8\"/>\n<title>" + title + "</title>\n<style>" + kStyle +
                      "</style>\n</head>\n<body>\n<h1>" + title + "</h1>\n";
    out += Marks(facts);
    out += RunSection(facts);
    if (facts.check) {
        out += CheckSection(*facts.check);
    } else {
        out += FilesSection(facts);
        out += TablesSection(facts.tables);
    }
    out += ReasonsSections(facts);
    out += WrittenSection(facts);
    out += "<footer>Écrit par clinova-import " CLINOVA_VERSION " le " + Moment(Now()) + ".</footer>\n</body>\n</html>\n";
    return out;
}

std::string WriteMigrationReport(const ReportFacts &facts, std::string &error) {
    const std::string path = facts.outputFolder + ReportFileName();
    try {
        WriteFileSafely(path, MigrationReportHtml(facts));
    } catch (const std::exception &e) {
        error = e.what();
        return {};
    }
    return path;
}

} // namespace clinova
