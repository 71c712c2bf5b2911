// The sample practice of examples/practice, imported as scripts/demo.sh imports it: into a new database with
// the sample catalogue, with examples/users.txt and both duplicate checks. The expected numbers are the
// deliberate content of the sample; each is explained where it is given.
#include "run/ImportRun.h"
#include "run/MigrationReport.h"
#include "run/PreflightCheck.h"
#include "app/RunState.h"
#include "app/RunSummary.h"
#include "run/SourceFolder.h"
#include "import/catalogue/SampleCatalogue.h"
#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"
#include "support/ScriptedOperator.h"
#include "support/TestDatabase.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <QXmlStreamReader>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>

using namespace clinova;

namespace {

const std::string kSample = CLINOVA_SOURCE_DIR "/examples/practice";

// The folder is copied first: nothing is ever written into the repository.
std::string CopySample(const test::TempDir &dir) {
    const auto folder = dir.path() / "practice";
    std::filesystem::copy(kSample, folder);
    return folder.string();
}

// One import of the sample, shared by the tests of this file.
struct SampleImport {
    test::TestDatabase tdb;
    test::ScriptedOperator op;
    RunState state{op};
    std::string folder;
    RunOutcome outcome = RunOutcome::Failed;

    SampleImport() {
        folder = CopySample(tdb.Dir());
        TargetDatabase db;
        db.Open(tdb.Path());
        AddSampleCatalogue(db);
        db.Close();
        state.options.edPathNameDatabase = tdb.Path();
        state.options.MemoCorrespondancesUtilisateurs =
            FromUtf8(ReadWholeFile(CLINOVA_SOURCE_DIR "/examples/users.txt"));
        state.options.cbDedoublonageClients = true;
        state.options.cbDedoublonageAnimaux = true;
        ScanSourceFolder(state, folder);
        outcome = btnImportationClick(state);
    }

    int Rows(const std::string &tableAndCondition) const {
        return std::stoi(tdb.Scalar("select count(*) from " + tableAndCondition));
    }
    const StepSummary *Summary(const std::string &fileName) const {
        for (const auto &s : state.summaries)
            if (s.fileName == fileName)
                return &s;
        return nullptr;
    }
};

// The data lines of the sample that fail at import, by file and line number (line 1 follows the header).
const std::map<std::string, std::set<int>> kFailedLines = {
    {"CLIENTS.TXT", {5, 25}},     // C0005 created on 31/02/2020; C0025's REMISE_ACTES is "abc"
    {"ANIMAUX.TXT", {56}},        // A0056 born on 31/04/2019
    {"POIDS.TXT", {34}},          // A0035 weighed on 29/02/2022
    {"CONSULTATIONS.TXT", {101}}, // a consultation of A0015 on 30/02/2021
    {"NOTES.TXT", {11}},          // "Date impossible", 29/02/2023
    {"EVENEMENTS.TXT", {66}},     // EV0066 on 31/02/2023
    {"RELANCES.TXT", {63}},       // the reminder of EV0066 on 30/02/2024
    {"RENDEZ_VOUS.TXT", {6}},     // an appointment at 24:00
};

// The report read back as XML: what its tables hold, and its headings, list items and paragraphs in order.
struct ReadReport {
    std::map<std::string, std::vector<std::vector<std::string>>> tables; // by class: rows of cell texts
    std::vector<std::pair<std::string, std::string>> blocks;            // h2, h3, li, p: element and text
    std::vector<std::string> external;                                  // what the page would load from elsewhere
    std::string error;

    explicit ReadReport(const std::string &path) {
        QXmlStreamReader xml(QByteArray::fromStdString(ReadWholeFile(path)));
        std::string table;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const std::string name = xml.name().toString().toStdString();
            for (const auto &attribute : xml.attributes()) {
                const QString value = attribute.value().toString();
                if ((attribute.name() == u"src" || attribute.name() == u"href") && value.contains(u':'))
                    external.push_back(value.toStdString());
            }
            if (name == "script" || name == "link" || name == "img" || name == "iframe")
                external.push_back(name);
            if (name == "table") {
                table = xml.attributes().value("class").toString().toStdString();
            } else if (name == "tr") {
                tables[table].emplace_back();
            } else if (name == "td" || name == "th") {
                tables[table].back().push_back(
                    xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified().toStdString());
            } else if (name == "h2" || name == "h3" || name == "li" || name == "p") {
                blocks.emplace_back(name,
                                    xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified().toStdString());
            }
        }
        if (xml.hasError())
            error = xml.errorString().toStdString() + " at line " + std::to_string(xml.lineNumber());
    }
    // The row of that class whose first cell is name.
    const std::vector<std::string> *Row(const std::string &cls, const std::string &name) const {
        const auto found = tables.find(cls);
        if (found == tables.end())
            return nullptr;
        for (const auto &row : found->second)
            if (!row.empty() && row[0] == name)
                return &row;
        return nullptr;
    }
};

