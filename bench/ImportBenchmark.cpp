// The import measured against the database's own limit.
//   clinova-bench --source DIR --work DIR [--server ADDRESS] [--strict-sample]
// (a) the real import of the folder, on a fresh database;
// (b) the floor: the same rows written into the same tables of another fresh database by prepared
//     statements, each identifier drawn from its generator, one transaction, one commit, no file and no logic;
//     the batched floor: the same again with the rows sent in EXECUTE BLOCKs by the import's own batch, the
//     best script a person would write by hand;
// (c) the disk's limit: the pages the import wrote (the database's monitoring tables) times the time of one
//     synchronous page write on the disk of the work folder, measured here;
// (d) lines/s per step, total time, the import's ratio to each floor and to the disk's limit (floor time /
//     import time), and the peak memory.
// With --strict-sample, the clients and animals of the folder are imported once more under the strict
// per-row commit policy, for the speed-up of the grouped commits.
// With --rtt MS (and --server), everything goes through a relay of the benchmark's own that adds MS to every
// round trip (MS/2 each way) and counts them: per step and overall, the round trips per line read and per row
// written, and the time at that latency; --rtt 0 counts without delaying. With several latencies (--rtt 0,2),
// the import runs again at each of the others through the same relay, and its time is compared with the first.

#include "run/ImportRun.h"
#include "app/RunState.h"
#include "import/ImportSteps.h"
#include "run/SourceFolder.h"
#include "database/DatabaseSetup.h"
#include "database/RowBatch.h"
#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"

#include "LatencyRelay.h"

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// --one-by-one: every request to the server made on its own, as before the round trips were spared.
bool gOneByOne = false;

using namespace clinova;
using bench::LatencyRelay;
using bench::RelayCounts;
using Clock = std::chrono::steady_clock;

class SilentOperator final : public Operator {
public:
    void AddToLog(const std::string &line) override {
        log.push_back(line);
        if (onLog)
            onLog(line);
    }
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
    std::function<void(const std::string &)> onLog;
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
// blobs: only the reading of the files and the logic of the steps are left out. Batched, the rows of each
// table go in EXECUTE BLOCKs (the import's own batch, each row a line of its own).
double FloorSeconds(const std::string &importPath, const std::string &work, const std::string &server, bool batched,
                    long &rows) {
    const std::string path = FreshDatabase(work, batched ? "BATCHED_FLOOR.FDB" : "FLOOR.FDB");
    TargetDatabase source;
    source.Open(importPath);
    TargetDatabase db;
    db.Open(Name(server, path), {CommitPolicy::Grouped, !gOneByOne});
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
        std::optional<RowBatch> batch;
        if (batched)
            batch.emplace(db);
        for (; row; row = read.Next()) {
            for (int c = 0; c < read.ColumnCount(); ++c)
                CopyColumn(read, c, insert);
            insert.SetInt("ID", db.DrawNewID(t.generator));
            ++rows;
            if (!batch) {
                insert.Execute();
                continue;
            }
            batch->StartLine(static_cast<int>(rows));
            batch->Add(insert, false);
            if (batch->Full())
                batch->Send();
        }
        if (batch) {
            batch->Send();
            if (!batch->TakeRefused().empty())
                throw std::runtime_error(std::string("the batched floor: rows of ") + t.table + " refused");
        }
        read.Close();
    }
    db.CommitRetaining();
    const double seconds = Seconds(started);
    db.Close();
    source.Close();
    return seconds;
}

// The pages written to a database, as its monitoring tables count them from the moment it was opened: a keeper
// connection holds it open meanwhile, and each reading has a connection of its own (the monitoring tables are a
// snapshot kept for the life of a transaction).
class PageWrites {
public:
    explicit PageWrites(const std::string &databaseName) : name_(databaseName) { keeper_.Open(name_); }
    ~PageWrites() {
        try {
            keeper_.Close();
        } catch (const std::exception &) {
        }
    }
    std::int64_t Read() const {
        TargetDatabase db;
        db.Open(name_);
        Statement query(db, "select i.MON$PAGE_WRITES as WRITES from MON$IO_STATS i join MON$DATABASE d "
                            "on i.MON$STAT_ID = d.MON$STAT_ID");
        const std::int64_t writes = query.Open() ? query.GetInt64("WRITES") : 0;
        query.Close();
        db.Close();
        return writes;
    }

private:
    std::string name_;
    TargetDatabase keeper_;
};

