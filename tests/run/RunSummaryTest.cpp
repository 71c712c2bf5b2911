// The summary of an import as the log prints it, and a file left aside for a missing column in every step.
#include "app/RunSummary.h"
#include "import/ImportSteps.h"
#include "run/ImportRun.h"
#include "app/RunState.h"
#include "run/SourceFolder.h"
#include "import/catalogue/AppointmentImport.h"
#include "import/catalogue/Cities.h"
#include "import/catalogue/ContactImport.h"
#include "import/catalogue/FeeScheduleImport.h"
#include "import/catalogue/InventoryImport.h"
#include "import/clients_animals/AnimalImport.h"
#include "import/clients_animals/ClientImport.h"
#include "import/clients_animals/WeightImport.h"
#include "import/medical/ConsultationImport.h"
#include "import/medical/EventImport.h"
#include "import/medical/NotesImport.h"
#include "import/medical/ReminderImport.h"
#include "normalized/Win1252.h"
#include "support/ScriptedOperator.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>

using namespace clinova;

namespace {

StepSummary Summary(const char *file, int read, int imported, int matched, int skipped, int failed, double seconds) {
    StepSummary s;
    s.fileName = file;
    s.read = read;
    s.imported = imported;
    s.matched = matched;
    s.skipped = skipped;
    s.failed = failed;
    s.seconds = seconds;
    s.ran = true;
    return s;
}

std::vector<std::string> Utf8Lines(const std::vector<std::string> &lines) {
    std::vector<std::string> out;
    for (const auto &line : lines)
        out.push_back(ToUtf8(line));
    return out;
}

} // namespace

TEST(RunSummary, FrenchCountsAndDurations) {
    EXPECT_EQ(ToUtf8(CountText(0, "ignorée", "ignorées")), "0 ignorée");
    EXPECT_EQ(ToUtf8(CountText(1, "ignorée", "ignorées")), "1 ignorée");
    EXPECT_EQ(ToUtf8(CountText(2, "ignorée", "ignorées")), "2 ignorées");
    EXPECT_EQ(ToUtf8(CountText(4281, "lue", "lues")), "4281 lues");

    EXPECT_EQ(ToUtf8(DurationText(0.34)), "0,3 s");
    EXPECT_EQ(ToUtf8(DurationText(0)), "0,0 s");
    EXPECT_EQ(ToUtf8(DurationText(12.06)), "12,1 s");
    EXPECT_EQ(ToUtf8(DurationText(59.99)), "1 min 00 s") << "never \"60,0 s\"";
    EXPECT_EQ(ToUtf8(DurationText(252.4)), "4 min 12 s");
    EXPECT_EQ(ToUtf8(DurationText(3725)), "1 h 02 min");
}

TEST(RunSummary, RowsAlignedUnderTheirColumnsWithTheirTotalMarksAndWrittenFiles) {
    StepSummary interrupted = Summary("VILLES.TXT", 16, 15, 0, 1, 0, 0.04);
    interrupted.interrupted = true;
    StepSummary leftAside;
    leftAside.fileName = "TARIFS_ACTES.TXT";
    leftAside.missingColumns = true;
    const std::vector<StepSummary> summaries = {Summary("CLIENTS.TXT", 41, 37, 2, 0, 2, 0.12), interrupted, leftAside};

    EXPECT_EQ(Utf8Lines(ImportSummaryLines(summaries, {"/src/REJETS_CLIENTS.TXT", "/ailleurs/LISTE.TXT"}, "/src/")),
              (std::vector<std::string>{
                  "Résumé de l'importation :",
                  "Fichier           lues importées doublons ignorées échecs durée",
                  "CLIENTS.TXT         41        37        2        0      2 0,1 s",
                  "VILLES.TXT          16        15        0        1      0 0,0 s",
                  "TARIFS_ACTES.TXT  non importé : colonnes obligatoires manquantes",
                  "Total               57        52        2        1      2 0,2 s",
                  "Fichier     remarque",
                  "VILLES.TXT  interrompu",
                  "Importation interrompue : les étapes suivantes n'ont rien lu",
                  "Fichiers écrits dans /src/ :",
                  "  REJETS_CLIENTS.TXT",
                  "  /ailleurs/LISTE.TXT",
              }));

    // Nothing read, nothing said; no file written, no list of files.
    EXPECT_TRUE(ImportSummaryLines({}, {"/src/X.TXT"}, "/src/").empty());
    const auto lines = ImportSummaryLines({Summary("NOTES.TXT", 1, 1, 0, 0, 0, 65)}, {}, "/src/");
    EXPECT_EQ(Utf8Lines(lines), (std::vector<std::string>{"Résumé de l'importation :",
                                                          "Fichier    lues importées doublons ignorées échecs      durée",
                                                          "NOTES.TXT     1         1        0        0      0 1 min 05 s",
                                                          "Total         1         1        0        0      0 1 min 05 s"}));
}

