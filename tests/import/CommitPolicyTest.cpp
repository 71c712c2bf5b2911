// Grouped commits change when rows become permanent, never what a run writes: the same sample practice
// imported under both policies gives the same rows, log, correspondence lists and files.

#include "run/ImportRun.h"
#include "app/RunState.h"
#include "run/SourceFolder.h"
#include "database/DatabaseSetup.h"
#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "import/catalogue/SampleCatalogue.h"
#include "normalized/DateTime.h"
#include "normalized/NormalizedFile.h"
#include "support/ScriptedOperator.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>

using namespace clinova;

namespace {

struct PolicyRun {
    std::vector<std::string> log;
    std::map<std::string, std::string> files; // the files the run wrote beside the sources
    std::map<std::string, std::string> tables; // one line per row, ordered by ID
};

const char *const kTables[] = {"CLIENTS", "ANIMAUX", "POIDS",  "PASSEPORTS", "CONSULT", "NOTES_DOSSIER",
                               "EVENTS",  "RELANCES", "RELANCES_CONFIG", "TARIFSACTES", "RDV", "CONTACT",
                               "VILLES",  "POSOS",   "FIDELITE01"};

// Every column of every row; the moments the run itself stamps (today at some time) are masked.
std::string TableContent(TargetDatabase &db, const std::string &table) {
    const std::regex now(FormatDMY(Today()) + " [0-9:]{8}");
    Statement q(db, "select * from " + table + " order by ID");
    std::string text;
    for (bool row = q.Open(); row; row = q.Next()) {
        for (int c = 0; c < q.ColumnCount(); ++c)
            text += std::regex_replace(q.GetText(q.ColumnName(c)), now, "NOW") + "\t";
        text += "\n";
    }
    q.Close();
    return text;
}

PolicyRun ImportSample(bool strict) {
    test::TempDir dir;
    const std::string db = dir.File("BASE.FDB");
    CreateTargetDatabase(db, 93);
    {
        TargetDatabase target;
        target.Open(db);
        AddSampleCatalogue(target);
        target.Close();
    }
    const auto sources = dir.path() / "practice";
    std::filesystem::copy(std::filesystem::path(CLINOVA_SOURCE_DIR) / "examples" / "practice", sources);

    test::ScriptedOperator op;
    RunState state(op);
    state.options.edPathNameDatabase = db;
    state.options.cbCommitParLigne = strict;
    state.options.cbDedoublonageClients = true;
    state.options.cbDedoublonageAnimaux = true;
    state.options.MemoCorrespondancesUtilisateurs =
        ReadWholeFile((std::filesystem::path(CLINOVA_SOURCE_DIR) / "examples" / "users.txt").string());
    ScanSourceFolder(state, sources.string());
    EXPECT_EQ(btnImportationClick(state), RunOutcome::CompletedWithFailures);

    PolicyRun run;
    // The summary's times differ from run to run, and so does the folder of the files written.
    const std::regex seconds("[0-9]+,[0-9] s");
    const std::regex folder("^(Fichiers écrits dans ).*( :)$");
    for (const auto &line : op.log)
        run.log.push_back(std::regex_replace(std::regex_replace(line, seconds, "T"), folder, "$1$2"));
    for (const auto &entry : std::filesystem::directory_iterator(sources)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("__", 0) == 0 || name.rfind("REJETS_", 0) == 0 || name.rfind("DOUBLONS_", 0) == 0)
            run.files[name] = ReadWholeFile(entry.path().string());
    }
    TargetDatabase target;
    target.Open(db);
    for (const char *table : kTables)
        run.tables[table] = TableContent(target, table);
    target.Close();
    return run;
}

} // namespace

TEST(CommitPolicy, SamplePracticeGivesTheSameRunUnderBothPolicies) {
    const PolicyRun grouped = ImportSample(false);
    const PolicyRun strict = ImportSample(true);
    EXPECT_EQ(grouped.log, strict.log);
    EXPECT_EQ(grouped.files, strict.files);
    EXPECT_GE(grouped.files.size(), 11u) << "lists, rejects and duplicate reports";
    for (const char *table : kTables) {
        EXPECT_FALSE(grouped.tables.at(table).empty()) << table << " has rows";
        EXPECT_EQ(grouped.tables.at(table), strict.tables.at(table)) << table;
    }
}