// "12 345" as the report writes it, back to a number.
long long ReportNumber(const std::string &text) {
    std::string digits;
    for (const char c : text)
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '-')
            digits += c;
    return digits.empty() ? -1 : std::stoll(digits);
}

class SamplePractice : public ::testing::Test {
protected:
    static void SetUpTestSuite() { run_ = std::make_unique<SampleImport>(); }
    static void TearDownTestSuite() { run_.reset(); }
    static std::unique_ptr<SampleImport> run_;
};
std::unique_ptr<SampleImport> SamplePractice::run_;

} // namespace

TEST_F(SamplePractice, ImportsTheExpectedRowsPerTableAndTheSummaryAgreesWithThem) {
    ASSERT_EQ(run_->outcome, RunOutcome::CompletedWithFailures);

    struct Expected {
        const char *file;
        int read, imported, matched, skipped, failed;
        const char *rows;   // the rows that count what the file imported
        int rowsBeforeStep; // rows of that count written by an earlier step
    };
    const Expected expected[] = {
        // Five contacts, one without an identifier: all imported.
        {"CONTACTS.TXT", 5, 5, 0, 0, 0, "CONTACT", 0},
        // 40 clients: two fail (see kFailedLines) and C0039 "Dupont jean" at the same address and mobile is
        // C0001 again.
        {"CLIENTS.TXT", 40, 37, 1, 0, 2, "CLIENTS", 0},
        // 59 animals: A0056 fails; A0059 belongs to the unknown C0999, A0005 and A0044 to C0005 and A0025 to
        // C0025, whose lines failed.
        {"ANIMAUX.TXT", 59, 54, 0, 4, 1, "ANIMAUX", 0},
        // 35 weighings: 29/02/2022 fails; left aside are the 0 g of A0002, A0059 (not imported) and the three
        // of A0044 (owner not imported). The six first weights of ANIMAUX.TXT (A0001, A0002, A0008, A0026,
        // A0046, A0049; A0030's "x" is no weight) are rows too.
        {"POIDS.TXT", 35, 29, 0, 5, 1, "POIDS", 6},
        // One postcode without a town.
        {"VILLES.TXT", 16, 15, 0, 1, 0, "VILLES", 0},
        // 200 consultations: 30/02/2021 fails; the 21 of the five animals not imported (A0005 7, A0025 1,
        // A0044 6, A0056 6, A0059 1) are left aside.
        {"CONSULTATIONS.TXT", 200, 178, 0, 21, 1, "CONSULT", 0},
        // Left aside: A0012's blank text, A0013's missing date, the unknown A0999, A0005 and A0044.
        {"NOTES.TXT", 11, 5, 0, 5, 1, "NOTES_DOSSIER", 0},
        // Left aside: the three events of A0005 and the one of A0044, EV0064 (A0001 is not C0002's) and
        // EV0065 (C0999). EV0061 without a date and EV0062's "NC" days are imported.
        {"EVENEMENTS.TXT", 66, 59, 0, 6, 1, "EVENTS", 0},
        // Left aside: the three reminders of A0005 and the one of A0044. EV9999's reminder is imported unlinked.
        {"RELANCES.TXT", 63, 58, 0, 4, 1, "RELANCES", 0},
        // Category 60 is outside 1..50, and so is the act of category 99.
        {"CATEGORIES_ACTES.TXT", 5, 4, 0, 1, 0, "TARIFSACTES_CAT", 0},
        {"TARIFS_ACTES.TXT", 9, 8, 0, 1, 0, "TARIFSACTES", 0},
        // Four products of the catalogue counted; MEDIVET is no wholesaler of the site, CV1001L has no
        // article of its own, METHODE "=" is neither "0" nor "+".
        {"INVENTAIRE.TXT", 7, 4, 0, 3, 0, "TARIFSPRODUITS where SUIVI_STOCK = 1", 0},
        {"RENDEZ_VOUS.TXT", 8, 7, 0, 0, 1, "RDV", 0},
        // AL-12012 has no GTIN, MEDIVET is not in CENTRALES.
        {"POSOLOGIES.TXT", 5, 3, 0, 2, 0, "POSOS", 0},
    };
    ASSERT_EQ(run_->state.summaries.size(), std::size(expected));
    for (const Expected &e : expected) {
        SCOPED_TRACE(e.file);
        const StepSummary *s = run_->Summary(e.file);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->read, e.read);
        EXPECT_EQ(s->imported, e.imported);
        EXPECT_EQ(s->matched, e.matched);
        EXPECT_EQ(s->skipped, e.skipped);
        EXPECT_EQ(s->failed, e.failed);
        EXPECT_EQ(s->read, s->imported + s->matched + s->skipped + s->failed);
        EXPECT_EQ(run_->Rows(e.rows), s->imported + e.rowsBeforeStep);
        // Its row of the summary, aligned under the columns' names, a decimal comma.
        const std::string row = fmt::format("{} +{} +{} +{} +{} +{} +[0-9]+,[0-9] s", e.file, s->read, s->imported,
                                            s->matched, s->skipped, s->failed);
        EXPECT_EQ(std::count_if(run_->op.log.begin(), run_->op.log.end(),
                                [&](const std::string &logged) { return std::regex_match(logged, std::regex(row)); }),
                  1)
            << row;
    }

    // The rows the steps write besides their main table.
    EXPECT_EQ(run_->Rows("FIDELITE01"), 11); // cards of C0004 (3 purchases), C0011 (1), C0026 (5), C0040 (2);
                                             // C0021's takings are 0
    EXPECT_EQ(run_->Rows("PASSEPORTS"), 4);  // A0001, A0006, A0032, A0046; A0011's has no date
    EXPECT_EQ(run_->Rows("LINK_POSOLOGIES"), 3);
    EXPECT_EQ(run_->Rows("CONTACT_CAT"), 3);    // "Vétos référents", "Laboratoires", "Partenaires"
    EXPECT_EQ(run_->Rows("CONTACT_OF_CAT"), 5); // one per contact
    // One model per category and label of the events and reminders imported (12 pairs).
    EXPECT_EQ(run_->Rows("RELANCES_CONFIG"), 12);
    EXPECT_EQ(run_->Rows("RELANCES_CONFIG"),
              std::stoi(run_->tdb.Scalar("select count(*) from (select LIBELLE_CATEGORIE, LIBELLE_EVENT from EVENTS "
                                         "union select LIBELLE_CATEGORIE, LIBELLE_EVENT from RELANCES)")));
    // The duplicate client is reported, and the client it matched received its animal: DUPONT has A0001,
    // A0037 and C0039's A0052.
    const auto duplicates = SplitLines(ReadWholeFile(run_->folder + "/DOUBLONS_CLIENTS.TXT")).lines;
    ASSERT_EQ(duplicates.size(), 2u);
    EXPECT_EQ(duplicates[1].rfind("C0039\t", 0), 0u);
    EXPECT_EQ(run_->Rows("ANIMAUX a join CLIENTS c on c.ID = a.IDCLIENT where c.NOM = 'DUPONT'"), 3);
}

