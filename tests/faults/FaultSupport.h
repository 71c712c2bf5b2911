#pragma once
// What the fault tests share: the sample practice in a folder of its own, a database made once from the
// schema and the sample catalogue and copied for each case, an operator whose wait messages can trigger a
// fault, and the tests' view of the rows and files a run left behind.

#include "run/ImportRun.h"
#include "app/RunState.h"
#include "run/SourceFolder.h"
#include "database/DatabaseSetup.h"
#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "import/catalogue/SampleCatalogue.h"
#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"
#include "support/ScriptedOperator.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace clinova::test {

inline std::filesystem::path SourceRoot() { return std::filesystem::path(CLINOVA_SOURCE_DIR); }

// The tables an import of the sample practice writes.
inline const std::vector<std::string> &ImportedTables() {
    static const std::vector<std::string> tables = {
        "CLIENTS",         "FIDELITE01",      "ANIMAUX", "POIDS",       "PASSEPORTS",  "VILLES", "CONSULT",
        "NOTES_DOSSIER",   "EVENTS",          "RELANCES", "RELANCES_CONFIG", "TARIFSACTES_CAT", "TARIFSACTES",
        "RDV",             "CONTACT",         "CONTACT_CAT", "CONTACT_OF_CAT", "POSOS", "LINK_POSOLOGIES"};
    return tables;
}

// An operator whose wait messages can stop a server, lock a row or interrupt the run.
class FaultOperator : public ScriptedOperator {
public:
    std::function<void(const std::string &)> onWaitMessage; // the message as UTF-8

    void SetWaitMessage(const std::string &text) override {
        ScriptedOperator::SetWaitMessage(text);
        if (onWaitMessage)
            onWaitMessage(waitMessage);
    }

    std::vector<std::string> LogStartingWith(const std::string &prefix) const {
        std::vector<std::string> lines;
        for (const auto &line : log)
            if (line.rfind(prefix, 0) == 0)
                lines.push_back(line);
        return lines;
    }
    bool Logged(const std::string &prefix) const { return !LogStartingWith(prefix).empty(); }
};

// The same on a connection of its own.
inline std::vector<std::string> Rows(const std::string &database, const std::string &sql) {
    TargetDatabase db;
    db.Open(database);
    auto rows = SelectRows(db, sql);
    db.Close();
    return rows;
}

inline int Count(const std::string &database, const std::string &table) {
    return std::stoi(Rows(database, "select count(*) from " + table).at(0));
}

inline std::map<std::string, int> TableCounts(const std::string &database) {
    TargetDatabase db;
    db.Open(database);
    std::map<std::string, int> counts;
    for (const auto &table : ImportedTables())
        counts[table] = std::stoi(SelectRows(db, "select count(*) from " + table).at(0));
    db.Close();
    return counts;
}

// The identifiers of a table's rows.
inline std::set<std::string> Identifiers(const std::string &database, const std::string &table) {
    const auto rows = Rows(database, "select ID from " + table);
    return {rows.begin(), rows.end()};
}

// A copy of an empty target database (build 93, one veterinarian, the sample catalogue), made once.
inline std::string FreshDatabase(const TempDir &dir, const std::string &name = "BASE.FDB") {
    static TempDir templateDir;
    static const std::string templatePath = [] {
        const std::string path = templateDir.File("TEMPLATE.FDB");
        CreateTargetDatabase(path, 93);
        TargetDatabase db;
        db.Open(path);
        AddSampleCatalogue(db);
        db.Close();
        return path;
    }();
    const std::string path = dir.File(name);
    std::filesystem::copy_file(templatePath, path, std::filesystem::copy_options::overwrite_existing);
    return path;
}

// The sample practice copied into dir/name; returns the folder with its final separator.
inline std::string CopyPractice(const TempDir &dir, const std::string &name = "practice") {
    const auto folder = dir.path() / name;
    std::filesystem::copy(SourceRoot() / "examples" / "practice", folder);
    return (folder / "").string();
}

// The settings of the fault runs: the users of the sample practice and every duplicate check, so that a
// second run over the same files adds nothing twice.
inline void CarefulSettings(ImportOptions &o) {
    o.MemoCorrespondancesUtilisateurs = FromUtf8(ReadWholeFile((SourceRoot() / "examples" / "users.txt").string()));
    o.cbDedoublonageClients = true;
    o.cbDedoublonageAnimaux = true;
    o.cbDedoublonageConsult = true;
}

// Each line a step read is imported, matched, skipped by a rule, or failed.
inline void ExpectEveryReadLineAccountedFor(const std::vector<StepSummary> &summaries) {
    for (const auto &s : summaries)
        EXPECT_EQ(s.read, s.imported + s.matched + s.skipped + s.failed) << s.fileName;
}

// The data lines of a file of the sample practice (header excluded).
inline int DataLines(const std::string &fileName) {
    return static_cast<int>(CountLines((SourceRoot() / "examples" / "practice" / fileName).string())) - 1;
}

// The lines of a file as UTF-8 (a correspondence list, a report).
inline std::vector<std::string> FileLines(const std::string &path) {
    std::vector<std::string> lines;
    for (const auto &line : SplitLines(ReadWholeFile(path)).lines)
        lines.push_back(ToUtf8(line));
    return lines;
}

// A clean import of the sample practice with the careful settings, made once: its row counts and the
// lengths of the correspondence lists it wrote.
struct Reference {
    std::map<std::string, int> counts;
    std::map<std::string, std::size_t> lists; // "__fSourceIDClientList.txt" -> lines
    std::map<std::string, StepSummary> summaries; // by file name
    std::vector<std::string> log;
    std::vector<std::string> stock; // the stock columns of every product
};

inline std::vector<std::string> StockRows(const std::string &database) {
    return Rows(database, "select ID, QTX_FULL, QTX_DETAIL, QTX_FULL_IDEAL, QTX_DETAIL_IDEAL, COND, COEF, "
                          "SUIVI_STOCK from TARIFSPRODUITS order by ID");
}

inline const Reference &CleanImport() {
    static const Reference reference = [] {
        TempDir dir;
        const std::string database = FreshDatabase(dir);
        ScriptedOperator op;
        RunState state(op);
        state.options.edPathNameDatabase = database;
        CarefulSettings(state.options);
        const std::string sources = CopyPractice(dir);
        ScanSourceFolder(state, sources);
        btnImportationClick(state);
        Reference r;
        r.counts = TableCounts(database);
        for (const auto &summary : state.summaries)
            r.summaries[summary.fileName] = summary;
        r.log = op.log;
        r.stock = StockRows(database);
        for (const auto &entry : std::filesystem::directory_iterator(sources))
            if (entry.path().filename().string().rfind("__", 0) == 0)
                r.lists[entry.path().filename().string()] = FileLines(entry.path().string()).size();
        return r;
    }();
    return reference;
}

} // namespace clinova::test
