#include "normalized/TestFileGenerator.h"

#include "normalized/Conversions.h"
#include "normalized/DateTime.h"
#include "normalized/NormalizedFile.h"

#include <chrono>
#include <random>
#include <string_view>

namespace clinova {

namespace {

struct TypedColumn {
    std::string name;
    std::string type;
};

std::vector<TypedColumn> TypedColumns(const std::vector<std::string> &definitions) {
    std::vector<TypedColumn> columns;
    for (const auto &definition : definitions) {
        const std::string_view line = TrimView(definition);
        const std::size_t tab = line.find('\t');
        if (!line.empty() && tab != std::string_view::npos)
            columns.push_back({Trim(line.substr(0, tab)), Trim(line.substr(tab + 1))});
    }
    return columns;
}

bool IsIdentifier(std::string_view name) {
    return name == "ID_CLIENT" || name == "ID_ANIMAL" || name == "ID_EVENEMENT";
}

class ValueGenerator {
public:
    ValueGenerator()
        : random_(static_cast<std::mt19937::result_type>(
              std::chrono::high_resolution_clock::now().time_since_epoch().count())),
          today_(FormatDMY(Today())) {}

    std::string Value(const TypedColumn &column, int line) {
        const std::string_view type = column.type;
        if (type.starts_with("TEXTE(")) {
            if (IsIdentifier(column.name))
                return std::to_string(line);
            // The length stands between "TEXTE(" and the type's last character.
            return Letters(StrToInt(type.substr(6, type.size() > 7 ? type.size() - 7 : 0)));
        }
        if (type == "INTEGER")
            return std::to_string(line);
        if (type == "INTEGER100")
            return std::to_string(line * 100);
        if (type == "BOOLEAN")
            return "0";
        if (type == "DATE")
            return today_;
        if (type == "MEMO")
            return "ligne1\vligne2\vligne3";
        return {};
    }

private:
    std::string Letters(int n) {
        std::uniform_int_distribution<int> letter('a', 'z');
        std::string text;
        for (int k = 0; k < n; ++k)
            text += static_cast<char>(letter(random_));
        return text;
    }

