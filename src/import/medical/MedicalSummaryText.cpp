#include "import/medical/MedicalSummaryText.h"

#include "document/RVFReader.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

#include <array>
#include <vector>

namespace clinova {

namespace {

// The lines of a plain tab-marked text: the pieces "0/" + line between the tabs; "-1" ends each line.
std::vector<std::string> PlainTabMarkedLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t tab = text.find('\t', start);
        if (tab == std::string_view::npos)
            tab = text.size();
        const std::string_view piece = text.substr(start, tab - start);
        if (piece.substr(0, 2) == "0/")
            lines.emplace_back(piece.substr(2));
        start = tab + 1;
    }
    return lines;
}

} // namespace

std::string FrenchShortDate(const Date &date) {
    static const std::array<std::string, 12> months = {
        FromUtf8("janv."), FromUtf8("févr."), "mars",  "avr.", "mai",  "juin",
        "juil.",           FromUtf8("août"),  "sept.", "oct.", "nov.", FromUtf8("déc."),
    };
    const std::string month = date.month >= 1 && date.month <= 12 ? months[date.month - 1] : std::string("?");
    return std::to_string(date.day) + " " + month + " " + std::to_string(date.year);
}

std::string AnimalSummaryEntry(const std::optional<Date> &date, std::string_view synthese, std::string_view vaccins) {
    std::string text = (date ? FrenchShortDate(*date) : std::string()) + "\r\n";
    if (!synthese.empty())
        text.append(synthese).append("\r\n");
    if (!vaccins.empty())
        text.append(vaccins).append("\r\n");
    return text + "\r\n";
}

std::string ConsultationSummaryText(std::string_view carton) {
    // The consultation import's plain mode stores this form; the document loader finds no text in it.
    std::vector<std::string> texts =
        carton.substr(0, 3) == "\t0/" ? PlainTabMarkedLines(carton) : DocumentTexts(carton);
    for (auto &text : texts)
        text = RemoveAllChars(text, '\0');
    return JoinNonBlank(texts);
}

} // namespace clinova
