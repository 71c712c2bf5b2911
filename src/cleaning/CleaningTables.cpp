#include "cleaning/CleaningTables.h"

#include <algorithm>
#include <array>

namespace clinova {

const std::vector<std::string_view> &TablesAViderTout() {
    // clang-format off
    static const std::vector<std::string_view> tables = {
        "ANIMAUX", "ARTICLES", "ARTICLES_HOSPITALISATIONS", "ARTICLES_ORDONNANCES", "CALLS", "CHENIL",
        "COMMANDES_CLIENTS", "CONSULT", "ECRITURES", "FACTURES", "HOSPI", "HOSPITAL_LIST", "HOSPITALISATIONS",
        "INTERVENTIONS", "MORDEURS", "ORDONNANCES", "PRELEVEMENTS_ORDRES", "RAPPELS", "RDV", "RECENTS_ANIMAUX",
        "RECENTS_CLIENTS", "RECENTS_CONSULT", "RECENTS_FACTURES", "RESTE_A_FACTURER", "SOS_VETO", "STUPEFIANTS",
        "TIRS_RADIOS", "CLIENTS", "FIDELITE01", "ALARMES", "ANALYSE_SCAN", "ANALYSES", "ANALYSES_BIOLOGIE",
        "ANALYSES_BP", "ANALYSES_HEMATO", "ANALYSES_IMMUNO", "ANALYSES_MERIDAL", "ANALYSES_MAIN", "ANALYSES_MED",
        "ANALYSES_RESULTATS", "ANALYSES_VIRO", "BIBLIO_IMAGES_ANIMAL", "BILANS", "CARDIO_SYNTHESE", "CARDIOS",
        "CHIRURGIE", "COMPTES_RENDUS", "CONSULT", "CONTRACEPTION", "DISPARITIONS", "ECHOGRAPHIES", "ENDOSCOPIE",
        "INJECTIONS", "INTERVENTIONS", "OPHTALMO", "OPHTALMO_SCAN", "OPHTALMO_SYNTHESE", "PASSEPORTS", "POIDS",
        "RADIOS", "RAPPELS", "SCHEMAS", "SINGE_AUTOPSIE", "SINGE_EXAMENS", "SINGE_HOSPITALISATIONS",
        "SINGE_PRELEVEMENTS", "SINGE_SUIVI_JOURNALIER", "TAILLES", "TRANSFERTS_ANIMAUX", "VACCINS", "VERMIFUGE",
        "BULLE_BLEUE", "EVENTS", "REGISTRE_ANTIRABIQUE", "RELANCES", "CHANGES_CLIENTS", "CHANGES_ANIMAUX",
        "CHANGES_FACT", "CHANGES_INTER", "CHANGES_ORDO", "CHANGES_DELETED", "FIDELITE01", "CLIENTS_LINK", "ORDO",
        "STUP_ENTREES", "STUP_SORTIES",
    };
    // clang-format on
    return tables;
}

namespace {

const std::vector<std::string_view> &AccountingTables() {
    // clang-format off
    static const std::vector<std::string_view> tables = {
        "ARTICLES", "ECRITURES", "FACTURES", "PRELEVEMENTS_ORDRES", "RECENTS_FACTURES", "RESTE_A_FACTURER",
        "REMISES_CBS", "REMISES_CBS_ECRITURES", "REMISES_CHEQUES", "REMISES_CHEQUES_ECRITURES", "REMISES_ESPECES",
        "REMISES_ESPECES_ECRITURES", "RESERVOIRE_NUM_AVOIR", "RESERVOIRE_NUM_BON_LIVRAISON", "RESERVOIRE_NUM_DEVIS",
        "RESERVOIRE_NUM_FACTURE", "CHANGES_FACT", "CHANGES_INTER", "CHANGES_DELETED", "FIDELITE01",
        "VENTILATIONS_VERSEMENTS", "VERSEMENTS", "VENTILATIONS_ECRITURES",
    };
    // clang-format on
    return tables;
}

} // namespace

const std::vector<std::string_view> &TablesAViderComptaTousLesSites() {
    static const std::vector<std::string_view> tables = AccountingTables();
    return tables;
}

const std::vector<std::string_view> &TablesAViderComptaDUnSite() {
    static const std::vector<std::string_view> tables = AccountingTables();
    return tables;
}

bool IsBatchTable(std::string_view table) {
    static constexpr std::array<std::string_view, 6> batchTables = {
        "CLIENTS", "ANIMAUX", "CONSULT", "FACTURES", "ECRITURES", kLinkFacturesEcritures,
    };
    return std::find(batchTables.begin(), batchTables.end(), table) != batchTables.end();
}

const std::vector<std::string> &ClientAnimalGeneratorRestarts() {
    static const std::vector<std::string> statements = {
        "ALTER SEQUENCE CURRENT_ID_CLIENT RESTART WITH 0",
        "ALTER SEQUENCE CURRENT_ID_ANIMAL RESTART WITH 0",
    };
    return statements;
}

const std::vector<std::string> &AccountingGeneratorRestarts() {
    static const std::vector<std::string> statements = {
        "ALTER SEQUENCE LAST_NUM_FACTURE RESTART WITH 0",    "ALTER SEQUENCE LAST_NUM_BON_LIVRAISON RESTART WITH 0",
        "ALTER SEQUENCE LAST_NUM_AVOIR RESTART WITH 0",      "ALTER SEQUENCE LAST_NUM_PRESTA RESTART WITH 0",
        "ALTER SEQUENCE LAST_NUM_DEVIS RESTART WITH 0",      "ALTER SEQUENCE CURRENT_ID_FACTURE RESTART WITH 0",
        "ALTER SEQUENCE CURRENT_ID_ECRITURE RESTART WITH 0", "ALTER SEQUENCE GEN_VERSEMENTS RESTART WITH 0",
    };
    return statements;
}

std::vector<std::string> SiteGeneratorRestarts(int site) {
    std::vector<std::string> statements;
    const std::string prefix = "ALTER SEQUENCE ID_S" + std::to_string(site);
    for (const char *number : {"_FACTURE", "_BON_LIVRAISON", "_AVOIR", "_PRESTA", "_DEVIS"})
        statements.push_back(prefix + number + " RESTART WITH 0");
    return statements;
}

} // namespace clinova
