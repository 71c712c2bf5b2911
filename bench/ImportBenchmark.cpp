// The import measured against the database's own limit.
//   clinova-bench --source DIR --work DIR [--server ADDRESS] [--strict-sample N]
// (a) floor: the same number of rows inserted into the same tables by prepared statements, each
//     identifier drawn from its generator, one transaction, one commit, no file and no logic;
// (b) the real import of the folder, on a fresh database;
// (c) rows/s per step, total time, the ratio import/floor and the peak memory.
// With --strict-sample, the clients and animals of the folder are imported once more under the strict
// per-row commit policy, for the speed-up of the grouped commits.

#include "app/ImportRun.h"
#include "app/RunState.h"
#include "app/SourceFolder.h"
#include "database/DatabaseSetup.h"
#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <sys/resource.h>

namespace {

using namespace clinova;
using Clock = std::chrono::steady_clock;

class SilentOperator final : public Operator {
public:
    void AddToLog(const std::string &line) override { log.push_back(line); }
    void ClearLog() override { log.clear(); }
    void ShowWait() override {}
    void HideWait() override {}
    void SetWaitMessage(const std::string &) override {}
    bool Interrupted() const override { return false; }
    int ShowStyledBox(const StyledBox &box) override { return box.button1; }
    int ShowStandardDialog(const std::string &, MessageKind, unsigned, int) override { return mrOk; }
    void ShowMessage(const std::string &text) override { std::cerr << "message: " << ToUtf8(text) << "\n"; }
    void ProcessPendingMessages() override {}
    std::vector<std::string> log;
};

struct Target {
    const char *file, *table, *generator;
};
constexpr Target kTargets[] = {
    {"CLIENTS.TXT", "CLIENTS", "CURRENT_ID_CLIENT"},
    {"ANIMAUX.TXT", "ANIMAUX", "CURRENT_ID_ANIMAL"},
    {"POIDS.TXT", "POIDS", "CURRENT_ID_POIDS"},
    {"CONSULTATIONS.TXT", "CONSULT", "CURRENT_ID_CONSULTATION"},
    {"NOTES.TXT", "NOTES_DOSSIER", "GEN_NOTES_DOSSIER"},
    {"EVENEMENTS.TXT", "EVENTS", "GEN_EVENTS"},
    {"RELANCES.TXT", "RELANCES", "GEN_RELANCES"},
    {"RENDEZ_VOUS.TXT", "RDV", "CURRENT_ID_RDV"},
    {"CONTACTS.TXT", "CONTACT", "CURRENT_ID_CONTACT"},
};

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::string Name(const std::string &server, const std::string &path) {
    return server.empty() ? path : server + ":" + path;
}

std::string FreshDatabase(const std::string &work, const std::string &name) {
    const std::string path = (std::filesystem::path(work) / name).string();
    std::filesystem::remove(path);
    CreateTargetDatabase(path, 93);
    return path;
}

// (a) The floor.
double FloorRowsPerSecond(const std::string &source, const std::string &work, const std::string &server,
                          long &rows) {
    const std::string path = FreshDatabase(work, "FLOOR.FDB");
    TargetDatabase db;
    db.Open(Name(server, path));
    rows = 0;
    const auto started = Clock::now();
    for (const auto &t : kTargets) {
        const std::string file = (std::filesystem::path(source) / t.file).string();
        if (!std::filesystem::exists(file))
            continue;
        const long lines = static_cast<long>(CountLines(file)) - 1;
        Statement insert(db, fmt::format("insert into {} (ID) values (:ID)", t.table));
        try {
            for (long i = 0; i < lines; ++i) {
                insert.SetInt("ID", db.DrawNewID(t.generator));
                insert.Execute();
            }
            rows += lines;
        } catch (const std::exception &e) {
            std::cout << fmt::format("floor: {} left out ({})\n", t.table, ToUtf8(e.what()));
        }
    }
    db.CommitRetaining();
    const double seconds = Seconds(started);
    db.Close();
    std::cout << fmt::format("floor: {} rows in {:.2f} s, {:.0f} rows/s\n", rows, seconds, rows / seconds);
    return rows / seconds;
}

struct ImportResult {
    long rows = 0;
    double seconds = 0;
};

// (b) The real import; only the given files when the list is not empty.
ImportResult Import(const std::string &source, const std::string &work, const std::string &server,
                    const std::string &dbName, bool strict, const std::vector<std::string> &only, bool print) {
    const std::string path = FreshDatabase(work, dbName);
    const std::string copy = (std::filesystem::path(work) / (dbName + ".source")).string();
    std::filesystem::remove_all(copy);
    std::filesystem::copy(source, copy, std::filesystem::copy_options::recursive);
    SilentOperator op;
    RunState state(op);
    state.options.edPathNameDatabase = Name(server, path);
    state.options.cbCommitParLigne = strict;
    ScanSourceFolder(state, copy);
    if (!only.empty())
        for (const auto &file : SourceFiles()) {
            bool keep = false;
            for (const auto &name : only)
                keep = keep || name == file.fileName;
            if (!keep)
                (state.options.*(file.box)).checked = false;
        }
    const auto started = Clock::now();
    const RunOutcome outcome = btnImportationClick(state);
    ImportResult r;
    r.seconds = Seconds(started);
    for (const auto &s : state.summaries) {
        r.rows += s.imported;
        if (print)
            std::cout << fmt::format("  {:<20} {:>8} lines imported in {:7.2f} s  {:>9.0f} rows/s\n", s.fileName,
                                     s.imported, s.seconds, s.seconds > 0 ? s.imported / s.seconds : 0.0);
    }
    if (outcome == RunOutcome::Failed || outcome == RunOutcome::Refused)
        std::cout << "import did not run to its end\n";
    std::filesystem::remove_all(copy);
    return r;
}

long PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char **argv) {
    CLI::App app{"Import benchmark", "clinova-bench"};
    std::string source, work, server;
    int strictSample = 0;
    bool noFloor = false;
    app.add_option("--source", source)->required();
    app.add_option("--work", work)->required();
    app.add_option("--server", server, "e.g. 127.0.0.1/3050: through a Firebird server instead of embedded");
    app.add_flag("--strict-sample", strictSample, "also import clients and animals under the strict policy");
    app.add_flag("--no-floor", noFloor);
    CLI11_PARSE(app, argc, argv);
    std::filesystem::create_directories(work);

    try {
        long floorRows = 0;
        const double floor = noFloor ? 0 : FloorRowsPerSecond(source, work, server, floorRows);
        std::cout << "import:\n";
        const ImportResult grouped = Import(source, work, server, "IMPORT.FDB", false, {}, true);
        const double rate = grouped.rows / grouped.seconds;
        std::cout << fmt::format("import: {} rows in {:.2f} s, {:.0f} rows/s\n", grouped.rows, grouped.seconds, rate);
        if (strictSample) {
            const std::vector<std::string> sample = {"CLIENTS.TXT", "ANIMAUX.TXT"};
            const ImportResult g = Import(source, work, server, "SAMPLE_GROUPED.FDB", false, sample, false);
            const ImportResult s = Import(source, work, server, "SAMPLE_STRICT.FDB", true, sample, false);
            std::cout << fmt::format("clients+animals: grouped {:.0f} rows/s, strict {:.0f} rows/s, speed-up {:.1f}\n",
                                     g.rows / g.seconds, s.rows / s.seconds,
                                     (g.rows / g.seconds) / (s.rows / s.seconds));
        }
        std::cout << fmt::format("peak memory: {} MB\n", PeakMegabytes());
        if (!noFloor)
            std::cout << fmt::format("import/floor ratio: {:.3f}\n", rate / floor);
    } catch (const std::exception &e) {
        std::cerr << "clinova-bench: " << ToUtf8(e.what()) << "\n";
        return 1;
    }
    return 0;
}