TEST_F(SamplePractice, RejectsFilesHoldExactlyTheFailedLinesAsReadWithTheirReasons) {
    std::set<std::string> rejectFiles;
    for (const auto &entry : std::filesystem::directory_iterator(run_->folder))
        if (entry.path().filename().string().rfind("REJETS_", 0) == 0)
            rejectFiles.insert(entry.path().filename().string());
    std::set<std::string> expectedFiles;
    for (const auto &[file, lines] : kFailedLines)
        expectedFiles.insert("REJETS_" + file);
    EXPECT_EQ(rejectFiles, expectedFiles);

    std::map<std::string, std::string> reasons; // "CLIENTS.TXT/5": the reason of its reject
    for (const auto &[file, numbers] : kFailedLines) {
        SCOPED_TRACE(file);
        const auto original = SplitLines(ReadWholeFile(kSample + "/" + file)).lines;
        const auto rejects = SplitLines(ReadWholeFile(run_->folder + "/REJETS_" + file)).lines;
        ASSERT_EQ(rejects.size(), numbers.size() + 1);
        EXPECT_EQ(rejects[0], original[0] + "\tMOTIF_DU_REJET") << "the header, so that the file can be imported again";
        const auto width = static_cast<std::size_t>(std::count(original[0].begin(), original[0].end(), '\t')) + 1;
        std::size_t k = 1;
        for (const int number : numbers) {
            const std::string &rejected = rejects[k++];
            const std::string &asRead = original[static_cast<std::size_t>(number)];
            // The line as read, padded to the header's width: the reason stands in the column named for it.
            ASSERT_EQ(rejected.rfind(asRead + "\t", 0), 0u) << rejected;
            const auto tabs = static_cast<std::size_t>(std::count(rejected.begin(), rejected.end(), '\t'));
            ASSERT_EQ(tabs, width) << rejected;
            const std::string reason = ToUtf8(rejected.substr(rejected.rfind('\t') + 1));
            EXPECT_FALSE(reason.empty());
            // A value that did not convert is named by its column, as the check names it; the log line says the
            // line and the message as the step gave it.
            std::string message = reason;
            const auto colon = reason.find(" : '");
            if (colon != std::string::npos && ("\t" + original[0] + "\t").find("\t" + reason.substr(0, colon) + "\t") !=
                                                   std::string::npos)
                message = reason.substr(colon + 3);
            const std::string logged = file + "/ligne " + std::to_string(number) + "/" + message;
            EXPECT_NE(std::find(run_->op.log.begin(), run_->op.log.end(), logged), run_->op.log.end()) << logged;
            reasons[file + "/" + std::to_string(number)] = reason;
        }
        EXPECT_EQ(run_->Summary(file)->failed, static_cast<int>(numbers.size()));
    }
    EXPECT_EQ(reasons["CLIENTS.TXT/5"], "DATE_CREATION : '31/02/2020' n'est pas une date correcte");
    EXPECT_EQ(reasons["CLIENTS.TXT/25"], "REMISE_ACTES : 'abc' n'est pas une valeur entière correcte");
    EXPECT_NE(std::find(run_->op.log.begin(), run_->op.log.end(),
                        "CLIENTS.TXT/ligne 5/'31/02/2020' n'est pas une date correcte"),
              run_->op.log.end());
}

