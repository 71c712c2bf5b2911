// The import measured against the database's own limit.
//   clinova-bench --source DIR --work DIR [--server ADDRESS] [--strict-sample]
// (a) the real import of the folder, on a fresh database;
// (b) the floor: the same rows written into the same tables of another fresh database by prepared
//     statements, each identifier drawn from its generator, one transaction, one commit, no file and no logic;
// (c) lines/s per step, total time, the ratio import/floor (floor time / import time) and the peak memory.
// With --strict-sample, the clients and animals of the folder are imported once more under the strict
// per-row commit policy, for the speed-up of the grouped commits.

#include "run/ImportRun.h"
#include "app/RunState.h"
#include "import/ImportSteps.h"
#include "run/SourceFolder.h"
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

// The tables an import writes and the generators that feed their identifiers.
struct Target {
    const char *table, *generator;
};
constexpr Target kTargets[] = {
    {"CONTACT", "CURRENT_ID_CONTACT"},     {"CONTACT_CAT", "CURRENT_ID_CONTACT_CAT"},
    {"CONTACT_OF_CAT", "CURRENT_ID_CONTACT_OF_CAT"}, {"CLIENTS", "CURRENT_ID_CLIENT"},
    {"FIDELITE01", "GEN_FIDELITE01"},      {"ANIMAUX", "CURRENT_ID_ANIMAL"},
    {"POIDS", "CURRENT_ID_POIDS"},         {"PASSEPORTS", "CURRENT_PASSEPORT"},
    {"VILLES", "CURRENT_ID_VILLES"},       {"CONSULT", "CURRENT_ID_CONSULTATION"},
    {"NOTES_DOSSIER", "GEN_NOTES_DOSSIER"}, {"EVENTS", "GEN_EVENTS"},
    {"RELANCES", "GEN_RELANCES"},          {"RELANCES_CONFIG", "GEN_RELANCES_CONFIG"},
    {"RDV", "CURRENT_ID_RDV"},
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

void CopyColumn(const Statement &from, int column, Statement &to) {
    const std::string &name = from.ColumnName(column);
    if (from.IsNull(name)) {
        to.SetNull(name);
        return;
    }
    switch (from.KindOfColumn(column)) {
    case ColumnKind::Integer:
    case ColumnKind::Boolean:
        to.SetInt64(name, from.GetInt64(name));
        break;
    case ColumnKind::Decimal:
        to.SetDouble(name, from.GetDouble(name));
        break;
    case ColumnKind::Date:
        to.SetDate(name, from.GetDate(name));
        break;
    case ColumnKind::Timestamp:
    case ColumnKind::Time:
        to.SetDateTime(name, from.GetDateTime(name));
        break;
    case ColumnKind::Blob:
        to.SetBlob(name, from.GetBlob(name));
        break;
    default:
        to.SetText(name, from.GetText(name));
        break;
    }
}

// (a) The floor: the rows the import wrote, copied into a fresh database by prepared statements, each
// identifier drawn from its generator, in one transaction with one commit. Same rows, same columns, same
// blobs: only the reading of the files and the logic of the steps are left out.
double FloorSeconds(const std::string &importPath, const std::string &work, const std::string &server, long &rows) {
    const std::string path = FreshDatabase(work, "FLOOR.FDB");
    TargetDatabase source;
    source.Open(importPath);
    TargetDatabase db;
    db.Open(Name(server, path));
    rows = 0;
    const auto started = Clock::now();
    for (const auto &t : kTargets) {
        Statement read(source, fmt::format("select * from {}", t.table));
        bool row = read.Open();
        if (!row)
            continue;
        std::string columns, values;
        for (int c = 0; c < read.ColumnCount(); ++c) {
            columns += (c ? ", " : "") + read.ColumnName(c);
            values += (c ? ", :" : ":") + read.ColumnName(c);
        }
        Statement insert(db, fmt::format("insert into {} ({}) values ({})", t.table, columns, values));
        for (; row; row = read.Next()) {
            for (int c = 0; c < read.ColumnCount(); ++c)
                CopyColumn(read, c, insert);
            insert.SetInt("ID", db.DrawNewID(t.generator));
            insert.Execute();
            ++rows;
        }
        read.Close();
    }
    db.CommitRetaining();
    const double seconds = Seconds(started);
    db.Close();
    source.Close();
    return seconds;
}

struct ImportResult {
    long rows = 0; // lines imported
    double seconds = 0;
    std::string path;
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
    r.path = path;
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
    bool strictWhole = false;
    app.add_option("--source", source)->required();
    app.add_option("--work", work)->required();
    app.add_option("--server", server, "e.g. 127.0.0.1/3050: through a Firebird server instead of embedded");
    app.add_flag("--strict-sample", strictSample, "also import clients and animals under the strict policy");
    app.add_flag("--strict", strictWhole, "also run the whole import under the strict policy (slow)");
    app.add_flag("--no-floor", noFloor);
    CLI11_PARSE(app, argc, argv);
    std::filesystem::create_directories(work);

    try {
        std::cout << "import:\n";
        const ImportResult grouped = Import(source, work, server, "IMPORT.FDB", false, {}, true);
        std::cout << fmt::format("import: {} lines in {:.2f} s\n", grouped.rows, grouped.seconds);
        double floorSeconds = 0;
        if (!noFloor) {
            long rows = 0;
            floorSeconds = FloorSeconds(grouped.path, work, server, rows);
            std::cout << fmt::format("rows written: {}; import {:.0f} rows/s, floor {:.0f} rows/s ({:.2f} s)\n", rows,
                                     rows / grouped.seconds, rows / floorSeconds, floorSeconds);
            if (strictSample) {
                const std::vector<std::string> sample = {"CLIENTS.TXT", "ANIMAUX.TXT"};
                const ImportResult g = Import(source, work, server, "SAMPLE_GROUPED.FDB", false, sample, false);
                const ImportResult s = Import(source, work, server, "SAMPLE_STRICT.FDB", true, sample, false);
                std::cout << fmt::format(
                    "clients+animals: grouped {:.0f} lines/s, strict {:.0f} lines/s, speed-up {:.1f}\n",
                    g.rows / g.seconds, s.rows / s.seconds, (g.rows / g.seconds) / (s.rows / s.seconds));
            }
        }
        std::cout << fmt::format("peak memory: {} MB\n", PeakMegabytes());
        if (strictWhole) {
            std::cout << "import under the strict policy:\n";
            const ImportResult s = Import(source, work, server, "STRICT.FDB", true, {}, true);
            std::cout << fmt::format("whole import: grouped {:.2f} s, strict {:.2f} s ({} lines), speed-up {:.1f}\n",
                                     grouped.seconds, s.seconds, s.rows, s.seconds / grouped.seconds);
        }
        if (!noFloor)
            std::cout << fmt::format("import/floor ratio: {:.3f}\n", floorSeconds / grouped.seconds);
    } catch (const std::exception &e) {
        std::cerr << "clinova-bench: " << ToUtf8(e.what()) << "\n";
        return 1;
    }
    return 0;
}
