#pragma once
// Every setting the actions read, named by its control in the window, with its default. The window
// fills it from its controls before an action; the command line fills it from --set NAME=VALUE. Both
// go through the one table of control names below.

#include "normalized/DateTime.h"

#include <string>
#include <string_view>
#include <vector>

namespace clinova {

// A source file's check box: offered (enabled) by the folder scan, ticked by the operator.
struct FileCheckBox {
    bool enabled = false;
    bool checked = false;
    bool Ticked() const { return enabled && checked; }
};

struct ImportOptions {
    // 1- Base de données
    bool RadioButtonLocal = true;
    bool RadioButtonIP = false;
    std::string edIP1, edIP2, edIP3, edIP4;
    std::string edPathNameDatabase = "C:\\Program Files (x86)\\Clinova 2\\Database\\BASE.CN2";

    // 3- Nettoyer
    bool cbSaufRendezVous = false;
    bool cbSaufCompta = false;

    // "Sauvegarder la base avant": the import and the actions that delete make a backup of the database first,
    // and do not start when it fails. The path is the server's, as the database path is; empty, a file beside
    // the database named after it and the date and time (BackupFilePath). Unticked here, so that the command
    // line and scripted runs back up only when asked (--backup); the window opens with it ticked.
    bool cbSauvegardeAvant = false;
    std::string edPathSauvegarde;

    // 5- Importer
    std::string edIDSite = "1";
    FileCheckBox cbCLIENTS, cbANIMAUX, cbCONSULTATIONS, cbEVENEMENTS, cbRELANCES, cbCATEGORIES_ACTES,
        cbTARIFS_ACTES, cbINVENTAIRE, cbPOIDS, cbNOTES, cbVILLES, cbRendezVous, cbCONTACTS, cbPOSOLOGIES;

    // Log page
    std::string MemoCorrespondancesUtilisateurs;

    // Options 1
    std::string edIDDefaultUser;
    bool cbForceColor = false;
    std::string panCouleur = "couleur";
    bool cbDedoublonageClients = false;
    bool cbDedoublonageAnimaux = false;
    bool cbDedoublonageConsult = false;
    bool cbAjout = false;
    bool cbGarder_ID_CLIENT_du_logiciel_d_origine = false;
    bool cbGarder_ID_ANIMAL_du_logiciel_d_origine = false;
    bool cbNePasCreerModelesRelances = false;
    bool cbNePasConserverModelesEvent = false;
    bool cbSaufDataAvantLe = false;
    Date dateSaufDataAvantLe{2019, 1, 1};
    bool cbModeRatrapage = false;
    std::string edPathIDPrecedentImport = "C:\\Temp\\aaaa\\";
    bool cbPasToucheAuxClients = false;
    bool cbInjectionAutresAnimaux = false;
    bool cbInjectionAutresConsult = false;
    bool cbInjectionAutresEvent = false;
    bool cbRelancesQueDesNewAnimaux = false;
    bool cbPoidsQuePourNewAnimaux = false;
    Date DateTimePicker{2019, 1, 1};
    bool cbCommitParLigne = false; // strict commit policy: one commit per row written
    // Requests to the server grouped (identifiers reserved in blocks, documents sent with their rows); off,
    // every request is made on its own, as a comparison and a fallback.
    bool cbEnvoisGroupes = true;
    // "Reprendre l'importation interrompue": the import finishes the run its journal describes, skipping what
    // that run committed.
    bool cbReprise = false;
    // Source files written as UTF-8 are read as UTF-8 and converted; without it such a file is not imported.
    bool cbFichiersUTF8 = false;

    // Options 2
    std::string edIDSITECompta = "1";

    // Hidden settings
    bool cbRichViewMode = true;
    bool cdDeleteTropEspacesInConsult = true;
    bool cbPourDemo = false;
};

// One row of the table of control names.
struct OptionControl {
    enum class Kind { Bool, Text, Date, File };
    const char *name;
    Kind kind;
    bool ImportOptions::*boolField = nullptr;
    std::string ImportOptions::*textField = nullptr;
    Date ImportOptions::*dateField = nullptr;
    FileCheckBox ImportOptions::*fileField = nullptr;
};
const std::vector<OptionControl> &OptionControls();
const OptionControl *FindOptionControl(std::string_view name);
// The control of a file's check box; nullptr when the box has none.
const OptionControl *FindFileControl(FileCheckBox ImportOptions::*box);

// Sets a setting from its text: check boxes "1"/"0", edits as they are, dates "dd/mm/yyyy"; a file check
// box is ticked by "1" (it counts only once the folder scan offers the file), unticked by "0". Radio
// buttons exclude each other. Returns false
// with a French reason (Windows-1252) when the name is unknown or the value does not fit.
bool SetOption(ImportOptions &options, std::string_view name, std::string_view value, std::string &error);
// The setting as the same text.
std::string OptionText(const ImportOptions &options, const OptionControl &control);

// The site number typed in edIDSite; a text that is not an integer gives 0.
int GetSiteID(const ImportOptions &options);

} // namespace clinova
