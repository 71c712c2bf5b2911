// The operator interrupts the run in every step in turn: the running step stops after its current line,
// the later steps do nothing, the lists are saved and name only rows that exist, and every row written
// before the interruption is kept.

#include "import/ImportSteps.h"
#include "faults/FaultSupport.h"

#include <gtest/gtest.h>

using namespace clinova;
using namespace clinova::test;

namespace {

// The correspondence lists and the table whose rows they name.
const std::vector<std::pair<std::string, std::string>> kLists = {
    {"Client", "CLIENTS"}, {"Animal", "ANIMAUX"}, {"Consult", "CONSULT"}, {"Event", "EVENTS"}, {"Relance", "RELANCES"}};

// The files whose every imported line is one row of one table.
const std::map<std::string, std::string> kOneRowPerLine = {
    {"CONTACTS.TXT", "CONTACT"}, {"CLIENTS.TXT", "CLIENTS"},      {"ANIMAUX.TXT", "ANIMAUX"},
    {"VILLES.TXT", "VILLES"},    {"CONSULTATIONS.TXT", "CONSULT"}, {"NOTES.TXT", "NOTES_DOSSIER"},
    {"RENDEZ_VOUS.TXT", "RDV"}};

// Each list file written names rows that exist, once per source identifier.
void ExpectListsNameCommittedRows(const std::string &folder, const std::string &database) {
    for (const auto &[kind, table] : kLists) {
        const std::string targets = folder + "__fDatabaseID" + kind + "List.txt";
        if (!std::filesystem::exists(targets))
            continue;
        const auto ids = FileLines(targets);
        EXPECT_EQ(FileLines(folder + "__fSourceID" + kind + "List.txt").size(), ids.size()) << kind;
        const auto rows = Identifiers(database, table);
        for (const auto &id : ids)
            EXPECT_EQ(rows.count(id), 1u) << table << " " << id;
    }
}

} // namespace

TEST(Interruption, InEveryStepTheRunStopsAfterTheCurrentLineAndKeepsWhatItWrote) {
    const Reference &clean = CleanImport();
    const auto &steps = ImportSteps();
    for (std::size_t k = 1; k < steps.size(); ++k) {
        const std::string name = steps[k]->name;
        SCOPED_TRACE(name);
        TempDir dir;
        const std::string database = FreshDatabase(dir);
        const std::string folder = CopyPractice(dir);
        FaultOperator op;
        RunState state(op);
        state.options.edPathNameDatabase = database;
        CarefulSettings(state.options);
        ScanSourceFolder(state, folder);

        // The third wait message of the step is the progress of its second line (or second item).
        std::string current;
        int messages = 0;
        std::string interruptedAt;
        op.onWaitMessage = [&](const std::string &message) {
            if (!op.log.empty() && op.log.back().rfind("DEBUT import ", 0) == 0 &&
                op.log.back() != "DEBUT import " + current) {
                current = op.log.back().substr(13);
                messages = 0;
            }
            if (current == name && ++messages == 3) {
                interruptedAt = message;
                op.Interrupt();
            }
        };
        const RunOutcome outcome = btnImportationClick(state);
        ASSERT_FALSE(interruptedAt.empty()) << "the step showed no progress";

        const auto fin = std::find(op.log.begin(), op.log.end(), "FIN import " + name);
        ASSERT_NE(fin, op.log.end());
        EXPECT_EQ(op.messages.back(), "\r\n\r\nFin de l'opération d'importation");
        const auto counts = TableCounts(database);
        if (name == "doImportationModelesEvenements") {
            // The event models are few and written as one piece: the step has no interruption check.
            EXPECT_EQ(outcome, RunOutcome::CompletedWithFailures);
            EXPECT_FALSE(state.StopRequested);
            EXPECT_EQ(counts, clean.counts);
            continue;
        }
        EXPECT_EQ(outcome, RunOutcome::Interrupted) << interruptedAt;
        EXPECT_TRUE(state.StopRequested);
        // Every later step does nothing: its DEBUT and FIN lines follow each other.
        for (auto line = fin + 1; line != op.log.end() && line->rfind("DEBUT import ", 0) == 0; line += 2) {
            ASSERT_NE(line + 1, op.log.end());
            EXPECT_EQ((line + 1)->rfind("FIN import ", 0), 0u) << *line << " then " << *(line + 1);
        }

        ExpectEveryReadLineAccountedFor(state.summaries);
        for (const auto &summary : state.summaries) {
            if (summary.interrupted) {
                EXPECT_LE(summary.read, 2) << summary.fileName;
            } else {
                EXPECT_EQ(summary.read, clean.summaries.at(summary.fileName).read) << summary.fileName;
            }
            // Every row the run counted as imported is there.
            if (const auto table = kOneRowPerLine.find(summary.fileName); table != kOneRowPerLine.end()) {
                EXPECT_EQ(counts.at(table->second), summary.imported) << summary.fileName;
            }
        }
        for (const auto &[table, count] : counts)
            EXPECT_LE(count, clean.counts.at(table)) << table;
        ExpectListsNameCommittedRows(folder, database);
    }
}
