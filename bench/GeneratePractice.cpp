// Writes a synthetic practice in the normalized format: deterministic (fixed seed), Windows-1252,
// multi-line accented texts, sizes by scale.
//   clinova-bench-generate --scale small|medium|large --output DIR
// Or a larger practice made of a real folder:
//   clinova-bench-generate --copies N --from DIR --output DIR
// writes each file of the folder with its data lines N times over, the identifiers of the clients, animals,
// events and contacts made distinct in each copy (the users, categories and fee codes stay shared).

#include "normalized/Conversions.h"
#include "normalized/NormalizedFile.h"
#include "normalized/TCut.h"
#include "normalized/Win1252.h"

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace {

using clinova::FromUtf8;

struct Sizes {
    int clients, animals, consultations, events, reminders, weights, appointments, contacts, notes;
};

Sizes SizesOf(const std::string &scale) {
    const Sizes medium{8000, 12000, 150000, 60000, 60000, 40000, 20000, 2000, 5000};
    if (scale == "small")
        return {800, 1200, 15000, 6000, 6000, 4000, 2000, 200, 500};
    if (scale == "large")
        return {medium.clients * 5, medium.animals * 5, medium.consultations * 5, medium.events * 5,
                medium.reminders * 5, medium.weights * 5, medium.appointments * 5, medium.contacts * 5,
                medium.notes * 5};
    return medium;
}

class Writer {
public:
    Writer(const std::filesystem::path &path, const std::vector<std::string> &columns) : out_(path, std::ios::binary) {
        Line(columns);
    }
    void Line(const std::vector<std::string> &fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i)
                out_ << '\t';
            out_ << fields[i];
        }
        out_ << "\r\n";
    }

private:
    std::ofstream out_;
};

class Practice {
public:
    explicit Practice(unsigned seed) : rng_(seed) {}

    template <std::size_t N> const std::string &Pick(const std::array<std::string, N> &items) {
        return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng_)];
    }
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    std::string Date(int fromYear, int toYear) {
        return fmt::format("{:02}/{:02}/{}", Int(1, 28), Int(1, 12), Int(fromYear, toYear));
    }
    std::string Phone() { return fmt::format("0{}.{:02}.{:02}.{:02}.{:02}", Int(1, 7), Int(0, 99), Int(0, 99), Int(0, 99), Int(0, 99)); }
    // A consultation text of several lines separated by vertical tabs.
    std::string Text(int lines) {
        std::string text;
        for (int i = 0; i < lines; ++i) {
            if (i)
                text += '\v';
            text += Pick(kSentences);
        }
        return text;
    }

    const std::array<std::string, 12> kNames = Words({"DUPONT", "MARTIN", "LEFÈVRE", "GARNIER", "FAURE", "MOREAU",
                                                      "ROUSSEAU", "BÉRANGER", "CHÂTEAU", "LAURENT", "MÉNARD",
                                                      "GIRAUD"});
    const std::array<std::string, 10> kFirst =
        Words({"Jean", "Hélène", "François", "Zoé", "Loïc", "Anaïs", "Jérôme", "Cécile", "Noël", "Agnès"});
    const std::array<std::string, 8> kTowns = Words(
        {"La Rochelle", "Rochefort", "Saintes", "Royan", "Niort", "Châtellerault", "Périgueux", "Angoulême"});
    const std::array<std::string, 10> kPets =
        Words({"Rex", "Félix", "Câline", "Noisette", "Éclair", "Pépette", "Hermès", "Gribouille", "Réglisse", "Tigrou"});
    const std::array<std::string, 4> kSpecies = Words({"CHIEN", "CHAT", "LAPIN", "CHEVAL"});
    const std::array<std::string, 8> kSentences =
        Words({"Examen clinique général : RAS.", "Température 38,5 °C, muqueuses roses.",
               "Vaccination CHPPiL + rage effectuée.", "Otite externe droite, nettoyage et traitement local.",
               "Détartrage sous anesthésie prévu le mois prochain.", "Poids stable, régime à poursuivre.",
               "Prurit dorsal : antiparasitaire externe prescrit.", "Contrôle dans 15 jours   si besoin."});
    const std::array<std::string, 4> kCategories = Words({"VACCIN", "VERMIFUGE", "ANTIPARASITAIRE", "CONTRÔLE"});
    const std::array<std::string, 4> kLabels = Words({"Rage", "CHPPiL", "Typhus-Coryza", "Bilan annuel"});