// The time of one synchronous write of an 8 KB page on the disk of the folder, in milliseconds: pages written in
// place at random, as a database's are, each waited for (O_DSYNC), in a file written and synced first.
double SyncPageWriteMilliseconds(const std::string &folder) {
    constexpr std::size_t kPage = 8192, kPages = 2048;
    constexpr int kWrites = 400;
    const std::string path = (std::filesystem::path(folder) / "PAGES.TMP").string();
    const std::vector<char> page(kPage, 'x');
    int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    if (fd < 0)
        throw std::runtime_error("cannot write " + path);
    for (std::size_t i = 0; i < kPages; ++i)
        if (::write(fd, page.data(), kPage) != static_cast<ssize_t>(kPage))
            throw std::runtime_error("cannot write " + path);
    ::fsync(fd);
    ::close(fd);
    fd = ::open(path.c_str(), O_WRONLY | O_DSYNC);
    if (fd < 0)
        throw std::runtime_error("cannot write " + path);
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> at(0, kPages - 1);
    const auto started = Clock::now();
    for (int i = 0; i < kWrites; ++i)
        if (::pwrite(fd, page.data(), kPage, static_cast<off_t>(at(random) * kPage)) != static_cast<ssize_t>(kPage))
            throw std::runtime_error("cannot write " + path);
    const double milliseconds = Seconds(started) * 1000.0 / kWrites;
    ::close(fd);
    std::filesystem::remove(path);
    return milliseconds;
}

struct RowsWritten {
    std::int64_t inserted = 0, updated = 0, deleted = 0;
    std::int64_t Total() const { return inserted + updated + deleted; }
    RowsWritten operator-(const RowsWritten &earlier) const {
        return {inserted - earlier.inserted, updated - earlier.updated, deleted - earlier.deleted};
    }
};

// Rows written by the other connections to a database (the import's), read from the server's monitoring
// tables over a connection of this one's own, which does not go through the relay.
class RowMonitor {
public:
    explicit RowMonitor(const std::string &databaseName) : name_(databaseName) {
        query_.SetSQL("select coalesce(sum(r.MON$RECORD_INSERTS), 0) as INSERTED, "
                      "coalesce(sum(r.MON$RECORD_UPDATES), 0) as UPDATED, "
                      "coalesce(sum(r.MON$RECORD_DELETES), 0) as DELETED "
                      "from MON$ATTACHMENTS a join MON$RECORD_STATS r on r.MON$STAT_ID = a.MON$STAT_ID "
                      "where a.MON$ATTACHMENT_ID <> current_connection and a.MON$SYSTEM_FLAG = 0");
    }
    RowsWritten Read() {
        // The monitoring tables are a snapshot kept for the life of a transaction, a commit keeping the
        // context included: each reading has a connection of its own.
        db_.Open(name_);
        query_.Open();
        const RowsWritten rows{query_.GetInt64("INSERTED"), query_.GetInt64("UPDATED"), query_.GetInt64("DELETED")};
        query_.Close();
        db_.Close();
        return rows;
    }

private:
    std::string name_;
    TargetDatabase db_;
    Statement query_{db_};
};

// What one step of the import cost through the relay, between its "DEBUT import" and "FIN import" lines.
struct StepCost {
    std::string name;
    long lines = 0;        // lines read by the step's files
    std::int64_t rows = 0; // rows inserted, updated or deleted
    std::uint64_t roundTrips = 0;
    double seconds = 0;
};

// Follows the import's log: at each step's first and last lines, the relay's counters, the rows written and
// the lines read so far. The monitoring query is left out of the steps' times and of the import's.
class StepMeter {
public:
    StepMeter(const LatencyRelay &relay, const std::string &databaseName, const RunState &state)
        : relay_(relay), monitor_(databaseName), state_(state) {}

