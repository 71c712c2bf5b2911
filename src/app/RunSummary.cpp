#include "app/RunSummary.h"

#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace clinova {

namespace {

std::string PadRight(std::string text, std::size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

std::string PadLeft(const std::string &text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

// One table of the summary: a header row of the columns' names, then a row per summary, the names to the left,
// the numbers and the times to the right, each column as wide as its widest cell. A row left aside has its
// mark instead of its counts. With duration, a column of the times; with remarks, a last one of the marks.
std::vector<std::string> Table(const std::vector<StepSummary> &rows, const std::vector<SummaryColumn> &columns,
                               bool duration, bool remarks) {
    std::vector<std::vector<std::string>> cells; // the header, then the rows: name, counts, time
    std::vector<std::string> header{"Fichier"};
    for (const SummaryColumn &column : columns)
        header.push_back(FromUtf8(column.plural));
    if (duration)
        header.push_back(FromUtf8("durée"));
    if (remarks)
        header.push_back("remarque");
    cells.push_back(header);
    std::vector<bool> counted{true};
    for (const StepSummary &summary : rows) {
        std::vector<std::string> row{summary.fileName};
        counted.push_back(!summary.missingColumns && summary.leftAside.empty());
        for (const SummaryColumn &column : columns)
            row.push_back(std::to_string(summary.*(column.count)));
        if (duration)
            row.push_back(DurationText(summary.seconds));
        if (remarks)
            row.push_back(SummaryMark(summary));
        cells.push_back(row);
    }
    std::vector<std::size_t> widths(header.size(), 0);
    for (std::size_t r = 0; r < cells.size(); ++r)
        for (std::size_t c = 0; c < cells[r].size(); ++c)
            if (counted[r] || c == 0)
                widths[c] = std::max(widths[c], cells[r][c].size());
    std::vector<std::string> lines;
    for (std::size_t r = 0; r < cells.size(); ++r) {
        // Two spaces after the name, one between the other columns: a row of the fifteen files, the longest
        // name, counts of six digits and a time of minutes fits 80 columns.
        std::string text = PadRight(cells[r][0], widths[0]);
        if (!counted[r]) {
            lines.push_back(text + "  " + SummaryMark(rows[r - 1]));
            continue;
        }
        for (std::size_t c = 1; c < cells[r].size(); ++c) {
            const bool remark = remarks && c + 1 == cells[r].size();
            text += (c == 1 || remark ? "  " : " ") + (remark ? cells[r][c] : PadLeft(cells[r][c], widths[c]));
        }
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        lines.push_back(text);
    }
    return lines;
}

} // namespace

const std::vector<SummaryColumn> &SummaryColumns() {
    static const std::vector<SummaryColumn> columns = {
        {"lue", "lues", &StepSummary::read},
        {"importée", "importées", &StepSummary::imported},
        {"doublon", "doublons", &StepSummary::matched},
        {"ignorée", "ignorées", &StepSummary::skipped},
        {"échec", "échecs", &StepSummary::failed},
        {"avertissement", "avertissements", &StepSummary::warnings, true},
        {"non lue", "non lues", &StepSummary::notRead, true},
        {"déjà importée", "déjà importées", &StepSummary::alreadyDone, true},
    };
    return columns;
}

std::vector<SummaryColumn> ShownSummaryColumns(const std::vector<StepSummary> &summaries) {
    std::vector<SummaryColumn> shown;
    for (const SummaryColumn &column : SummaryColumns())
        if (!column.whenNotZero ||
            std::any_of(summaries.begin(), summaries.end(), [&](const StepSummary &s) { return s.*(column.count) != 0; }))
            shown.push_back(column);
    return shown;
}

std::string CountText(long long count, std::string_view singularUtf8, std::string_view pluralUtf8) {
    return std::to_string(count) + " " + FromUtf8(count < 2 ? singularUtf8 : pluralUtf8);
}

std::string DurationText(double seconds) {
    if (!(seconds >= 0))
        seconds = 0;
    if (seconds < 59.95) {
        std::string text = fmt::format("{:.1f} s", seconds);
        std::replace(text.begin(), text.end(), '.', ',');
        return text;
    }
    const auto whole = static_cast<long long>(std::llround(seconds));
    if (whole < 3600)
        return fmt::format("{} min {:02} s", whole / 60, whole % 60);
    return fmt::format("{} h {:02} min", whole / 3600, (whole % 3600) / 60);
}

std::string SummaryMark(const StepSummary &summary) {
    if (summary.missingColumns)
        return FromUtf8("non importé : colonnes obligatoires manquantes");
    if (!summary.leftAside.empty())
        return FromUtf8("non importé : ") + summary.leftAside;
    if (summary.interrupted)
        return "interrompu";
    return {};
}

StepSummary SummaryTotal(const std::vector<StepSummary> &summaries) {
    StepSummary total;
    total.fileName = "Total";
    for (const StepSummary &s : summaries) {
        for (const SummaryColumn &column : SummaryColumns())
            total.*(column.count) += s.*(column.count);
        total.seconds += s.seconds;
        total.interrupted = total.interrupted || s.interrupted;
        total.ran = total.ran || s.ran;
    }
    return total;
}

std::string WrittenFileText(const std::string &path, const std::string &sourceFolder) {
    if (!sourceFolder.empty() && path.size() > sourceFolder.size() &&
        path.compare(0, sourceFolder.size(), sourceFolder) == 0)
        return path.substr(sourceFolder.size());
    return path;
}

std::vector<std::string> ImportSummaryLines(const std::vector<StepSummary> &summaries,
                                            const std::vector<std::string> &writtenFiles,
                                            const std::string &sourceFolder) {
    std::vector<std::string> lines;
    if (summaries.empty())
        return lines;

    // The counts of every run in one table; those only some runs have (warnings, lines not read, lines a resume
    // found imported) and the mark of an interrupted file in a second one, for the files that have some: each
    // table fits 80 columns with the longest name, counts of six digits (seven for the total) and times of minutes.
    std::vector<SummaryColumn> always;
    std::vector<SummaryColumn> optional;
    for (const SummaryColumn &column : ShownSummaryColumns(summaries))
        (column.whenNotZero ? optional : always).push_back(column);
    const bool interrupted =
        std::any_of(summaries.begin(), summaries.end(), [](const StepSummary &s) { return s.interrupted; });
    std::vector<StepSummary> rows = summaries;
    StepSummary total = SummaryTotal(summaries);
    // The total says how much was read; an interruption is marked on its own row.
    total.interrupted = false;
    rows.push_back(total);

    lines.push_back(FromUtf8("Résumé de l'importation :"));
    for (std::string &line : Table(rows, always, true, false))
        lines.push_back(std::move(line));
    if (!optional.empty() || interrupted) {
        std::vector<StepSummary> some;
        for (const StepSummary &summary : summaries)
            if (summary.interrupted || std::any_of(optional.begin(), optional.end(), [&](const SummaryColumn &column) {
                    return summary.*(column.count) != 0;
                }))
                some.push_back(summary);
        if (!optional.empty())
            some.push_back(total);
        for (std::string &line : Table(some, optional, false, interrupted))
            lines.push_back(std::move(line));
    }
    if (interrupted)
        lines.push_back(FromUtf8("Importation interrompue : les étapes suivantes n'ont rien lu"));

    if (!writtenFiles.empty()) {
        lines.push_back(FromUtf8("Fichiers écrits dans ") + sourceFolder + " :");
        for (const std::string &path : writtenFiles)
            lines.push_back("  " + WrittenFileText(path, sourceFolder));
    }
    return lines;
}

} // namespace clinova
