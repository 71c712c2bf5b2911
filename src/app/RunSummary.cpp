#include "app/RunSummary.h"

#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace clinova {

namespace {

// The cells of one row before they are padded; a row left aside has its mark and no counts.
struct RowCells {
    std::string name;
    std::vector<std::string> numbers;
    std::vector<std::string> words;
    std::string duration;
    std::string mark;
    bool counted = true;
};

RowCells CellsOf(const StepSummary &summary, const std::vector<SummaryColumn> &columns) {
    RowCells row;
    row.name = summary.fileName;
    row.mark = SummaryMark(summary);
    row.counted = !summary.missingColumns && summary.leftAside.empty();
    for (const SummaryColumn &column : columns) {
        const int count = summary.*(column.count);
        row.numbers.push_back(std::to_string(count));
        row.words.push_back(FromUtf8(count < 2 ? column.singular : column.plural));
    }
    row.duration = DurationText(summary.seconds);
    return row;
}

std::string PadRight(std::string text, std::size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

std::string PadLeft(const std::string &text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

} // namespace

const std::vector<SummaryColumn> &SummaryColumns() {
    static const std::vector<SummaryColumn> columns = {
        {"lue", "lues", &StepSummary::read},
        {"importée", "importées", &StepSummary::imported},
        {"doublon", "doublons", &StepSummary::matched},
        {"ignorée", "ignorées", &StepSummary::skipped},
        {"en échec", "en échec", &StepSummary::failed},
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

    const std::vector<SummaryColumn> columns = ShownSummaryColumns(summaries);
    std::vector<RowCells> rows;
    for (const StepSummary &summary : summaries)
        rows.push_back(CellsOf(summary, columns));
    StepSummary total = SummaryTotal(summaries);
    // The total says how much was read; an interruption is marked on its own row.
    total.interrupted = false;
    rows.push_back(CellsOf(total, columns));

    // Every column as wide as its widest cell: numbers to the right, words and names to the left.
    const std::size_t counts = columns.size();
    std::size_t nameWidth = 0;
    std::size_t durationWidth = 0;
    std::vector<std::size_t> numberWidths(counts, 0);
    std::vector<std::size_t> wordWidths(counts, 0);
    for (const RowCells &row : rows) {
        nameWidth = std::max(nameWidth, row.name.size());
        if (!row.counted)
            continue;
        for (std::size_t c = 0; c < counts; ++c) {
            numberWidths[c] = std::max(numberWidths[c], row.numbers[c].size());
            wordWidths[c] = std::max(wordWidths[c], row.words[c].size());
        }
        durationWidth = std::max(durationWidth, row.duration.size());
    }

    lines.push_back(FromUtf8("Résumé de l'importation :"));
    for (const RowCells &row : rows) {
        std::string text = PadRight(row.name, nameWidth);
        if (row.counted) {
            for (std::size_t c = 0; c < counts; ++c)
                text += "  " + PadLeft(row.numbers[c], numberWidths[c]) + " " + PadRight(row.words[c], wordWidths[c]);
            text += "  " + PadLeft(row.duration, durationWidth);
        }
        if (!row.mark.empty())
            text += "  " + row.mark;
        lines.push_back(text);
    }
    if (std::any_of(summaries.begin(), summaries.end(), [](const StepSummary &s) { return s.interrupted; }))
        lines.push_back(FromUtf8("Importation interrompue : les étapes suivantes n'ont rien lu"));

    if (!writtenFiles.empty()) {
        lines.push_back(FromUtf8("Fichiers écrits dans ") + sourceFolder + " :");
        for (const std::string &path : writtenFiles)
            lines.push_back("  " + WrittenFileText(path, sourceFolder));
    }
    return lines;
}

} // namespace clinova