// The widest summary a practice gives, every file of the run with the longest counts and times it may have, the
// counts only some runs have, an interruption and a file left aside, fits an 80-column terminal: with the
// resume's column (lines an interrupted run imported) and without it.
TEST(RunSummary, EveryLineFitsEightyColumnsWithAndWithoutTheResumesColumn) {
    for (const bool resumed : {false, true}) {
        SCOPED_TRACE(resumed ? "resumed" : "not resumed");
        std::vector<StepSummary> summaries;
        for (const StepEntry *step : ImportSteps())
            for (const StepFile &file : step->files) {
                StepSummary s = Summary(file.definition().fileName.c_str(), 500000, 499999, 100000, 100000, 100000,
                                        3599.4);
                s.warnings = 100000;
                s.notRead = 100000;
                s.alreadyDone = resumed ? 400000 : 0;
                summaries.push_back(s);
            }
        ASSERT_EQ(summaries.size(), 15u) << "the fifteen files of the run";
        summaries[2].interrupted = true;
        summaries[5].leftAside = FromUtf8("pas un fichier ordinaire");
        summaries[6].missingColumns = true;
        const auto lines = ImportSummaryLines(summaries, {"/src/REJETS_POSOLOGIES_ORIGINES.TXT"}, "/src/");
        // Each line, counted in characters (Windows-1252 has one byte per character).
        for (const std::string &line : lines)
            EXPECT_LE(line.size(), 80u) << ToUtf8(line);
        const std::string all = ToUtf8(fmt::format("{}", fmt::join(lines, "\n")));
        EXPECT_NE(all.find("POSOLOGIES_ORIGINES.TXT"), std::string::npos);
        // The total of the lines read has seven digits, its time is of hours.
        EXPECT_NE(all.find(" " + std::to_string(500000 * summaries.size()) + " "), std::string::npos) << all;
        EXPECT_NE(all.find(ToUtf8(DurationText(3599.4 * static_cast<double>(summaries.size())))), std::string::npos)
            << all;
        EXPECT_NE(all.find("avertissements"), std::string::npos) << all;
        EXPECT_EQ(all.find("déjà importées") != std::string::npos, resumed) << all;
        EXPECT_NE(all.find("interrompu"), std::string::npos) << all;
    }
}

// Each step's file with a header that lacks its last mandatory column: the file is left aside, the summary
// says so, and the run ends with failures, the fee schedule's two files included. (POSOLOGIES.TXT has no
// mandatory column: a line without its values is left aside.)
TEST(RunSummary, AFileLeftAsideForAMissingColumnEndsTheRunWithFailuresInEveryStep) {
    test::TestDatabase tdb;
    const std::vector<const StepDefinition &(*)()> definitions = {
        ContactStepDefinition,    ClientStepDefinition,       AnimalStepDefinition, WeightStepDefinition,
        CityStepDefinition,       ConsultationStepDefinition, NoteStepDefinition,   EventStepDefinition,
        ReminderStepDefinition,   FeeCategoryStepDefinition,  FeeActStepDefinition, InventoryStepDefinition,
        AppointmentStepDefinition};
    const auto header = [](const StepDefinition &definition, bool complete) {
        std::string line;
        const auto &columns = definition.mandatoryColumns;
        for (std::size_t c = 0; c + (complete ? 0 : 1) < columns.size(); ++c)
            line += (c ? "\t" : "") + columns[c];
        return line + "\tAUTRE\r\n";
    };
    for (const auto definitionOf : definitions) {
        const StepDefinition &definition = definitionOf();
        SCOPED_TRACE(definition.fileName);
        ASSERT_FALSE(definition.mandatoryColumns.empty());
        test::TempDir source;
        source.Write(definition.fileName, header(definition, false) + "1\r\n");
        // The companions without which the step would not look at the file.
        if (&definition == &FeeCategoryStepDefinition())
            source.Write(FeeActStepDefinition().fileName, header(FeeActStepDefinition(), true));
        if (&definition == &FeeActStepDefinition())
            source.Write(FeeCategoryStepDefinition().fileName, header(FeeCategoryStepDefinition(), true));

        test::ScriptedOperator op;
        RunState state(op);
        state.options.edPathNameDatabase = tdb.Path();
        ScanSourceFolder(state, source.Folder());
        EXPECT_EQ(btnImportationClick(state), RunOutcome::CompletedWithFailures);

        const std::string missing =
            definition.fileName + "/manque colonne obligatoire \"" + definition.mandatoryColumns.back() + "\"";
        EXPECT_EQ(std::count(op.log.begin(), op.log.end(), missing), 1) << missing;
        const auto summary = std::find_if(state.summaries.begin(), state.summaries.end(),
                                          [&](const StepSummary &s) { return s.fileName == definition.fileName; });
        ASSERT_NE(summary, state.summaries.end());
        EXPECT_TRUE(summary->missingColumns);
        EXPECT_EQ(std::count_if(op.log.begin(), op.log.end(),
                                [&](const std::string &line) {
                                    const std::string mark = "  non importé : colonnes obligatoires manquantes";
                                    return line.rfind(definition.fileName + " ", 0) == 0 && line.size() > mark.size() &&
                                           line.compare(line.size() - mark.size(), mark.size(), mark) == 0;
                                }),
                  1)
            << "one row of the summary marks the file";
    }
}
