#include "import/clients_animals/ClientInsert.h"

#include "database/Statement.h"
#include "normalized/Conversions.h"

#include <cstdint>

namespace clinova {

namespace {

// The 106 columns of every build, in the order of the statement; from build 81 on three more follow.
constexpr const char *kColumns =
    "ID, TITRE, NOM, PRENOM, CATEGORIE, ID_VETERINAIRE, VETERINAIRE, PROFESSION, TYPECLIENT, ORIGINE, "
    "REFERE_PAR, ID_REFERE_PAR, DEPASSAGE, ALIM, MED, RUE1, CP1, VILLE1, TELFAXTYPE11, TELFAXNUM11, "
    "TELFAXLR11, TELFAXTYPE12, TELFAXNUM12, TELFAXLR12, TELFAXTYPE13, TELFAXNUM13, TELFAXLR13, "
    "ADRESSECOURRIER1, NOTES1, RUE2, CP2, VILLE2, TELFAXTYPE21, TELFAXNUM21, TELFAXLR21, TELFAXTYPE22, "
    "TELFAXNUM22, TELFAXLR22, TELFAXTYPE23, TELFAXNUM23, TELFAXLR23, ADRESSECOURRIER2, EMAILPERSO, "
    "PAGEWEBPERSO, EMAILBURO, PAGEWEBBURO, NOTES, ENVOYEPAR, ORIGINECTXCLINIQUE, ORIGINECTXFICHIER, "
    "ORIGINECTXAUTRECLINIQUE, NOTESCTX, INFOSPERSO, DELAISPAIEMENT, REMISEACTES, ENCOURSAUTORISE, "
    "CONTENTIEUX, PREMIEREVISITE, DERNIEREVISITE, PROCHAINEVISITE, FAMILLEACCUEIL, ACCUEILCHAT, "
    "ACCUEILCHIEN, ACCUEILEQUIDE, ACCUEILNAC, ACCUEILNOTES, EXISTCOMMANDE, COMMANDEISARRIVE, "
    "ADRESSE_ERROR, VOIR_CLIENT, CLIENT_EXTERNE, ID_CLIENT_DE, CLIENT_DE, KILOMETRAGE, COMMANDE, "
    "ATTENTE_LABO, ATTENTE_VACCIN, ATTENTE_VACCIN_DATE_MAX, REFERE_A, ARCHIVED, SOLDE, DATECREATION, "
    "PAYS1, PAYS2, GROUPE_FACT, POCKETCN, PRELEV, STOP_PRELEV, WAIT_ORDRE_PRELEV, DATE_RESTART_PRELEV, "
    "EXIST_PLAFOND_PRELEV, PLAFOND_PRELEV, RAISON_SOCIALE, DOMICILIATION, NUM_BANQUE, NUM_GUICHET, "
    "NUM_COMPTE, CLE_RIB, REMISEPRODUITS, REMISES, SMS_OK_RAPPELS, CODE_BANQUE_CHEQUE, COLOR, "
    "EXIST_NOTES, NUM_CHEPTEL, ID_COMPTA";

constexpr const char *kFalseFlags[] = {"DEPASSAGE",
                                       "ALIM",
                                       "MED",
                                       "TELFAXLR11",
                                       "TELFAXLR12",
                                       "TELFAXLR13",
                                       "TELFAXLR21",
                                       "TELFAXLR22",
                                       "TELFAXLR23",
                                       "ADRESSECOURRIER2",
                                       "ORIGINECTXCLINIQUE",
                                       "ORIGINECTXFICHIER",
                                       "ORIGINECTXAUTRECLINIQUE",
                                       "CONTENTIEUX",
                                       "FAMILLEACCUEIL",
                                       "ACCUEILCHAT",
                                       "ACCUEILCHIEN",
                                       "ACCUEILEQUIDE",
                                       "ACCUEILNAC",
                                       "EXISTCOMMANDE",
                                       "COMMANDEISARRIVE",
                                       "ADRESSE_ERROR",
                                       "VOIR_CLIENT",
                                       "CLIENT_EXTERNE"};

constexpr const char *kEmptyTexts[] = {"VETERINAIRE", "PROFESSION",     "TYPECLIENT",    "ORIGINE",    "ID_CLIENT_DE",
                                       "CLIENT_DE",   "RAISON_SOCIALE", "DOMICILIATION", "NUM_BANQUE", "NUM_GUICHET",
                                       "NUM_COMPTE",  "CLE_RIB",        "NUM_CHEPTEL",   "ID_COMPTA"};

constexpr const char *kZeroIntegers[] = {"DELAISPAIEMENT", "REMISEACTES", "KILOMETRAGE",       "ATTENTE_LABO",
                                         "ATTENTE_VACCIN", "ARCHIVED",    "GROUPE_FACT",       "POCKETCN",
                                         "PRELEV",         "STOP_PRELEV", "WAIT_ORDRE_PRELEV", "EXIST_PLAFOND_PRELEV"};

constexpr const char *kZeroFloats[] = {"ENCOURSAUTORISE", "SOLDE"};

constexpr std::int32_t kWhite = 0xFFFFFF;

} // namespace

std::string ClientInsertSQL(int databaseBuild) {
    std::string columns = kColumns;
    if (databaseBuild > 80)
        columns += ", ECARNET_STATUS, GROUPE01, MODE_COURRIER";
    return "insert into clients (" + columns + ")\nvalues (:" + ReplaceAllText(columns, ", ", ", :") + ")";
}

void SetClientDefaults(Statement &QClient, int clientID) {
    QClient.ClearParameters();
    QClient.SetInt("ID", clientID);
    QClient.SetInt("ID_VETERINAIRE", -1);
    for (const char *name : kFalseFlags)
        QClient.SetText(name, "F");
    QClient.SetText("ADRESSECOURRIER1", "T");
    for (const char *name : kEmptyTexts)
        QClient.SetText(name, "");
    for (const char *name : kZeroIntegers)
        QClient.SetInt(name, 0);
    for (const char *name : kZeroFloats)
        QClient.SetDouble(name, 0.0);
    QClient.SetInt("COLOR", kWhite);
    if (QClient.HasParameter("MODE_COURRIER")) {
        QClient.SetInt("ECARNET_STATUS", 0);
        QClient.SetInt("MODE_COURRIER", 0);
    }
}

} // namespace clinova