TEST_F(SamplePractice, IgnoredFilesHoldEveryLineLeftAsideInOrderWithItsReason) {
    std::set<std::string> written;
    for (const auto &path : run_->state.writtenFiles)
        written.insert(std::filesystem::path(path).filename().string());
    // Some reasons, word for word: a client, an animal, an owner, a setting-free rule of each kind.
    std::map<std::string, std::set<std::string>> someReasons = {
        {"ANIMAUX.TXT", {"client C0999 non importé", "client C0005 non importé"}},
        {"POIDS.TXT", {"POIDS_GR '0' : pas de poids", "animal A0059 non importé"}},
        {"VILLES.TXT", {"VILLE vide"}},
        {"CONSULTATIONS.TXT", {"animal A0005 non importé", "animal A0056 non importé"}},
        {"NOTES.TXT", {"DATE vide : note sans date", "NOTES vide : note sans texte", "animal A0999 non importé"}},
        {"EVENEMENTS.TXT", {"animal A0001 d'un autre client que C0002", "client C0999 non importé"}},
        {"INVENTAIRE.TXT", {"Nom de la centrale inconnu : MEDIVET"}},
    };
    int total = 0;
    for (const StepSummary &s : run_->state.summaries) {
        SCOPED_TRACE(s.fileName);
        const std::string name = "IGNOREES_" + s.fileName;
        const std::string path = run_->folder + "/" + name;
        if (s.skipped == 0) {
            EXPECT_FALSE(std::filesystem::exists(path));
            EXPECT_EQ(written.count(name), 0u);
            continue;
        }
        total += s.skipped;
        EXPECT_EQ(written.count(name), 1u) << "listed among the files the run wrote";
        const auto original = SplitLines(ReadWholeFile(kSample + "/" + s.fileName)).lines;
        const auto ignored = SplitLines(ReadWholeFile(path)).lines;
        ASSERT_EQ(ignored.size(), static_cast<std::size_t>(s.skipped) + 1) << "the summary counts its lines";
        EXPECT_EQ(ignored[0], original[0] + "\tMOTIF_IGNOREE");
        std::size_t after = 0; // the lines stand in the order of the source
        std::set<std::string> reasons;
        for (std::size_t k = 1; k < ignored.size(); ++k) {
            const std::string &line = ignored[k];
            const std::string reason = ToUtf8(line.substr(line.rfind('\t') + 1));
            EXPECT_FALSE(reason.empty()) << line;
            reasons.insert(reason);
            const auto asRead = std::find_if(original.begin() + static_cast<std::ptrdiff_t>(after) + 1, original.end(),
                                             [&](const std::string &o) { return line.rfind(o + "\t", 0) == 0; });
            ASSERT_NE(asRead, original.end()) << "not a line of the source, or out of order: " << line;
            after = static_cast<std::size_t>(asRead - original.begin());
        }
        for (const auto &reason : someReasons[s.fileName])
            EXPECT_EQ(reasons.count(reason), 1u) << reason;
        someReasons.erase(s.fileName);
    }
    EXPECT_EQ(total, 53);
    EXPECT_TRUE(someReasons.empty());
}

