#include "import/clients_animals/AnimalInsert.h"

#include "database/Statement.h"

#include <array>

namespace clinova {

namespace {

constexpr std::array<const char *, 138> kColumns = {
    "ID",
    "IDCLIENT",
    "IDNEXTRDV",
    "CASREFERE",
    "REFEREPAR",
    "NOM",
    "AFFIXE",
    "ESPECE",
    "ALIAS",
    "TYPAGE_ADN",
    "RACE",
    "SEXE",
    "VARIETE",
    "ROBE",
    "POIL",
    "ALARME",
    "DATENAISSANCE",
    "LOF",
    "LOF_VALUE",
    "ACCORDREPRODUCTION",
    "ANIMALDISPARU",
    "ANIMALVOLE",
    "ANTECEDANTSMEDICAUX",
    "MODEDEVIE",
    "TATOUNUM",
    "TATOUMODE",
    "TATOUEMPLACEMENT",
    "TATOUIDPRATICIEN",
    "TATOUPRATICIEN",
    "TATOUDATE",
    "PUCE_NUM",
    "PUCE_LOCALISATION",
    "PUCE_TYPE_TRANSPONDEUR",
    "PUCE_IDPRATICIEN",
    "PUCE_PRATICIEN",
    "PUCE_DATE",
    "ALIMMENAGERE",
    "ALIMSEC",
    "ALIMHUMIDE",
    "ALIMDIETETIQUE",
    "ALIMCONDITIONNEMENT",
    "ALIMMARQUE",
    "ALIMTYPE",
    "REGIME_PRODUIT_DESIGNATION",
    "POIDSOBSERVATIONS",
    "REGIMEACTIVE",
    "REGIMERAISON",
    "REGIMEDATEDEBUT",
    "REGIMECONDITIONNEMENT",
    "REGIMEMARQUE",
    "REGIMETYPE",
    "REGIMEPOIDSDEPART",
    "REGIMEOBJECTIFPOIDS",
    "REGIMEOBSERVATIONS",
    "ASSURANCENOM",
    "ASSURANCETYPE",
    "ASSURANCEFRANCHISE",
    "ASSURANCEOBSERVATIONS",
    "VERMIFUGEDATEFIRSTPRISE1",
    "VERMIFUGEDATEFIRSTPRISE2",
    "VERMIFUGEOBSERVATIONS",
    "DECESISMORT",
    "DECESMORTLE",
    "DECESEUTHANASIE",
    "DECESEUTHANASIEPAR",
    "DECESENGARDE",
    "DECESENURGENCE",
    "DECESCAUSE",
    "DECESNUMINCINERATION",
    "DECESTYPEINCINERATION",
    "DECESAUTORISEINCINERATION",
    "DECESLETTRECONDOLEANCE",
    "CONTRACEPTEVOYERRAPPEL",
    "IDELEVEUR",
    "DECESAUTOPSIE",
    "DECESRESULTAT",
    "IDLASTPROPRIO",
    "REGIMETYPEREGIME",
    "REGIMECIP",
    "REGIMERATIONJOUR",
    "CROISSANCE_OREILLE",
    "CROISSANCE_DENTITION",
    "CROISSANCE_OBSERVATIONS",
    "APTYPESHAMPOING",
    "APTYPECOLLIER",
    "APTYPEPOUDRE",
    "APSPRAY",
    "APSPRAYMARQUELABO",
    "APSPRAYDATE",
    "APSPOTON",
    "APSPOTONMARQUELABO",
    "APSPOTONDATE",
    "APCOMPRIME",
    "APCOMPRIMEMARQUELABO",
    "APCOMPRIMEDATE",
    "APAMPOULE",
    "APAMPOULEMARQUELABO",
    "APAMPOULEDATE",
    "APDIFFUSEUR",
    "APDIFFUSEURMARQUELABO",
    "APDIFFUSEURDATE",
    "APSHAMPMARQUELABO",
    "APSHAMPDATE",
    "APCOLLIERMARQUELABO",
    "APCOLLIERDATE",
    "APPOUDREMARQUELABO",
    "APPOUDREDATE",
    "APENVIRONNEMENT",
    "APPREVENTIF",
    "APINFESTATION",
    "APENVOYERRAPPEL",
    "APALLERGIE",
    "TAILLEADULTE",
    "DATE_PREMIERE_CHALEUR",
    "DATE_DERNIERE_CHALEUR",
    "VERMIFUGE_NUM_CAL_ACTIF",
    "CROISSANCE_RATION_QUOTIDIENNE",
    "DENTITION_DENTS_MANQUANTE",
    "DENTITION_DENTS_LAIT",
    "SYNTHESE_DOSSIER",
    "APREVOIR",
    "POIDS",
    "TAILLE",
    "FLAG_MODULES",
    "TRAITEMENT_EN_COURS",
    "ISSUIVI",
    "VIE_EN",
    "VIE_A",
    "POSTIT",
    "ATTENTE_LABO",
    "REGIMEPRIXPARJOUR",
    "QUESTION_DEVENU",
    "ANIMALDONNE",
    "DATECREATION",
    "COMPAGNIE_INCINERATION",
    "ISCHEPTEL",
    "NUMERO_PASSEPORT",
    "SIRE",
};

constexpr const char *kMinusOneIntegers[] = {"IDNEXTRDV", "TATOUIDPRATICIEN", "IDLASTPROPRIO", "IDELEVEUR"};

constexpr const char *kEmptyTexts[] = {"ALARME", "LOF_VALUE", "TATOUNUM", "PUCE_NUM"};

constexpr const char *kNullDates[] = {"DATENAISSANCE", "TATOUDATE", "PUCE_DATE"};

constexpr const char *kFalseFlags[] = {
    "CASREFERE",
    "LOF",
    "ACCORDREPRODUCTION",
    "ALIMMENAGERE",
    "ALIMSEC",
    "ALIMHUMIDE",
    "ALIMDIETETIQUE",
    "REGIMEACTIVE",
    "DECESISMORT",
    "DECESEUTHANASIE",
    "DECESENGARDE",
    "DECESENURGENCE",
    "DECESAUTORISEINCINERATION",
    "DECESLETTRECONDOLEANCE",
    "ANIMALDISPARU",
    "ANIMALVOLE",
    "APTYPESHAMPOING",
    "APTYPECOLLIER",
    "APTYPEPOUDRE",
    "APSPRAY",
    "APSPOTON",
    "APCOMPRIME",
    "APAMPOULE",
    "APDIFFUSEUR",
    "APENVIRONNEMENT",
    "APPREVENTIF",
    "APINFESTATION",
    "DECESAUTOPSIE",
};

constexpr const char *kTrueFlags[] = {"APENVOYERRAPPEL", "CONTRACEPTEVOYERRAPPEL"};

constexpr const char *kZeroIntegers[] = {
    "VERMIFUGE_NUM_CAL_ACTIF", "ISSUIVI",  "VIE_EN", "VIE_A", "ATTENTE_LABO", "ANIMALDONNE",
    "QUESTION_DEVENU",         "ISCHEPTEL"};

constexpr const char *kZeroFloats[] = {"POIDS", "TAILLE"};

} // namespace

std::string AnimalInsertSQL(bool withIdealWeight) {
    std::string columns, values;
    const auto add = [&](const char *column) {
        if (!columns.empty()) {
            columns += ", ";
            values += ", ";
        }
        columns += column;
        values += std::string(":") + column;
    };
    for (const char *column : kColumns)
        add(column);
    if (withIdealWeight)
        add("POIDS_IDEAL1000");
    return "insert into ANIMAUX (" + columns + ")\nvalues (" + values + ")";
}

void SetAnimalDefaults(Statement &QAni, int animalID, int clientID) {
    QAni.ClearParameters();
    QAni.SetInt("ID", animalID);
    QAni.SetInt("IDCLIENT", clientID);
    for (const char *name : kMinusOneIntegers)
        QAni.SetInt(name, -1);
    for (const char *name : kEmptyTexts)
        QAni.SetText(name, "");
    for (const char *name : kNullDates)
        QAni.SetNull(name);
    for (const char *name : kFalseFlags)
        QAni.SetText(name, "F");
    for (const char *name : kTrueFlags)
        QAni.SetText(name, "T");
    for (const char *name : kZeroIntegers)
        QAni.SetInt(name, 0);
    for (const char *name : kZeroFloats)
        QAni.SetDouble(name, 0.0);
}

} // namespace clinova