    std::mt19937 random_;
    std::string today_;
};

} // namespace

const std::vector<std::string> &ColonnesClients() {
    static const std::vector<std::string> columns = {
        "ID_CLIENT\tTEXTE(255)",     "TITRE\tTEXTE(15)",         "NOM\tTEXTE(60)",
        "PRENOM\tTEXTE(60)",         "RUE11\tTEXTE(60)",         "RUE12\tTEXTE(60)",
        "RUE13\tTEXTE(60)",          "CP1\tTEXTE(10)",           "VILLE1\tTEXTE(60)",
        "PAYS1\tTEXTE(30)",          "TELFAXNUM11\tTEXTE(15)",   "TELFAXTYPE11\tTEXTE(15)",
        "TELFAXLR11\tBOOLEAN",       "TELFAXNUM12\tTEXTE(15)",   "TELFAXTYPE12\tTEXTE(15)",
        "TELFAXLR12\tBOOLEAN",       "TELFAXNUM13\tTEXTE(15)",   "TELFAXLR13\tBOOLEAN",
        "KILOMETRAGE\tINTEGER",      "RUE21\tTEXTE(60)",         "RUE22\tTEXTE(60)",
        "RUE23\tTEXTE(60)",          "CP2\tTEXTE(10)",           "VILLE2\tTEXTE(60)",
        "PAYS2\tTEXTE(30)",          "TELFAXNUM21\tTEXTE(15)",   "TELFAXTYPE21\tTEXTE(15)",
        "TELFAXLR21\tBOOLEAN",       "TELFAXNUM22\tTEXTE(15)",   "TELFAXTYPE22\tTEXTE(15)",
        "TELFAXLR22\tBOOLEAN",       "TELFAXNUM23\tTEXTE(15)",   "TELFAXLR23\tBOOLEAN",
        "PROFESSION\tTEXTE(60)",     "CONTENTIEUX\tBOOLEAN",     "TYPECLIENT\tTEXTE(60)",
        "EMAIL_PERSO\tTEXTE(50)",    "EMAIL_BUREAU\tTEXTE(50)",  "CODE_BANQUE_CHEQUE\tTEXTE(5)",
        "RAISON_SOCIALE\tTEXTE(24)", "DOMICILIATION\tTEXTE(24)", "NUM_BANQUE\tTEXTE(5)",
        "NUM_GUICHET\tTEXTE(5)",     "NUM_COMPTE\tTEXTE(11)",    "CLE_RIB\tTEXTE(2)",
        "ID_COMPTA\tTEXTE(20)",      "NUM_CHEPTEL\tTEXTE(60)",   "NOTES\tMEMO",
        "REMISE_ACTES\tINTEGER",     "REMISE_PRODUITS\tINTEGER", "DATE_CREATION\tDATE"};
    return columns;
}

const std::vector<std::string> &ColonnesAnimaux() {
    static const std::vector<std::string> columns = {"ID_ANIMAL\tTEXTE(255)",
                                                     "ID_CLIENT\tTEXTE(255)",
                                                     "DATE_NAISSANCE\tDATE",
                                                     "DCD\tBOOLEAN",
                                                     "DATE_DECES\tDATE",
                                                     "CAUSE_DECES\tTEXTE(60)",
                                                     "NOM\tTEXTE(60)",
                                                     "AFFIXE\tTEXTE(50)",
                                                     "ALIAS\tTEXTE(60)",
                                                     "ESPECE\tTEXTE(60)",
                                                     "RACE\tTEXTE(60)",
                                                     "SEXE\tTEXTE(60)",
                                                     "ROBE\tTEXTE(60)",
                                                     "POIL\tTEXTE(60)",
                                                     "VARIETE\tTEXTE(60)",
                                                     "LOF\tBOOLEAN",
                                                     "TATOUAGE_NUMERO\tTEXTE(60)",
                                                     "TATOUAGE_EMPLACEMENT\tTEXTE(60)",
                                                     "TATOUAGE_PRATICIEN\tTEXTE(60)",
                                                     "TATOUAGE_DATE\tDATE",
                                                     "PUCE_NUMERO\tTEXTE(60)",
                                                     "PUCE_LOCALISATION\tTEXTE(60)",
                                                     "PUCE_TYPE_TRANSPONDEUR\tTEXTE(15)",
                                                     "PUCE_PRATICIEN\tTEXTE(60)",
                                                     "PUCE_DATE\tDATE",
                                                     "PASSEPORT_NUMERO\tTEXTE(16)",
                                                     "PASSEPORT_DATE\tDATE",
                                                     "SIRE\tTEXTE(30)",
                                                     "TYPAGE_ADN\tBOOLEAN",
                                                     "ALARME\tTEXTE(15)",
                                                     "POIDS\tINTEGER100",
                                                     "DATE_PESEE\tDATE",
                                                     "ASSURANCE_NOM\tTEXTE(60)",
                                                     "ALIMENTATION_HABITUELLE\tTEXTE(60)",
                                                     "ANTECEDANTS_MEDICAUX\tMEMO",
                                                     "TRAITEMENT_EN_COURS\tMEMO",
                                                     "NOTES\tMEMO",
                                                     "DATE_CREATION\tDATE"};
    return columns;
}

const std::vector<std::string> &ColonnesConsultations() {
    static const std::vector<std::string> columns = {"ID_ANIMAL\tTEXTE(255)", "ID_CLIENT\tTEXTE(255)",
                                                     "DATE_CONSULTATION\tDATE", "CONSULTATION\tMEMO"};
    return columns;
}

void WriteTestFile(const std::vector<std::string> &definitions, const std::string &path) {
    const auto columns = TypedColumns(definitions);
    ValueGenerator generator;
    std::string content;
    const auto addLine = [&content](const std::vector<std::string> &values) {
        for (std::size_t k = 0; k < values.size(); ++k) {
            if (k > 0)
                content += '\t';
            content += values[k];
        }
        content += "\r\n";
    };
    try {
        std::vector<std::string> values;
        for (const auto &column : columns)
            values.push_back(column.name);
        addLine(values);
        for (int line = 1; line <= 10; ++line) {
            values.clear();
            for (const auto &column : columns)
                values.push_back(generator.Value(column, line));
            addLine(values);
        }
    } catch (...) {
        WriteWholeFile(path, content);
        throw;
    }
    WriteWholeFile(path, content);
}

void GenerateTestFiles(const std::string &folder) {
    const std::string prefix = AddTrailingBackslash(folder);
    WriteTestFile(ColonnesClients(), prefix + "CLIENTS.TXT");
    WriteTestFile(ColonnesAnimaux(), prefix + "ANIMAUX.TXT");
    WriteTestFile(ColonnesConsultations(), prefix + "CONSULTATIONS.TXT");
}

} // namespace clinova
