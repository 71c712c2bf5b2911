#pragma once
// The reasons the steps give for a line they leave aside because of the client or animal it names (French,
// Windows-1252), shared by every step that looks clients and animals up, so that IGNOREES_ files say it alike.

#include <string>
#include <string_view>

namespace clinova {

// "client C0999 non importé": the run's client lists do not name it (not in CLIENTS.TXT, or its line failed).
std::string ClientNotImported(std::string_view sourceClient);
// "animal A0005 non importé": the run's animal lists do not name it.
std::string AnimalNotImported(std::string_view sourceAnimal);
// The animal was not created by this run, and a setting keeps only the records of the new animals: "animal A0001
// non créé par cette importation : \"Poids que pour new animaux\" (cbPoidsQuePourNewAnimaux)"; caption is the
// setting's label as the window shows it (UTF-8, as written in the source).
std::string NotANewAnimal(std::string_view sourceAnimal, std::string_view caption, std::string_view control);

} // namespace clinova
