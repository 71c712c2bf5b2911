#include "app/ImportOptions.h"

#include "normalized/Conversions.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

namespace clinova {

const std::vector<OptionControl> &OptionControls() {
    using O = ImportOptions;
    using K = OptionControl::Kind;
    static const std::vector<OptionControl> controls = [] {
        std::vector<OptionControl> c;
        const auto b = [&](const char *n, bool O::*f) { c.push_back({n, K::Bool, f, nullptr, nullptr, nullptr}); };
        const auto t = [&](const char *n, std::string O::*f) {
            c.push_back({n, K::Text, nullptr, f, nullptr, nullptr});
        };
        const auto d = [&](const char *n, Date O::*f) { c.push_back({n, K::Date, nullptr, nullptr, f, nullptr}); };
        b("RadioButtonLocal", &O::RadioButtonLocal);
        b("RadioButtonIP", &O::RadioButtonIP);
        t("edIP1", &O::edIP1);
        t("edIP2", &O::edIP2);
        t("edIP3", &O::edIP3);
        t("edIP4", &O::edIP4);
        t("edPathNameDatabase", &O::edPathNameDatabase);
        b("cbSaufRendezVous", &O::cbSaufRendezVous);
        b("cbSaufCompta", &O::cbSaufCompta);
        b("cbSauvegardeAvant", &O::cbSauvegardeAvant);
        t("edPathSauvegarde", &O::edPathSauvegarde);
        t("edIDSite", &O::edIDSite);
        const auto f = [&](const char *n, FileCheckBox O::*box) {
            c.push_back({n, K::File, nullptr, nullptr, nullptr, box});
        };
        f("cbCLIENTS", &O::cbCLIENTS);
        f("cbANIMAUX", &O::cbANIMAUX);
        f("cbCONSULTATIONS", &O::cbCONSULTATIONS);
        f("cbEVENEMENTS", &O::cbEVENEMENTS);
        f("cbRELANCES", &O::cbRELANCES);
        f("cbCATEGORIES_ACTES", &O::cbCATEGORIES_ACTES);
        f("cbTARIFS_ACTES", &O::cbTARIFS_ACTES);
        f("cbINVENTAIRE", &O::cbINVENTAIRE);
        f("cbPOIDS", &O::cbPOIDS);
        f("cbNOTES", &O::cbNOTES);
        f("cbVILLES", &O::cbVILLES);
        f("cbRendezVous", &O::cbRendezVous);
        f("cbCONTACTS", &O::cbCONTACTS);
        f("cbPOSOLOGIES", &O::cbPOSOLOGIES);
        t("MemoCorrespondancesUtilisateurs", &O::MemoCorrespondancesUtilisateurs);
        t("edIDDefaultUser", &O::edIDDefaultUser);
        b("cbForceColor", &O::cbForceColor);
        t("panCouleur", &O::panCouleur);
        b("cbDedoublonageClients", &O::cbDedoublonageClients);
        b("cbDedoublonageAnimaux", &O::cbDedoublonageAnimaux);
        b("cbDedoublonageConsult", &O::cbDedoublonageConsult);
        b("cbAjout", &O::cbAjout);
        b("cbGarder_ID_CLIENT_du_logiciel_d_origine", &O::cbGarder_ID_CLIENT_du_logiciel_d_origine);
        b("cbGarder_ID_ANIMAL_du_logiciel_d_origine", &O::cbGarder_ID_ANIMAL_du_logiciel_d_origine);
        b("cbNePasCreerModelesRelances", &O::cbNePasCreerModelesRelances);
        b("cbNePasConserverModelesEvent", &O::cbNePasConserverModelesEvent);
        b("cbSaufDataAvantLe", &O::cbSaufDataAvantLe);
        d("dateSaufDataAvantLe", &O::dateSaufDataAvantLe);
        b("cbModeRatrapage", &O::cbModeRatrapage);
        t("edPathIDPrecedentImport", &O::edPathIDPrecedentImport);
        b("cbPasToucheAuxClients", &O::cbPasToucheAuxClients);
        b("cbInjectionAutresAnimaux", &O::cbInjectionAutresAnimaux);
        b("cbInjectionAutresConsult", &O::cbInjectionAutresConsult);
        b("cbInjectionAutresEvent", &O::cbInjectionAutresEvent);
        b("cbRelancesQueDesNewAnimaux", &O::cbRelancesQueDesNewAnimaux);
        b("cbPoidsQuePourNewAnimaux", &O::cbPoidsQuePourNewAnimaux);
        d("DateTimePicker", &O::DateTimePicker);
        b("cbCommitParLigne", &O::cbCommitParLigne);
        b("cbEnvoisGroupes", &O::cbEnvoisGroupes);
        b("cbReprise", &O::cbReprise);
        b("cbFichiersUTF8", &O::cbFichiersUTF8);
        t("edIDSITECompta", &O::edIDSITECompta);
        b("cbRichViewMode", &O::cbRichViewMode);
        b("cdDeleteTropEspacesInConsult", &O::cdDeleteTropEspacesInConsult);
        b("cbPourDemo", &O::cbPourDemo);
        return c;
    }();
    return controls;
}

const OptionControl *FindOptionControl(std::string_view name) {
    for (const auto &control : OptionControls())
        if (name == control.name)
            return &control;
    return nullptr;
}

const OptionControl *FindFileControl(FileCheckBox ImportOptions::*box) {
    for (const auto &control : OptionControls())
        if (control.kind == OptionControl::Kind::File && control.fileField == box)
            return &control;
    return nullptr;
}

bool SetOption(ImportOptions &options, std::string_view name, std::string_view value, std::string &error) {
    const OptionControl *control = FindOptionControl(name);
    if (!control) {
        error = FromUtf8("réglage inconnu : ") + std::string(name);
        return false;
    }
    const auto flag = [&](bool &out) {
        if (value != "0" && value != "1") {
            error = FromUtf8("valeur attendue 1 ou 0 pour ") + std::string(name);
            return false;
        }
        out = value == "1";
        return true;
    };
    switch (control->kind) {
    case OptionControl::Kind::Bool: {
        bool on = false;
        if (!flag(on))
            return false;
        options.*(control->boolField) = on;
        if (on && control->boolField == &ImportOptions::RadioButtonIP)
            options.RadioButtonLocal = false;
        if (on && control->boolField == &ImportOptions::RadioButtonLocal)
            options.RadioButtonIP = false;
        return true;
    }
    case OptionControl::Kind::Text:
        options.*(control->textField) = std::string(value);
        return true;
    case OptionControl::Kind::Date:
        try {
            options.*(control->dateField) = ParseDateDMY(value);
            return true;
        } catch (const ConversionError &e) {
            error = std::string(name) + " : " + e.what();
            return false;
        }
    case OptionControl::Kind::File: {
        bool on = false;
        if (!flag(on))
            return false;
        // Only the folder scan offers a file: a file that is not there stays unticked.
        (options.*(control->fileField)).checked = on;
        return true;
    }
    }
    return false;
}

std::string OptionText(const ImportOptions &options, const OptionControl &control) {
    switch (control.kind) {
    case OptionControl::Kind::Bool:
        return options.*(control.boolField) ? "1" : "0";
    case OptionControl::Kind::Text:
        return options.*(control.textField);
    case OptionControl::Kind::Date:
        return FormatDMY(options.*(control.dateField));
    case OptionControl::Kind::File:
        return (options.*(control.fileField)).Ticked() ? "1" : "0";
    }
    return {};
}

int GetSiteID(const ImportOptions &options) { return TryStrToInt(TrimView(options.edIDSite)).value_or(0); }

} // namespace clinova
