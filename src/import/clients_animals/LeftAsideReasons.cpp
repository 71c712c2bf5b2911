#include "import/clients_animals/LeftAsideReasons.h"

#include "normalized/Win1252.h"

namespace clinova {

namespace {

// "animal A0005 non importé", or the empty column: "ID_ANIMAL vide".
std::string Named(std::string_view what, std::string_view column, std::string_view sourceID, const char *state) {
    if (sourceID.empty())
        return std::string(column) + FromUtf8(" vide");
    return std::string(what) + " " + std::string(sourceID) + FromUtf8(state);
}

} // namespace

std::string ClientNotImported(std::string_view sourceClient) {
    return Named("client", "ID_CLIENT", sourceClient, " non importé");
}

std::string AnimalNotImported(std::string_view sourceAnimal) {
    return Named("animal", "ID_ANIMAL", sourceAnimal, " non importé");
}

std::string NotANewAnimal(std::string_view sourceAnimal, std::string_view caption, std::string_view control) {
    return Named("animal", "ID_ANIMAL", sourceAnimal, " non créé par cette importation") + " : \"" +
           FromUtf8(caption) + "\" (" + std::string(control) + ")";
}

} // namespace clinova