private:
    template <std::size_t N> static std::array<std::string, N> Words(const char *const (&utf8)[N]) {
        std::array<std::string, N> out;
        for (std::size_t i = 0; i < N; ++i)
            out[i] = FromUtf8(utf8[i]);
        return out;
    }

    std::mt19937 rng_;
};

// The columns that name a record of the practice itself, and the references to them.
bool NamesRecord(const std::string &column) {
    static const std::array<std::string, 5> kColumns = {"ID_CLIENT", "ID_ANIMAL", "ID_EVENEMENT", "ID_CONTACT",
                                                        "ID_REFERE_PAR"};
    return std::find(kColumns.begin(), kColumns.end(), column) != kColumns.end();
}

// Each file of the folder, header once, then its data lines once per copy; in copy k > 0 every identifier
// that is not empty gets "-k", so that the copies are records of their own, linked as the original's are.
void WriteCopies(const std::filesystem::path &from, const std::filesystem::path &to, int copies) {
    std::filesystem::create_directories(to);
    for (const auto &entry : std::filesystem::directory_iterator(from)) {
        if (!entry.is_regular_file())
            continue;
        const clinova::TextLines file = clinova::ReadLines(entry.path().string());
        if (file.lines.empty())
            continue;
        clinova::TCut cut;
        cut.Separator = "\t";
        cut.Line = file.lines[0];
        cut.PrepareFromLine();
        cut.Cut();
        const std::vector<std::string> header = cut.Fields;
        Writer w(to / entry.path().filename(), header);
        for (int k = 0; k < copies; ++k)
            for (std::size_t i = 1; i < file.lines.size(); ++i) {
                cut.Line = file.lines[i];
                cut.PrepareFromLine();
                cut.Cut();
                for (std::size_t c = 0; k > 0 && c < cut.Fields.size() && c < header.size(); ++c)
                    if (NamesRecord(header[c]) && !cut.Fields[c].empty())
                        cut.Fields[c] += fmt::format("-{}", k);
                w.Line(cut.Fields);
            }
    }
}

} // namespace

