#pragma once
// The reminder configuration of an event model, the INI text the product reads from RELANCES_CONFIG.CONTENT.
// Its layout is fixed byte for byte: the keys in this order, CanUse written a second time at the end (it
// keeps its first place), the species section created between CanUse and DoRelance.
//
// Defined here, on TIniMem alone, so that the document's own tests check the same text.

#include "document/TIniMem.h"
#include "normalized/Win1252.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clinova {

struct RelancesConfig {
    std::string category; // in capitals, whole
    std::string label;    // as read, whole
    int eventType = 0;
    std::optional<std::vector<std::string>> species; // no species section without a list
    int reminderDays = 365;
    std::string letterBefore, emailBefore, smsBefore;
    std::string letterAfter, emailAfter, smsAfter;
    bool canUse = true;
};

// The configuration the import gives every model: a reminder a year after the event, by letter, e-mail and
// SMS before and after the due day, for every species.
inline RelancesConfig ImportedModelRelancesConfig(std::string category, std::string label) {
    const std::string generic = FromUtf8("Générique");
    RelancesConfig config;
    config.category = std::move(category);
    config.label = std::move(label);
    config.species.emplace();
    config.letterBefore = "carte_vaccin_avant_x3.rtm";
    config.emailBefore = generic + ".rtf";
    config.smsBefore = generic + ".txt";
    config.letterAfter = "carte_vaccin_apres_x3.rtm";
    config.emailAfter = generic + ".rtf";
    config.smsAfter = generic + ".txt";
    return config;
}

// Empties the document and writes the configuration into the sections "GENERAL" and "Especes", each name
// followed by the suffix.
inline void FillRelancesConfig(TIniMem &ini, std::string_view suffix, const RelancesConfig &config) {
    const std::string general = "GENERAL" + std::string(suffix);
    ini.Clear();
    ini.WriteString(general, "LibelleCategorie", config.category);
    ini.WriteString(general, "LibelleEvent", config.label);
    ini.WriteInteger(general, "EventType", config.eventType);
    ini.WriteBool(general, "CanUse", config.canUse);
    if (config.species)
        ini.WriteStringList("Especes" + std::string(suffix), *config.species);
    ini.WriteBool(general, "DoRelance", config.reminderDays > 0);
    ini.WriteInteger(general, "DoRelanceDans", config.reminderDays);
    ini.WriteBool(general, "SuiviPeriodique", false);
    ini.WriteBool(general, "SendLettre_Avant", true);
    ini.WriteBool(general, "SendEmail_Avant", true);
    ini.WriteBool(general, "SendSMS_Avant", true);
    ini.WriteString(general, "NameModeleLettre_Avant", config.letterBefore);
    ini.WriteString(general, "NameModeleEmail_Avant", config.emailBefore);
    ini.WriteString(general, "NameModeleSMS_Avant", config.smsBefore);
    ini.WriteBool(general, "SendLettre_Apres", true);
    ini.WriteBool(general, "SendEmail_Apres", true);
    ini.WriteBool(general, "SendSMS_Apres", true);
    ini.WriteString(general, "NameModeleLettre_Apres", config.letterAfter);
    ini.WriteString(general, "NameModeleEmail_Apres", config.emailAfter);
    ini.WriteString(general, "NameModeleSMS_Apres", config.smsAfter);
    ini.WriteBool(general, "CanUse", config.canUse);
}

} // namespace clinova