    void OnLog(const std::string &line) {
        static const std::string kBegin = "DEBUT import ", kEnd = "FIN import ";
        if (line.starts_with(kBegin)) {
            const auto monitoring = Clock::now();
            rowsAtBegin_ = monitor_.Read();
            summariesAtBegin_ = state_.summaries.size();
            countsAtBegin_ = relay_.Counts();
            begin_ = Clock::now();
            monitoringSeconds += std::chrono::duration<double>(begin_ - monitoring).count();
        } else if (line.starts_with(kEnd)) {
            const auto end = Clock::now();
            StepCost step;
            step.name = line.substr(kEnd.size());
            step.roundTrips = (relay_.Counts() - countsAtBegin_).roundTrips;
            step.seconds = std::chrono::duration<double>(end - begin_).count();
            for (std::size_t i = summariesAtBegin_; i < state_.summaries.size(); ++i)
                step.lines += state_.summaries[i].read;
            rowsWritten = monitor_.Read();
            step.rows = (rowsWritten - rowsAtBegin_).Total();
            steps.push_back(step);
            monitoringSeconds += Seconds(end);
        }
    }

    std::vector<StepCost> steps;
    RowsWritten rowsWritten; // by the import's connection, up to the last step's end
    double monitoringSeconds = 0;

private:
    const LatencyRelay &relay_;
    RowMonitor monitor_;
    const RunState &state_;
    RowsWritten rowsAtBegin_;
    std::size_t summariesAtBegin_ = 0;
    RelayCounts countsAtBegin_;
    Clock::time_point begin_;
};

// Where the import goes: the server itself, or the relay in front of it.
struct Route {
    std::string server;                  // the server as the import names it ("" embedded)
    std::string direct;                  // the server itself, for the monitoring connection
    const LatencyRelay *relay = nullptr; // set: measure the steps of the main import
};

struct ImportResult {
    long rows = 0; // lines imported
    long lines = 0; // lines read
    double seconds = 0;
    std::string path;
    std::vector<StepCost> steps; // through the relay
    RowsWritten rowsWritten;
    RelayCounts relayed;
    std::int64_t pageWrites = 0; // measured with print
};

// (b) The real import; only the given files when the list is not empty. With print and a relay, the cost of
// each step through it.
ImportResult Import(const std::string &source, const std::string &work, const Route &route, const std::string &dbName,
                    bool strict, const std::vector<std::string> &only, bool print) {
    const std::string &server = route.server;
    const std::string path = FreshDatabase(work, dbName);
    const std::string copy = (std::filesystem::path(work) / (dbName + ".source")).string();
    std::filesystem::remove_all(copy);
    std::filesystem::copy(source, copy, std::filesystem::copy_options::recursive);
    SilentOperator op;
    RunState state(op);
    state.options.edPathNameDatabase = Name(server, path);
    state.options.cbCommitParLigne = strict;
    state.options.cbEnvoisGroupes = !gOneByOne;
    ScanSourceFolder(state, copy);
    if (!only.empty())
        for (const auto &file : SourceFiles()) {
            bool keep = false;
            for (const auto &name : only)
                keep = keep || name == file.fileName;
            if (!keep)
                (state.options.*(file.box)).checked = false;
        }
    std::optional<StepMeter> meter;
    if (print && route.relay) {
        meter.emplace(*route.relay, Name(route.direct, path), state);
        op.onLog = [&meter](const std::string &line) { meter->OnLog(line); };
    }
    std::optional<PageWrites> pages;
    std::int64_t pagesBefore = 0;
    if (print) {
        pages.emplace(Name(route.direct, path));
        pagesBefore = pages->Read();
    }
    const RelayCounts before = route.relay ? route.relay->Counts() : RelayCounts{};
    const auto started = Clock::now();
    const RunOutcome outcome = btnImportationClick(state);
    ImportResult r;
    r.seconds = Seconds(started);
    if (pages)
        r.pageWrites = pages->Read() - pagesBefore;
    r.path = path;
    if (route.relay)
        r.relayed = route.relay->Counts() - before;
    if (meter) {
        op.onLog = nullptr;
        r.seconds -= meter->monitoringSeconds;
        r.steps = meter->steps;
        r.rowsWritten = meter->rowsWritten;
    }
    for (const auto &s : state.summaries) {
        r.rows += s.imported;
        r.lines += s.read;
        if (print)
            std::cout << fmt::format("  {:<20} {:>8} lines imported in {:7.2f} s  {:>9.0f} rows/s\n", s.fileName,
                                     s.imported, s.seconds, s.seconds > 0 ? s.imported / s.seconds : 0.0);
    }
    if (outcome == RunOutcome::Failed || outcome == RunOutcome::Refused || outcome == RunOutcome::InternalError)
        std::cout << "import did not run to its end\n";
    std::filesystem::remove_all(copy);
    return r;
}

