// Real signals sent to a real clinova-import in the middle of a step: Ctrl+C once and SIGTERM stop the step
// after its current line, the rows are committed, the lists written, and the status says which signal it was;
// embedded and through a server, whose connection the client library must not cut first. A run killed at once
// keeps the log lines it wrote.

#include "faults/FaultSupport.h"
#include "faults/PrivateServer.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

using namespace clinova;
using namespace clinova::test;

namespace {

constexpr int kClients = 20000;

// A source folder with one CLIENTS.TXT long enough for the clients step to run for seconds.
std::string LargeClientsFolder(const TempDir &dir) {
    const auto folder = dir.path() / "large";
    std::filesystem::create_directories(folder);
    std::string content = "ID_CLIENT\tNOM\tPRENOM\tVILLE1\r\n";
    for (int i = 1; i <= kClients; ++i)
        content += "C" + std::to_string(i) + "\tNOM" + std::to_string(i) + "\tPrenom\tLa Rochelle\r\n";
    WriteWholeFile((folder / "CLIENTS.TXT").string(), content);
    return (folder / "").string();
}

struct SignalCase {
    TempDir dir;
    std::string database = FreshDatabase(dir);
    std::string sources = LargeClientsFolder(dir);

    std::vector<std::string> Args(const std::vector<std::string> &extra = {}) const {
        std::vector<std::string> args = {"import", "--source", sources, "--yes"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
};

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Starts the import, waits until the clients step has written for a while, sends the signal, waits for the end.
Outcome ImportAndSignal(const std::vector<std::string> &args, int signal) {
    ChildProcess child(args);
    EXPECT_TRUE(child.WaitForOutput("DEBUT import doImportationClients")) << child.Out() << child.Err();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    child.Signal(signal);
    Outcome outcome;
    outcome.status = child.Wait();
    outcome.out = child.Out();
    outcome.err = child.Err();
    return outcome;
}

// What a stopped run leaves: the step's interruption line, the later steps doing nothing, the clients
// committed exactly as the saved list names them, fewer than the file holds.
void ExpectStoppedCleanly(const std::string &database, const std::string &sources, const std::string &out,
                          const std::string &err) {
    EXPECT_NE(out.find("CLIENTS/interruption de la procédure"), std::string::npos) << out;
    EXPECT_NE(out.find("FIN import doImportationPosologies"), std::string::npos) << out;
    EXPECT_EQ(err.find("connection shutdown"), std::string::npos) << err;
    const int committed = Count(database, "CLIENTS");
    const auto listed = FileLines(sources + "__fSourceIDClientList.txt");
    EXPECT_EQ(static_cast<int>(listed.size()), committed);
    EXPECT_EQ(static_cast<int>(FileLines(sources + "__fDatabaseIDClientList.txt").size()), committed);
    EXPECT_GT(committed, 0);
    EXPECT_LT(committed, kClients);
}

} // namespace

TEST(Signals, CtrlCAndSigtermStopAfterTheCurrentLineAndKeepEverythingCommitted) {
    for (const auto &[signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        SCOPED_TRACE(signal);
        SignalCase c;
        const Outcome run = ImportAndSignal(c.Args({"--database", c.database}), signal);
        EXPECT_EQ(run.status, status) << run.out << run.err;
        ExpectStoppedCleanly(c.database, c.sources, run.out, run.err);
    }
}

TEST(Signals, ThroughAServerTheConnectionOutlivesCtrlC) {
    SignalCase c;
    PrivateServer server(c.dir);
    StartServing(server, c.dir);
    if (IsSkipped() || HasFatalFailure())
        return;
    const std::string address = server.Address();
    const Outcome run = ImportAndSignal(c.Args({"--server", address, "--database", c.database}), SIGINT);
    EXPECT_EQ(run.status, 130) << run.out << run.err;
    server.StopAndRelease(c.database);
    ExpectStoppedCleanly(c.database, c.sources, run.out, run.err);
}

TEST(Signals, AKilledRunKeepsTheLogLinesItWrote) {
    SignalCase c;
    const std::string log = c.sources + "journal.txt";
    ChildProcess child(c.Args({"--database", c.database, "--log", log}));
    ASSERT_TRUE(child.WaitForOutput("DEBUT import doImportationClients")) << child.Out() << child.Err();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    child.Signal(SIGKILL);
    EXPECT_EQ(child.Wait(), 128 + SIGKILL);
    const auto lines = FileLines(log);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "DEBUT import doImportationClients"), lines.end());
    EXPECT_NE(child.Out().find("FIN import doImportationUsers\n"), std::string::npos);
}

TEST(Signals, ASecondCtrlCEndsTheProgramAtOnce) {
    SignalCase c;
    ChildProcess child(c.Args({"--database", c.database}));
    ASSERT_TRUE(child.WaitForOutput("DEBUT import doImportationClients")) << child.Out() << child.Err();
    child.Signal(SIGINT);
    // Apart, so that the two are not merged into one pending signal.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    child.Signal(SIGINT);
    EXPECT_EQ(child.Wait(std::chrono::seconds(30)), 130);
    EXPECT_EQ(child.Out().find("FIN import doImportationPosologies"), std::string::npos) << "not at once";
}
