// A real clinova-import killed with SIGKILL at several points of a run (in the clients, the consultations, the
// events, between two steps, before the lists were written), then `import --resume`: every row of every table,
// every generator and every correspondence list equal those of an uninterrupted import of the same folder into
// a fresh database. The same with the server's process killed and started again. And the resumes that must be
// refused: no journal, a finished run, a file changed since.

#include "faults/FaultSupport.h"
#include "faults/PrivateServer.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <csignal>
#include <fstream>
#include <regex>
#include <algorithm>
#include <random>
#include <sstream>
#include <thread>

using namespace clinova;
using namespace clinova::test;

namespace {

constexpr int kCopies = 10;

// The sample practice made kCopies times larger: each copy's identifiers of clients, animals and events get a
// suffix of their own, so that every copy is a practice of its own with the same kinds of lines (the
// consultations' duplicate check meets the same-day consultations of each copy).
void WriteLargePractice(const std::filesystem::path &folder) {
    std::filesystem::create_directories(folder);
    const auto practice = SourceRoot() / "examples" / "practice";
    for (const auto &entry : std::filesystem::directory_iterator(practice)) {
        const std::string name = entry.path().filename().string();
        const std::string text = ReadWholeFile(entry.path().string());
        const bool multiplied = name == "CLIENTS.TXT" || name == "ANIMAUX.TXT" || name == "POIDS.TXT" ||
                                name == "CONSULTATIONS.TXT" || name == "EVENEMENTS.TXT" || name == "RELANCES.TXT" ||
                                name == "NOTES.TXT";
        if (!multiplied) {
            WriteWholeFile((folder / name).string(), text);
            continue;
        }
        const auto lines = SplitLines(text).lines;
        std::vector<std::string> header;
        {
            std::string field;
            for (const char c : lines.at(0) + "\t") {
                if (c == '\t') {
                    header.push_back(field);
                    field.clear();
                } else {
                    field += c;
                }
            }
        }
        std::string out = lines.at(0) + "\r\n";
        for (int k = 0; k < kCopies; ++k) {
            for (std::size_t l = 1; l < lines.size(); ++l) {
                if (lines[l].empty())
                    continue;
                std::string line;
                std::size_t column = 0;
                std::string field;
                const auto flush = [&](bool last) {
                    const std::string &col = column < header.size() ? header[column] : std::string();
                    if (k > 0 && !field.empty() &&
                        (col == "ID_CLIENT" || col == "ID_ANIMAL" || col == "ID_EVENEMENT"))
                        field += "K" + std::to_string(k);
                    line += field;
                    if (!last)
                        line += '\t';
                    field.clear();
                    ++column;
                };
                for (const char c : lines[l]) {
                    if (c == '\t')
                        flush(false);
                    else
                        field += c;
                }
                flush(true);
                out += line + "\r\n";
            }
        }
        WriteWholeFile((folder / name).string(), out);
    }
}

std::string UsersFile(const TempDir &dir) {
    const std::string path = dir.File("users.txt");
    std::filesystem::copy_file(SourceRoot() / "examples" / "users.txt", path,
                               std::filesystem::copy_options::overwrite_existing);
    return path;
}

std::vector<std::string> ImportArgs(const std::string &database, const std::string &sources, const std::string &users,
                                    const std::vector<std::string> &extra = {}) {
    std::vector<std::string> args = {"import", "--source", sources, "--yes", "--database", database,
                                     "--users", users, "--set", "cbDedoublonageConsult=1"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

// Today as the rows show dates.
std::string SelectToday() {
    const std::time_t now = std::time(nullptr);
    char text[16];
    std::strftime(text, sizeof text, "%d/%m/%Y", std::localtime(&now));
    return text;
}

// Everything an import leaves: the rows of each table (all columns, in a fixed order), the generators, the
// correspondence lists the run wrote.
struct Result {
    std::map<std::string, std::vector<std::string>> tables;
    std::map<std::string, std::string> generators;
    std::map<std::string, std::string> lists;
};

// The moments a run writes of itself (a loyalty card's creation, an appointment's last change) are the time of
// the run, not the practice's data.
std::string WithoutRunTimes(const std::string &row) {
    static const std::regex moment(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)");
    const std::string today = SelectToday();
    std::string out;
    std::sregex_iterator it(row.begin(), row.end(), moment), end;
    std::size_t last = 0;
    for (; it != end; ++it) {
        out += row.substr(last, static_cast<std::size_t>(it->position()) - last);
        out += it->str().substr(0, 10) == today ? "<run time>" : it->str();
        last = static_cast<std::size_t>(it->position() + it->length());
    }
    return out + row.substr(last);
}

Result ResultOf(const std::string &database, const std::string &sources) {
    Result r;
    TargetDatabase db;
    db.Open(database);
    for (const auto &table : ImportedTables()) {
        auto rows = SelectRows(db, "select * from " + table);
        for (auto &row : rows)
            row = WithoutRunTimes(row);
        std::sort(rows.begin(), rows.end());
        r.tables[table] = rows;
    }
    for (const auto &name :
         SelectRows(db, "select trim(RDB$GENERATOR_NAME) from RDB$GENERATORS where coalesce(RDB$SYSTEM_FLAG, 0) = 0"))
        r.generators[name] = SelectRows(db, "select GEN_ID(\"" + name + "\", 0) from RDB$DATABASE").at(0);
    db.Close();
    // A killed run may leave the temporary file of a list it was writing (NAME.xxxx.tmp): not a list.
    for (const auto &entry : std::filesystem::directory_iterator(sources))
        if (entry.path().filename().string().rfind("__", 0) == 0 && entry.path().extension() == ".txt")
            r.lists[entry.path().filename().string()] = ReadWholeFile(entry.path().string());
    return r;
}

void ExpectSameResult(const Result &expected, const Result &actual) {
    for (const auto &[table, rows] : expected.tables) {
        const auto &got = actual.tables.at(table);
        EXPECT_EQ(got.size(), rows.size()) << table;
        if (got != rows) {
            std::size_t i = 0;
            while (i < rows.size() && i < got.size() && rows[i] == got[i])
                ++i;
            ADD_FAILURE() << table << " differs at row " << i << ":\n  expected "
                          << (i < rows.size() ? rows[i] : "<none>") << "\n  actual   "
                          << (i < got.size() ? got[i] : "<none>");
        }
    }
    EXPECT_EQ(actual.generators, expected.generators);
    EXPECT_EQ(actual.lists.size(), expected.lists.size());
    for (const auto &[name, text] : expected.lists) {
        const std::string got = actual.lists.count(name) ? actual.lists.at(name) : std::string();
        if (got == text)
            continue;
        std::size_t i = 0;
        while (i < got.size() && i < text.size() && got[i] == text[i])
            ++i;
        const std::size_t from = i > 40 ? i - 40 : 0;
        ADD_FAILURE() << name << " differs at byte " << i << " of " << text.size() << " (" << got.size()
                      << "):\n  expected " << text.substr(from, 80) << "\n  actual   " << got.substr(from, 80);
    }
}

// The rejects, warnings and lines-left-aside files of a resumed run hold the lines of the uninterrupted run's, in
// its order.
void ExpectSameReports(const std::filesystem::path &expectedFolder, const std::string &actualFolder) {
    int reports = 0;
    int ignored = 0;
    for (const auto &entry : std::filesystem::directory_iterator(expectedFolder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("IGNOREES_", 0) == 0)
            ++ignored;
        else if (name.rfind("REJETS_", 0) != 0 && name.rfind("AVERTISSEMENTS_", 0) != 0)
            continue;
        ++reports;
        const std::string actual = actualFolder + name;
        EXPECT_TRUE(std::filesystem::exists(actual)) << name;
        if (std::filesystem::exists(actual)) {
            EXPECT_EQ(ReadWholeFile(actual), ReadWholeFile(entry.path().string())) << name;
        }
    }
    EXPECT_GT(reports, 5);
    EXPECT_GT(ignored, 5);
    // And no report the uninterrupted run did not write (the killed run may leave the temporary file of a report
    // it was writing, NAME.xxxx.tmp: not a report).
    for (const auto &entry : std::filesystem::directory_iterator(actualFolder)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".tmp")
            continue;
        if (name.rfind("IGNOREES_", 0) == 0 || name.rfind("REJETS_", 0) == 0 || name.rfind("AVERTISSEMENTS_", 0) == 0) {
            EXPECT_TRUE(std::filesystem::exists(expectedFolder / name)) << name;
        }
    }
}

// The log lines about one line of a file ("CLIENTS.TXT/ligne 5/..."), sorted.
std::vector<std::string> LineLogLines(const std::string &out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        if (line.find(".TXT/ligne ") != std::string::npos)
            lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// No temporary file of the tool is left in the folder.
void ExpectNoTemporaryFile(const std::string &folder) {
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

// The generated folder and the result of its uninterrupted import, made once.
struct LargeReference {
    TempDir dir;
    std::filesystem::path folder = dir.path() / "large";
    std::string users = UsersFile(dir);
    Result result;
    int status = -1;
    std::string out;
};

LargeReference *MakeReference(const std::vector<std::string> &settings) {
    auto *r = new LargeReference;
    WriteLargePractice(r->folder);
    const std::string sources = (r->dir.path() / "reference" / "").string();
    std::filesystem::copy(r->folder, sources);
    const std::string database = FreshDatabase(r->dir, "REFERENCE.FDB");
    ChildProcess child(ImportArgs(database, sources, r->users, settings));
    r->status = child.Wait();
    r->out = child.Out();
    r->result = ResultOf(database, sources);
    return r;
}

const LargeReference &UninterruptedImport() {
    static LargeReference *reference = MakeReference({});
    return *reference;
}

// The duplicate checks of the clients and animals on too.
const std::vector<std::string> kDuplicateChecks = {"--set", "cbDedoublonageClients=1", "--set",
                                                   "cbDedoublonageAnimaux=1"};

// One case: a fresh database and a copy of the generated folder.
struct Case {
    TempDir dir;
    std::string database = FreshDatabase(dir);
    std::string sources;
    std::string journal;
    Case() {
        sources = (dir.path() / "practice" / "").string();
        std::filesystem::copy(UninterruptedImport().folder, sources);
        journal = sources + "JOURNAL_IMPORTATION.TXT";
    }
};

// A case whose database a private server on 127.0.0.1 serves, once Start() is called (as StartServing).
struct ServedCase : Case {
    PrivateServer server{dir};
    void Start() { StartServing(server, dir); }
    std::string Address() const { return server.Address(); }
};

bool JournalHas(const std::string &path, const std::string &text) {
    std::ifstream in(path, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return content.find(text) != std::string::npos;
}

// Waits until the journal holds the text; false after the limit.
bool WaitUntilJournalHas(const std::string &journal, const std::string &text,
                         std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!JournalHas(journal, text)) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs the import until the journal holds the text (a step's lines committed, a step ended), then kills it.
// False when the run ended before.
bool KillWhenJournalHas(const std::vector<std::string> &args, const std::string &journal, const std::string &text) {
    ChildProcess child(args);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!JournalHas(journal, text + "\t") && !JournalHas(journal, text + "\n")) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    child.Signal(SIGKILL);
    const int status = child.Wait();
    return status == 128 + SIGKILL;
}

struct ChildRun {
    int status;
    std::string out, err;
};

ChildRun Import(const std::vector<std::string> &args) {
    ChildProcess child(args);
    ChildRun run;
    run.status = child.Wait();
    run.out = child.Out();
    run.err = child.Err();
    return run;
}

} // namespace

TEST(Resume, KilledInAStepOrBetweenStepsTheResumeEndsAsAnUninterruptedImport) {
    const LargeReference &reference = UninterruptedImport();
    // The sample practice holds lines that fail on purpose.
    ASSERT_EQ(reference.status, 3) << reference.out;
    ASSERT_GT(reference.result.tables.at("CONSULT").size(), 1000u);

    // Where the kill falls: some lines of a large step committed, or a step just ended.
    for (const std::string trigger : {"E\tCLIENTS.TXT", "E\tCONSULTATIONS.TXT", "E\tEVENEMENTS.TXT",
                                      "S\tdoImportationAnimaux", "S\tdoImportationVilles"}) {
        SCOPED_TRACE(trigger);
        Case c;
        ASSERT_TRUE(KillWhenJournalHas(ImportArgs(c.database, c.sources, reference.users), c.journal, trigger));
        ASSERT_FALSE(JournalHas(c.journal, "\nFIN\n")) << "the run was killed before its end";
        const ChildRun resumed = Import(ImportArgs(c.database, c.sources, reference.users, {"--resume"}));
        EXPECT_EQ(resumed.status, 3) << resumed.out << resumed.err;
        EXPECT_NE(resumed.out.find("déjà importée"), std::string::npos) << resumed.out;
        ExpectSameResult(reference.result, ResultOf(c.database, c.sources));
        EXPECT_TRUE(JournalHas(c.journal, "\nFIN\n")) << resumed.out;
        ExpectSameReports(reference.folder.parent_path() / "reference", c.sources);
        // Every failed line and warning is logged again, also those of the steps the killed run finished.
        EXPECT_EQ(LineLogLines(resumed.out), LineLogLines(reference.out));
        ExpectNoTemporaryFile(c.sources);
    }
}

// The duplicate checks prepare the rows already in the database before the first line; a resume finds the rows
// the killed run wrote as it wrote them, and prepares nothing again.
TEST(Resume, WithTheDuplicateChecksTheResumeEndsAsAnUninterruptedImport) {
    static const LargeReference *reference = MakeReference(kDuplicateChecks);
    for (const std::string trigger : {"E\tCLIENTS.TXT", "E\tANIMAUX.TXT"}) {
        SCOPED_TRACE(trigger);
        Case c;
        ASSERT_TRUE(KillWhenJournalHas(ImportArgs(c.database, c.sources, reference->users, kDuplicateChecks),
                                       c.journal, trigger));
        std::vector<std::string> resume = kDuplicateChecks;
        resume.push_back("--resume");
        const ChildRun resumed = Import(ImportArgs(c.database, c.sources, reference->users, resume));
        EXPECT_EQ(resumed.status, 3) << resumed.out << resumed.err;
        ExpectSameResult(reference->result, ResultOf(c.database, c.sources));
    }
}

TEST(Resume, KilledWhileTheListsWereWrittenTheResumeWritesThemAndImportsNothingTwice) {
    const LargeReference &reference = UninterruptedImport();
    Case c;
    ASSERT_EQ(Import(ImportArgs(c.database, c.sources, reference.users)).status, 3);
    // What a kill during the lists' writing leaves: every step recorded as ended, the run not finished, the
    // lists missing or cut.
    std::string journal = ReadWholeFile(c.journal);
    ASSERT_EQ(journal.substr(journal.size() - 4), "FIN\n");
    WriteWholeFile(c.journal, journal.substr(0, journal.size() - 4));
    for (const auto &[name, text] : reference.result.lists)
        std::filesystem::remove(c.sources + name);
    WriteWholeFile(c.sources + "__fSourceIDClientList.txt", "C1\r\n");

    const ChildRun resumed = Import(ImportArgs(c.database, c.sources, reference.users, {"--resume"}));
    EXPECT_EQ(resumed.status, 3) << resumed.out << resumed.err;
    EXPECT_NE(resumed.out.find("étape déjà faite par l'importation interrompue : Événements"),
              std::string::npos)
        << resumed.out;
    ExpectSameResult(reference.result, ResultOf(c.database, c.sources));
}

TEST(Resume, KilledAsTheFirstListFileAppears) {
    const LargeReference &reference = UninterruptedImport();
    // The lists take milliseconds to write: a kill meant for them may come after the run's end, and is tried again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        Case c;
        {
            ChildProcess child(ImportArgs(c.database, c.sources, reference.users));
            ASSERT_TRUE(child.WaitForOutput("FIN import doImportationPosologies")) << child.Out();
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            const auto listStarted = [&] {
                for (const auto &entry : std::filesystem::directory_iterator(c.sources))
                    if (entry.path().filename().string().rfind("__", 0) == 0)
                        return true;
                return false;
            };
            while (!listStarted() && std::chrono::steady_clock::now() < limit)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            child.Signal(SIGKILL);
            child.Wait();
        }
        if (JournalHas(c.journal, "\nFIN\n"))
            continue;
        const ChildRun resumed = Import(ImportArgs(c.database, c.sources, reference.users, {"--resume"}));
        EXPECT_EQ(resumed.status, 3) << resumed.out << resumed.err;
        ExpectSameResult(reference.result, ResultOf(c.database, c.sources));
        ExpectNoTemporaryFile(c.sources);
        return;
    }
    GTEST_SKIP() << "the run always ended before the kill";
}

TEST(Resume, ThroughAServerKilledAndStartedAgain) {
    const LargeReference &reference = UninterruptedImport();
    ServedCase c;
    c.Start();
    if (IsSkipped() || HasFatalFailure())
        return;
    PrivateServer &server = c.server;
    const auto address = [&] { return c.Address(); };

    {
        ChildProcess child(ImportArgs(c.database, c.sources, reference.users, {"--server", address()}));
        ASSERT_TRUE(WaitUntilJournalHas(c.journal, "E\tCONSULTATIONS.TXT\t")) << child.Out();
        server.Signal(SIGKILL);
        const int status = child.Wait();
        EXPECT_NE(status, 0) << child.Out();
    }
    server.StopAndRelease(c.database);
    ASSERT_EQ(server.Start(), 0) << server.Output();
    GiveToServer(c.dir);
    const ChildRun resumed = Import(ImportArgs(c.database, c.sources, reference.users, {"--server", address(), "--resume"}));
    EXPECT_EQ(resumed.status, 3) << resumed.out << resumed.err;
    server.StopAndRelease(c.database);
    ExpectSameResult(reference.result, ResultOf(c.database, c.sources));
}

TEST(Resume, RefusedWithoutJournalAfterAFinishedRunAndOnAChangedFile) {
    const LargeReference &reference = UninterruptedImport();
    Case c;
    const auto args = ImportArgs(c.database, c.sources, reference.users, {"--resume"});

    ChildRun run = Import(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Reprise impossible : aucun journal d'importation"), std::string::npos) << run.err;
    EXPECT_EQ(Count(c.database, "CLIENTS"), 0);

    ASSERT_TRUE(KillWhenJournalHas(ImportArgs(c.database, c.sources, reference.users), c.journal,
                                   "E\tCONSULTATIONS.TXT"));
    const int consultations = Count(c.database, "CONSULT");
    // A line added to the events since the crash: another export, not the one the journal describes.
    WriteWholeFile(c.sources + "EVENEMENTS.TXT", ReadWholeFile(c.sources + "EVENEMENTS.TXT") + "X\r\n");
    run = Import(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Reprise impossible : le fichier EVENEMENTS.TXT a changé"), std::string::npos) << run.err;
    // Other settings than the interrupted run's.
    run = Import(ImportArgs(c.database, c.sources, reference.users, {"--resume", "--set", "cbAjout=1"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Reprise impossible : le réglage cbAjout"), std::string::npos) << run.err;
    EXPECT_EQ(Count(c.database, "CONSULT"), consultations);

    Case finished;
    ASSERT_EQ(Import(ImportArgs(finished.database, finished.sources, reference.users)).status, 3);
    run = Import(ImportArgs(finished.database, finished.sources, reference.users, {"--resume"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("allée à son terme"), std::string::npos) << run.err;
    ExpectSameResult(reference.result, ResultOf(finished.database, finished.sources));
}

namespace {

// The last whole line of a file.
std::string LastLine(const std::string &path) {
    const std::string text = ReadWholeFile(path);
    const auto end = text.rfind('\n');
    if (end == std::string::npos)
        return {};
    const auto start = text.rfind('\n', end - 1);
    return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1));
}

// The run killed by the kernel at its nth write to the journal (strace's fault injection). True when the kill fell
// right after a commit, before the journal said the commit was made: the journal ends on a closed record.
bool KilledAfterACommit(const std::vector<std::string> &args, const std::string &journal, int nth) {
    // Not --seccomp-bpf: with it, strace does not match the descriptors by their path.
    ChildProcess child(args, {"/usr/bin/strace", "-f", "-o", "/dev/null", "-e", "trace=write", "-e",
                              "inject=write:signal=SIGKILL:when=" + std::to_string(nth), "-P", journal});
    if (child.Wait() != 128 + SIGKILL)
        return false;
    const std::string last = LastLine(journal);
    return last.rfind("P\t", 0) == 0 && last.rfind("P\t0\t", 0) != 0;
}

bool StraceMissing() { return !std::filesystem::exists("/usr/bin/strace"); }

} // namespace

TEST(Resume, KilledBetweenACommitAndItsRecordTheResumeEndsAsAnUninterruptedImport) {
    if (StraceMissing())
        GTEST_SKIP() << "strace is not installed";
    const LargeReference &reference = UninterruptedImport();
    int settled = 0;
    for (int nth = 2; nth <= 20 && settled < 2; ++nth) {
        SCOPED_TRACE(nth);
        Case c;
        if (!KilledAfterACommit(ImportArgs(c.database, c.sources, reference.users), c.journal, nth))
            continue;
        ++settled;
        const ChildRun resumed = Import(ImportArgs(c.database, c.sources, reference.users, {"--resume"}));
        EXPECT_EQ(resumed.status, 3) << resumed.out << resumed.err;
        ExpectSameResult(reference.result, ResultOf(c.database, c.sources));
        ExpectSameReports(reference.folder.parent_path() / "reference", c.sources);
    }
    EXPECT_GT(settled, 0) << "no kill fell between a commit and its record";
}

TEST(Resume, ThroughAServerKilledBetweenACommitAndItsRecord) {
    if (StraceMissing())
        GTEST_SKIP() << "strace is not installed";
    const LargeReference &reference = UninterruptedImport();
    for (int nth = 2; nth <= 20; ++nth) {
        SCOPED_TRACE(nth);
        ServedCase c;
        c.Start();
        if (IsSkipped() || HasFatalFailure())
            return;
        PrivateServer &server = c.server;
        const std::string address = c.Address();
        if (!KilledAfterACommit(ImportArgs(c.database, c.sources, reference.users, {"--server", address}), c.journal,
                                nth)) {
            server.StopAndRelease(c.database);
            continue;
        }
        const ChildRun resumed =
            Import(ImportArgs(c.database, c.sources, reference.users, {"--server", address, "--resume"}));
        EXPECT_EQ(resumed.status, 3) << resumed.out << resumed.err;
        server.StopAndRelease(c.database);
        ExpectSameResult(reference.result, ResultOf(c.database, c.sources));
        return;
    }
    ADD_FAILURE() << "no kill fell between a commit and its record";
}

TEST(Resume, AFrozenServerIsToldAndASignalEndsTheRunAtOnceThenTheResumeFinishesIt) {
    const LargeReference &reference = UninterruptedImport();
    ServedCase c;
    c.Start();
    if (IsSkipped() || HasFatalFailure())
        return;
    PrivateServer &server = c.server;
    const std::string address = c.Address();
    {
        ChildProcess child(ImportArgs(c.database, c.sources, reference.users, {"--server", address}));
        ASSERT_TRUE(WaitUntilJournalHas(c.journal, "E\tCONSULTATIONS.TXT\t")) << child.Out();
        server.Signal(SIGSTOP);
        EXPECT_TRUE(child.WaitForError("Le serveur ne répond plus depuis 5 s", std::chrono::seconds(20)))
            << child.Err();
        const auto signalled = std::chrono::steady_clock::now();
        child.Signal(SIGTERM);
        EXPECT_EQ(child.Wait(std::chrono::seconds(30)), 143) << child.Out() << child.Err();
        EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(5));
        EXPECT_NE(child.Err().find(" --resume"), std::string::npos) << child.Err();
        server.Signal(SIGCONT);
    }
    const ChildRun resumed =
        Import(ImportArgs(c.database, c.sources, reference.users, {"--server", address, "--resume"}));
    EXPECT_EQ(resumed.status, 3) << resumed.out << resumed.err;
    server.StopAndRelease(c.database);
    ExpectSameResult(reference.result, ResultOf(c.database, c.sources));
}

// Random kills of the program and of the server, each followed by a resume, until a run goes to its end: the
// same rows, lists and reports as the uninterrupted import. The seed is in the test's output.
TEST(Resume, ChaosOfKilledRunsAndServersEndsAsAnUninterruptedImport) {
    const LargeReference &reference = UninterruptedImport();
    ServedCase c;
    c.Start();
    if (IsSkipped() || HasFatalFailure())
        return;
    PrivateServer &server = c.server;
    const auto address = [&] { return c.Address(); };
    const unsigned seed = std::random_device{}();
    RecordProperty("seed", static_cast<int>(seed));
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    // The records of an uninterrupted run: each kill falls at a record drawn among those still to come.
    const std::string written = ReadWholeFile((reference.folder.parent_path() / "reference" / "").string() +
                                              "JOURNAL_IMPORTATION.TXT");
    unsigned records = 0;
    for (auto p = written.find("\nP\t"); p != std::string::npos; p = written.find("\nP\t", p + 1))
        ++records;
    ASSERT_GT(records, 10u);
    unsigned at = 0;
    int kills = 0;
    for (int round = 0; round < 6; ++round) {
        std::vector<std::string> extra = {"--server", address()};
        // Killed before its journal was there, the run is started again as new.
        if (std::filesystem::exists(c.journal))
            extra.push_back("--resume");
        ChildProcess child(ImportArgs(c.database, c.sources, reference.users, extra));
        const bool last = round == 5;
        if (!last) {
            at += 1 + random() % std::max(1u, (records - std::min(at, records)) / 4);
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (!JournalHas(c.journal, "\nP\t" + std::to_string(at) + "\t") &&
                   std::chrono::steady_clock::now() < limit)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            // Anywhere in the moments after the record: before, during or after its commit.
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
            if (random() % 3 == 0) {
                server.Signal(SIGKILL);
                child.Wait();
                server.StopAndRelease(c.database);
                ASSERT_EQ(server.Start(), 0) << server.Output();
                GiveToServer(c.dir);
            } else {
                child.Signal(SIGKILL);
            }
        }
        const int status = child.Wait();
        if (status == 3)
            break;
        ASSERT_FALSE(last) << status << child.Out() << child.Err();
        ++kills;
    }
    EXPECT_GE(kills, 2);
    RecordProperty("kills", kills);
    server.StopAndRelease(c.database);
    ExpectSameResult(reference.result, ResultOf(c.database, c.sources));
    ExpectSameReports(reference.folder.parent_path() / "reference", c.sources);
}

TEST(Resume, OneRunAtATimeInAFolderAndInADatabase) {
    const LargeReference &reference = UninterruptedImport();
    ServedCase c;
    c.Start();
    if (IsSkipped() || HasFatalFailure())
        return;
    Case other;
    PrivateServer &server = c.server;
    const std::string address = c.Address();

    // The first run is frozen in the middle of its consultations while the others try.
    ChildProcess first(ImportArgs(c.database, c.sources, reference.users, {"--server", address}));
    ASSERT_TRUE(WaitUntilJournalHas(c.journal, "E\tCONSULTATIONS.TXT\t")) << first.Out();
    first.Signal(SIGSTOP);
    const ChildRun sameFolder = Import(ImportArgs(other.database, c.sources, reference.users));
    EXPECT_EQ(sameFolder.status, 1) << sameFolder.out << sameFolder.err;
    EXPECT_NE(sameFolder.err.find("Une autre importation utilise déjà le dossier"), std::string::npos)
        << sameFolder.err;
    EXPECT_NE(sameFolder.err.find("processus"), std::string::npos) << "the other run is named: " << sameFolder.err;
    const ChildRun sameDatabase = Import(ImportArgs(c.database, other.sources, reference.users, {"--server", address}));
    EXPECT_EQ(sameDatabase.status, 1) << sameDatabase.out << sameDatabase.err;
    EXPECT_NE(sameDatabase.err.find("Une autre importation écrit déjà dans la base de données"), std::string::npos)
        << sameDatabase.err;
    first.Signal(SIGCONT);
    EXPECT_EQ(first.Wait(), 3) << first.Out();
    server.StopAndRelease(c.database);
    ExpectSameResult(reference.result, ResultOf(c.database, c.sources));
    EXPECT_EQ(Count(other.database, "CLIENTS"), 0);
    EXPECT_FALSE(std::filesystem::exists(other.journal));
}

TEST(Resume, APlainRunAfterAnInterruptionIsRefusedAndTheResumeTrustsNothingChanged) {
    const LargeReference &reference = UninterruptedImport();
    Case c;
    // Ctrl+C: the run stops after its line and says how to finish.
    {
        ChildProcess child(ImportArgs(c.database, c.sources, reference.users));
        ASSERT_TRUE(WaitUntilJournalHas(c.journal, "E\tCONSULTATIONS.TXT\t")) << child.Out();
        child.Signal(SIGINT);
        EXPECT_EQ(child.Wait(), 130);
        EXPECT_NE(child.Err().find("Pour terminer l'importation : clinova-import import --source " + c.sources),
                  std::string::npos)
            << child.Err();
        EXPECT_NE(child.Err().find(" --resume\n"), std::string::npos) << child.Err();
        // The signal falls in the consultations or just after them; the events are not imported.
        const std::string out = child.Out();
        const auto left = out.find("pas ou pas entièrement importés : ");
        ASSERT_NE(left, std::string::npos) << out;
        EXPECT_NE(out.find("EVENEMENTS.TXT", left), std::string::npos) << out;
        EXPECT_NE(out.find("Pour terminer sans rien copier deux fois", left), std::string::npos) << out;
    }
    const int consultations = Count(c.database, "CONSULT");
    const ChildRun plain = Import(ImportArgs(c.database, c.sources, reference.users));
    EXPECT_EQ(plain.status, 1) << plain.out << plain.err;
    EXPECT_NE(plain.err.find("--resume"), std::string::npos) << plain.err;
    EXPECT_NE(plain.err.find("--again"), std::string::npos) << plain.err;
    EXPECT_EQ(Count(c.database, "CONSULT"), consultations);

    const auto resumeRefused = [&](const std::string &expected) {
        const ChildRun run = Import(ImportArgs(c.database, c.sources, reference.users, {"--resume"}));
        EXPECT_EQ(run.status, 1) << run.out << run.err;
        EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
        EXPECT_EQ(Count(c.database, "CONSULT"), consultations);
    };
    // A record's count edited.
    const std::string journal = ReadWholeFile(c.journal);
    std::smatch count;
    ASSERT_TRUE(std::regex_search(journal, count, std::regex("E\tCONSULTATIONS.TXT\t(\\d+)\n")));
    WriteWholeFile(c.journal, journal.substr(0, static_cast<std::size_t>(count.position(1))) +
                                  std::to_string(std::stoi(count[1]) + 100) +
                                  journal.substr(static_cast<std::size_t>(count.position(1) + count.length(1))));
    resumeRefused("altéré");
    WriteWholeFile(c.journal, journal);
    // A byte changed in the middle of a file, its size and time kept.
    const std::string events = c.sources + "EVENEMENTS.TXT";
    const std::string text = ReadWholeFile(events);
    const auto time = std::filesystem::last_write_time(events);
    std::string edited = text;
    const std::size_t middle = edited.find('\t', edited.size() / 2) + 1;
    edited[middle] = edited[middle] == 'A' ? 'B' : 'A';
    WriteWholeFile(events, edited);
    std::filesystem::last_write_time(events, time);
    resumeRefused("le fichier EVENEMENTS.TXT a changé");
    WriteWholeFile(events, text);
    // Another database at the same path (a copy of the empty database the tests start from: it has the same
    // creation time, so only the rows it lacks tell it apart).
    const std::string saved = c.database + ".saved";
    std::filesystem::copy_file(c.database, saved);
    TempDir elsewhere;
    std::filesystem::copy_file(FreshDatabase(elsewhere), c.database, std::filesystem::copy_options::overwrite_existing);
    {
        const ChildRun run = Import(ImportArgs(c.database, c.sources, reference.users, {"--resume"}));
        EXPECT_EQ(run.status, 1) << run.out << run.err;
        EXPECT_NE(run.err.find("Reprise impossible : la base de données "), std::string::npos) << run.err;
        EXPECT_EQ(Count(c.database, "CONSULT"), 0);
    }
    std::filesystem::copy_file(saved, c.database, std::filesystem::copy_options::overwrite_existing);

    const ChildRun resumed = Import(ImportArgs(c.database, c.sources, reference.users, {"--resume"}));
    EXPECT_EQ(resumed.status, 3) << resumed.out << resumed.err;
    ExpectSameResult(reference.result, ResultOf(c.database, c.sources));
}