TEST_F(SamplePractice, ReportSaysWhatTheSummaryAndTheDatabaseSayAndEveryLineNotImported) {
    const ReadReport report(run_->folder + "/" + ReportFileName());
    ASSERT_EQ(report.error, "");
    EXPECT_EQ(report.external, std::vector<std::string>{}) << "the page loads nothing from elsewhere";
    EXPECT_NE(std::find(run_->state.writtenFiles.begin(), run_->state.writtenFiles.end(),
                        run_->state.PathSources + ReportFileName()),
              run_->state.writtenFiles.end());

    // Per file, the summary's numbers in the summary's columns.
    const auto columns = ShownSummaryColumns(run_->state.summaries);
    for (const StepSummary &s : run_->state.summaries) {
        const auto *row = report.Row("files", ToUtf8(s.fileName));
        ASSERT_NE(row, nullptr) << s.fileName;
        for (std::size_t c = 0; c < columns.size(); ++c)
            EXPECT_EQ(ReportNumber(row->at(c + 2)), s.*(columns[c].count)) << s.fileName << " " << columns[c].plural;
    }
    // Per table, the rows the database holds now; the new database held no client before.
    const auto &tables = report.tables.at("tables");
    EXPECT_GT(tables.size(), 20u);
    for (const auto &row : tables) {
        if (row[0] == "Table")
            continue;
        EXPECT_EQ(ReportNumber(row[2]), run_->Rows("\"" + row[0] + "\"")) << row[0];
    }
    EXPECT_EQ(ReportNumber(report.Row("tables", "CLIENTS")->at(1)), 0);

    // Every failed line under its file's heading in "Lignes en échec", every line left aside counted under
    // "Lignes laissées de côté", each by the numbers of its group.
    std::map<std::string, std::set<int>> failed;
    std::map<std::string, int> skipped;
    std::string section, file;
    for (const auto &[element, text] : report.blocks) {
        if (element == "h2")
            section = text;
        if (element == "h3")
            file = text.substr(0, text.find(' '));
        std::smatch m;
        if (section == "Lignes en échec" && element == "li" && std::regex_match(text, m, std::regex(R"(ligne (\d+) : .+)")))
            failed[file].insert(std::stoi(m[1]));
        if (section == "Lignes laissées de côté" && element == "p" && std::regex_match(text, m, std::regex(R"((\d+) × .+)")))
            skipped[file] += std::stoi(m[1]);
    }
    EXPECT_EQ(failed, kFailedLines);
    for (const StepSummary &s : run_->state.summaries)
        EXPECT_EQ(skipped[ToUtf8(s.fileName)], s.skipped) << s.fileName;
}