std::string PerUnit(double count, double units) {
    return units > 0 ? fmt::format("{:.2f}", count / units) : "-";
}

// The steps' costs through the relay, and the whole import's: round trips per line read and per row written.
void PrintRoundTrips(const ImportResult &r) {
    std::cout << fmt::format("  {:<30} {:>8} {:>8} {:>11} {:>9} {:>8} {:>9}\n", "step", "lines", "rows", "round trips",
                             "per line", "per row", "time");
    const auto line = [](const std::string &name, long lines, std::int64_t rows, std::uint64_t trips, double seconds) {
        std::cout << fmt::format("  {:<30} {:>8} {:>8} {:>11} {:>9} {:>8} {:>7.2f} s\n", name, lines, rows, trips,
                                 PerUnit(trips, lines), PerUnit(trips, rows), seconds);
    };
    for (const auto &s : r.steps)
        line(s.name, s.lines, s.rows, s.roundTrips, s.seconds);
    line("whole import", r.lines, r.rowsWritten.Total(), r.relayed.roundTrips, r.seconds);
    std::cout << fmt::format("  rows written: {} inserted, {} updated, {} deleted\n", r.rowsWritten.inserted,
                             r.rowsWritten.updated, r.rowsWritten.deleted);
    std::cout << fmt::format("  relayed: {} connection(s); to the server {} packets, {} bytes; to the client {} "
                             "packets, {} bytes\n",
                             r.relayed.connections, r.relayed.packetsToServer, r.relayed.bytesToServer,
                             r.relayed.packetsToClient, r.relayed.bytesToClient);
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
    std::vector<double> rtts;
    app.add_option("--source", source)->required();
    app.add_option("--work", work)->required();
    app.add_option("--server", server, "e.g. 127.0.0.1/3050: through a Firebird server instead of embedded");
    app.add_flag("--strict-sample", strictSample, "also import clients and animals under the strict policy");
    app.add_flag("--strict", strictWhole, "also run the whole import under the strict policy (slow)");
    app.add_flag("--no-floor", noFloor);
    app.add_flag("--one-by-one", gOneByOne, "every request to the server on its own (cbEnvoisGroupes off)");
    auto *rttOption = app.add_option("--rtt", rtts, "through a relay adding MS milliseconds to every round trip")
                          ->needs("--server")
                          ->delimiter(',')
                          ->check(CLI::Range(0.0, 1000.0));
    CLI11_PARSE(app, argc, argv);
    std::filesystem::create_directories(work);

    try {
        Route route{server, server};
        std::unique_ptr<LatencyRelay> relay;
        const double rtt = rtts.empty() ? 0.0 : rtts.front();
        const auto oneWay = [](double ms) { return std::chrono::microseconds(std::lround(ms * 500.0)); };
        if (rttOption->count()) {
            const auto [host, port] = bench::SplitServerAddress(server);
            relay = std::make_unique<LatencyRelay>(host, port, oneWay(rtt));
            route.server = fmt::format("127.0.0.1/{}", relay->Port());
            route.relay = relay.get();
            std::cout << fmt::format("through a relay adding {} ms to every round trip ({} ms each way) to {}\n", rtt,
                                     rtt / 2, server);
        }
        std::cout << "import:\n";
        const ImportResult grouped = Import(source, work, route, "IMPORT.FDB", false, {}, true);
        std::cout << fmt::format("import: {} lines in {:.2f} s\n", grouped.rows, grouped.seconds);
        if (relay) {
            std::cout << fmt::format("round trips at {} ms:\n", rtt);
            PrintRoundTrips(grouped);
        }
        double floorSeconds = 0;
        if (!noFloor) {
            long rows = 0;
            RelayCounts before = relay ? relay->Counts() : RelayCounts{};
            floorSeconds = FloorSeconds(grouped.path, work, route.server, false, rows);
            std::cout << fmt::format("rows written: {}; import {:.0f} rows/s, floor {:.0f} rows/s ({:.2f} s)\n", rows,
                                     rows / grouped.seconds, rows / floorSeconds, floorSeconds);
            if (relay) {
                const std::uint64_t trips = (relay->Counts() - before).roundTrips;
                std::cout << fmt::format("floor: {} round trips, {} per row\n", trips, PerUnit(trips, rows));
                before = relay->Counts();
            }
            const double batchedSeconds = FloorSeconds(grouped.path, work, route.server, true, rows);
            std::cout << fmt::format("batched floor: {:.0f} rows/s ({:.2f} s)", rows / batchedSeconds, batchedSeconds);
            if (relay)
                std::cout << fmt::format(", {} round trips", (relay->Counts() - before).roundTrips);
            std::cout << "\n";
            const double pageMs = SyncPageWriteMilliseconds(work);
            const double diskSeconds = static_cast<double>(grouped.pageWrites) * pageMs / 1000.0;
            std::cout << fmt::format("disk's limit: {} page writes x {:.3f} ms (one synchronous 8 KB write here) = "
                                     "{:.2f} s\n",
                                     grouped.pageWrites, pageMs, diskSeconds);
            std::cout << fmt::format("import/batched floor ratio: {:.3f}\n", batchedSeconds / grouped.seconds);
            std::cout << fmt::format("import/disk's limit ratio: {:.3f}\n", diskSeconds / grouped.seconds);
            if (strictSample) {
                const std::vector<std::string> sample = {"CLIENTS.TXT", "ANIMAUX.TXT"};
                const ImportResult g = Import(source, work, route, "SAMPLE_GROUPED.FDB", false, sample, false);
                const ImportResult s = Import(source, work, route, "SAMPLE_STRICT.FDB", true, sample, false);
                std::cout << fmt::format(
                    "clients+animals: grouped {:.0f} lines/s, strict {:.0f} lines/s, speed-up {:.1f}\n",
                    g.rows / g.seconds, s.rows / s.seconds, (g.rows / g.seconds) / (s.rows / s.seconds));
            }
        }
        for (std::size_t k = 1; k < rtts.size(); ++k) {
            relay->SetDelay(oneWay(rtts[k]));
            std::cout << fmt::format("import again through the relay at {} ms:\n", rtts[k]);
            const ImportResult again =
                Import(source, work, route, fmt::format("IMPORT_{}MS.FDB", k), false, {}, true);
            PrintRoundTrips(again);
            std::cout << fmt::format("at {} ms: {:.2f} s, {:.2f} times the {:.2f} s at {} ms\n", rtts[k],
                                     again.seconds, again.seconds / grouped.seconds, grouped.seconds, rtt);
        }
        std::cout << fmt::format("peak memory: {} MB\n", PeakMegabytes());
        if (strictWhole) {
            std::cout << "import under the strict policy:\n";
            const ImportResult s = Import(source, work, route, "STRICT.FDB", true, {}, true);
            std::cout << fmt::format("whole import: grouped {:.2f} s, strict {:.2f} s ({} lines), speed-up {:.1f}\n",
                                     grouped.seconds, s.seconds, s.rows, s.seconds / grouped.seconds);
            if (relay)
                PrintRoundTrips(s);
        }
        if (!noFloor)
            std::cout << fmt::format("import/floor ratio: {:.3f}\n", floorSeconds / grouped.seconds);
    } catch (const std::exception &e) {
        std::cerr << "clinova-bench: " << ToUtf8(e.what()) << "\n";
        return 1;
    }
    return 0;
}