int main(int argc, char **argv) {
    CLI::App app{"Synthetic practice for the import benchmark", "clinova-bench-generate"};
    std::string scale = "small", output, from;
    int copies = 0;
    app.add_option("--scale", scale)->check(CLI::IsMember({"small", "medium", "large"}));
    app.add_option("--output", output)->required();
    auto *fromOption = app.add_option("--from", from, "a practice folder to copy instead of a synthetic practice")
                           ->check(CLI::ExistingDirectory);
    app.add_option("--copies", copies, "how many copies of --from")->needs(fromOption)->check(CLI::PositiveNumber);
    fromOption->needs("--copies");
    CLI11_PARSE(app, argc, argv);
    if (!from.empty()) {
        WriteCopies(from, output, copies);
        std::cout << fmt::format("{} copies of {} written to {}\n", copies, from, output);
        return 0;
    }

    const Sizes n = SizesOf(scale);
    const std::filesystem::path dir(output);
    std::filesystem::create_directories(dir);
    Practice p(20261209);

    {
        Writer w(dir / "CLIENTS.TXT", {"ID_CLIENT", "TITRE", "NOM", "PRENOM", "RUE11", "RUE12", "CP1", "VILLE1",
                                       "TELFAXNUM11", "TELFAXNUM12", "EMAIL_PERSO", "DATE_CREATION", "NOTES"});
        for (int i = 1; i <= n.clients; ++i)
            w.Line({fmt::format("C{}", i), i % 3 ? "M." : "Mme", p.Pick(p.kNames), p.Pick(p.kFirst),
                    fmt::format("{} rue des Écoles", p.Int(1, 120)), i % 4 ? "" : FromUtf8("Bâtiment B"),
                    fmt::format("17{:03}", p.Int(0, 999)), p.Pick(p.kTowns), p.Phone(), i % 2 ? p.Phone() : "",
                    fmt::format("client{}@exemple.fr", i), p.Date(1995, 2024), p.Text(p.Int(0, 2))});
    }
    {
        Writer w(dir / "ANIMAUX.TXT", {"ID_ANIMAL", "ID_CLIENT", "DCD", "NOM", "ESPECE", "SEXE", "DATE_NAISSANCE",
                                       "POIDS", "DATE_PESEE", "PUCE_NUMERO", "NOTES"});
        for (int i = 1; i <= n.animals; ++i)
            w.Line({fmt::format("A{}", i), fmt::format("C{}", (i - 1) % n.clients + 1), i % 40 ? "0" : "1",
                    p.Pick(p.kPets),
                    p.Pick(p.kSpecies), i % 2 ? "M" : "F", p.Date(2005, 2024), std::to_string(p.Int(200, 4500)),
                    p.Date(2020, 2024), i % 3 ? fmt::format("250269{:09}", i) : "", p.Text(p.Int(0, 1))});
    }
    {
        Writer w(dir / "CONSULTATIONS.TXT", {"ID_ANIMAL", "ID_CLIENT", "DATE_CONSULTATION", "CONSULTATION", "MOTIF"});
        for (int i = 1; i <= n.consultations; ++i) {
            const int a = (i - 1) % n.animals + 1;
            w.Line({fmt::format("A{}", a), fmt::format("C{}", (a - 1) % n.clients + 1), p.Date(2010, 2024),
                    p.Text(p.Int(2, 6)), i % 5 ? "Consultation" : "Vaccination"});
        }
    }
    {
        Writer w(dir / "EVENEMENTS.TXT", {"ID_EVENEMENT", "ID_ANIMAL", "ID_CLIENT", "LIBELLE_CATEGORIE",
                                          "LIBELLE_EVENEMENT", "DATE_EVENEMENT", "RELANCE_PREVU_DANS_JOURS"});
        for (int i = 1; i <= n.events; ++i) {
            const int a = (i - 1) % n.animals + 1;
            w.Line({fmt::format("E{}", i), fmt::format("A{}", a), fmt::format("C{}", (a - 1) % n.clients + 1),
                    p.Pick(p.kCategories), p.Pick(p.kLabels), p.Date(2015, 2024), "365"});
        }
    }
    {
        Writer w(dir / "RELANCES.TXT", {"ID_ANIMAL", "ID_CLIENT", "ID_EVENEMENT", "LIBELLE_CATEGORIE",
                                        "LIBELLE_EVENEMENT", "DATE_RELANCE", "ACTION"});
        for (int i = 1; i <= n.reminders; ++i) {
            const int e = (i - 1) % n.events + 1;
            const int a = (e - 1) % n.animals + 1;
            w.Line({fmt::format("A{}", a), fmt::format("C{}", (a - 1) % n.clients + 1), fmt::format("E{}", e),
                    p.Pick(p.kCategories), p.Pick(p.kLabels), p.Date(2016, 2025), i % 2 ? "1" : "0"});
        }
    }
    {
        Writer w(dir / "POIDS.TXT", {"ID_ANIMAL", "DATE", "POIDS_GR"});
        for (int i = 1; i <= n.weights; ++i)
            w.Line({fmt::format("A{}", (i - 1) % n.animals + 1), p.Date(2015, 2024), std::to_string(p.Int(200, 45000))});
    }
    {
        Writer w(dir / "RENDEZ_VOUS.TXT", {"ID_USER", "DATE", "HEURE", "MINUTE", "MOTIF", "DUREE_EN_MINUTES",
                                           "ID_CLIENT", "ID_ANIMAL", "NOM_CLIENT", "NOM_ANIMAL", "TEL"});
        for (int i = 1; i <= n.appointments; ++i) {
            const int a = (i - 1) % n.animals + 1;
            w.Line({"DR1", p.Date(2023, 2025), std::to_string(p.Int(8, 18)), std::to_string(p.Int(0, 3) * 15),
                    "Consultation", "20", fmt::format("C{}", (a - 1) % n.clients + 1), fmt::format("A{}", a),
                    p.Pick(p.kNames), p.Pick(p.kPets), p.Phone()});
        }
    }
    {
        Writer w(dir / "CONTACTS.TXT", {"ID_CONTACT", "NOM", "PRENOM", "SOCIETE", "CP", "VILLE", "CATEGORIE"});
        for (int i = 1; i <= n.contacts; ++i)
            w.Line({fmt::format("K{}", i), p.Pick(p.kNames), p.Pick(p.kFirst), FromUtf8("Clinique vétérinaire"),
                    "17000", p.Pick(p.kTowns), i % 2 ? FromUtf8("Vétos référents") : "Laboratoires"});
    }
    {
        Writer w(dir / "NOTES.TXT", {"ID_ANIMAL", "ID_USER", "DATE", "NOTES"});
        for (int i = 1; i <= n.notes; ++i)
            w.Line({fmt::format("A{}", (i - 1) % n.animals + 1), "DR1", p.Date(2015, 2024), p.Text(p.Int(1, 3))});
    }
    std::cout << fmt::format("{} practice written to {}\n", scale, output);
    return 0;
}