TEST_F(SamplePractice, PreflightCheckFindsEveryDeliberatelyBadLineAndNothingElse) {
    test::TempDir dir;
    test::ScriptedOperator op;
    RunState state(op);
    ScanSourceFolder(state, CopySample(dir));
    const PreflightResult result = CheckSourceFolder(op, state.PathSources, state.options);

    const std::vector<std::string> problems(op.log.begin(),
                                            std::find(op.log.begin(), op.log.end(), "Résumé de la vérification :"));
    EXPECT_EQ(problems,
              (std::vector<std::string>{
                  // The lines that fail at import (kFailedLines)...
                  "CLIENTS.TXT/ligne 5/DATE_CREATION : '31/02/2020' n'est pas une date correcte",
                  "CLIENTS.TXT/ligne 25/REMISE_ACTES : 'abc' n'est pas une valeur entière correcte",
                  // ...and the references the folder cannot resolve: C0028 was referred by a contact CT99 that
                  // is not in CONTACTS.TXT,
                  "CLIENTS.TXT/ligne 28/ID_REFERE_PAR : 'CT99' n'est dans la colonne ID_CONTACT d'aucune ligne de "
                  "CONTACTS.TXT",
                  // a weight the step reads as none, without a word,
                  "ANIMAUX.TXT/ligne 30/POIDS : 'x' n'est pas un nombre entier : l'animal sera importé sans poids",
                  "ANIMAUX.TXT/ligne 56/DATE_NAISSANCE : '31/04/2019' n'est pas une date correcte",
                  // the animal of an unknown client,
                  "ANIMAUX.TXT/ligne 59/ID_CLIENT : 'C0999' n'est dans la colonne ID_CLIENT d'aucune ligne de "
                  "CLIENTS.TXT",
                  "POIDS.TXT/ligne 34/DATE : '29/02/2022' n'est pas une date correcte",
                  "CONSULTATIONS.TXT/ligne 101/DATE_CONSULTATION : '30/02/2021' n'est pas une date correcte",
                  // the note of an unknown animal,
                  "NOTES.TXT/ligne 10/ID_ANIMAL : 'A0999' n'est dans la colonne ID_ANIMAL d'aucune ligne de "
                  "ANIMAUX.TXT",
                  "NOTES.TXT/ligne 11/DATE : '29/02/2023' n'est pas une date correcte",
                  // an event of A0001 filed under another client, an event of the unknown client,
                  "EVENEMENTS.TXT/ligne 64/ID_CLIENT : dans ANIMAUX.TXT, ID_ANIMAL 'A0001' a ID_CLIENT 'C0001', pas "
                  "'C0002'",
                  "EVENEMENTS.TXT/ligne 65/ID_CLIENT : 'C0999' n'est dans la colonne ID_CLIENT d'aucune ligne de "
                  "CLIENTS.TXT",
                  "EVENEMENTS.TXT/ligne 66/DATE_EVENEMENT : '31/02/2023' n'est pas une date correcte",
                  // the reminder of an event that does not exist,
                  "RELANCES.TXT/ligne 62/ID_EVENEMENT : 'EV9999' n'est dans la colonne ID_EVENEMENT d'aucune ligne de "
                  "EVENEMENTS.TXT",
                  "RELANCES.TXT/ligne 63/DATE_RELANCE : '30/02/2024' n'est pas une date correcte",
                  // and the act of a category that does not exist.
                  "TARIFS_ACTES.TXT/ligne 9/ID_CATEGORIE : '99' n'est dans la colonne ID_CATEGORIE d'aucune ligne de "
                  "CATEGORIES_ACTES.TXT",
                  "RENDEZ_VOUS.TXT/ligne 6/HEURE : '24' n'est pas compris entre 0 et 23",
              }));

    // Every line the check says would not convert is a line the run failed, and the reverse; a weight read as
    // none does not fail its line.
    std::map<std::string, std::set<int>> notConverting;
    for (const auto &line : problems) {
        const auto slash = line.find("/ligne ");
        if (line.find(" n'est pas ") != std::string::npos && line.find("colonne") == std::string::npos &&
            line.find(" n'est pas un nombre entier : ") == std::string::npos)
            notConverting[line.substr(0, slash)].insert(std::stoi(line.substr(slash + 7)));
    }
    EXPECT_EQ(notConverting, kFailedLines);

    // Fifteen files read (the fourteen and POSOLOGIES_ORIGINES.TXT), every line of them counted.
    ASSERT_EQ(result.files.size(), 15u);
    int lines = 0;
    for (const auto &count : result.files) {
        EXPECT_EQ(count.fileProblems, 0) << count.fileName;
        if (const StepSummary *s = run_->Summary(count.fileName)) {
            EXPECT_EQ(count.read, s->read) << count.fileName;
        }
        lines += count.withProblems;
    }
    EXPECT_EQ(lines, 17);
    EXPECT_EQ(op.log.back(), "17 ligne(s) à corriger, 0 problème(s) de fichier");
}
