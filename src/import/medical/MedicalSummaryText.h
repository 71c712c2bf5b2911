#pragma once
// The summary texts the product shows without opening the documents: the medical file of an animal
// (ANIMAUX.SYNTHESE_DOSSIER) and a consultation (CONSULT.SYNTHESE).

#include "normalized/DateTime.h"

#include <optional>
#include <string>
#include <string_view>

namespace clinova {

// "d mmm yyyy" with the French abbreviated month names ("5 mars 2019", "1 févr. 2018"), whatever the
// machine's language: the product's users read French.
std::string FrenchShortDate(const Date &date);

// One consultation of an animal's summary: its date line (empty for a consultation without date), its
// SYNTHESE and its VACCINS when not empty, then an empty line; each line ends with CR LF.
std::string AnimalSummaryEntry(const std::optional<Date> &date, std::string_view synthese, std::string_view vaccins);

// The texts of the text items of a CARTON, NUL characters removed, trimmed, the empty ones left out,
// joined by single blanks. A CARTON holding the plain tab-marked text gives the texts of its lines.
std::string ConsultationSummaryText(std::string_view carton);

} // namespace clinova
