// The Firebird server stopped in the middle of an import: the run ends with the error shown, the lists and
// reports are still written, every committed row is kept and named by the lists, every line is accounted
// for; a second run then finishes the import without adding anything twice.

#include "faults/FaultSupport.h"
#include "faults/PrivateServer.h"

#include "database/DatabaseError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>

using namespace clinova;
using namespace clinova::test;

namespace {

// One run through the server, which is stopped when the wait message of a chosen line is shown.
struct ServerRun {
    FaultOperator op;
    RunState state{op};
    RunOutcome outcome = RunOutcome::Refused;

    ServerRun(const PrivateServer &server, const std::string &database, const std::string &sources) {
        CarefulSettings(state.options);
        server.Select(state.options, database);
        ScanSourceFolder(state, sources);
    }
    void Run() { outcome = btnImportationClick(state); }
};

// The value of a column in every data line of a file of the folder, in order (line 1 first).
std::vector<std::string> ColumnOf(const std::string &folder, const std::string &fileName, const std::string &column) {
    const auto lines = FileLines(folder + fileName);
    std::vector<std::string> header;
    std::vector<std::string> values;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = lines[i].find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(lines[i].substr(start, tab - start));
        fields.push_back(lines[i].substr(start));
        if (i == 0) {
            header = fields;
            continue;
        }
        const auto at = std::find(header.begin(), header.end(), column) - header.begin();
        values.push_back(static_cast<std::size_t>(at) < fields.size() ? fields[static_cast<std::size_t>(at)] : "");
    }
    return values;
}

// After the stop: every line of the file up to the stop is either named by the correspondence list (its row
// committed) or has its failure log line, never both; the lines after it are named by one log line; the list
// names exactly the committed rows.
void ExpectEveryLineAccountedFor(const ServerRun &run, const std::string &sources, const std::string &fileName,
                                 const std::vector<std::string> &sourceKeys, const std::string &listName, int stopLine,
                                 const std::string &database, const std::string &table) {
    const auto listed = FileLines(sources + "__fSourceID" + listName + "List.txt");
    const auto targets = FileLines(sources + "__fDatabaseID" + listName + "List.txt");
    ASSERT_EQ(listed.size(), targets.size());
    for (int n = 1; n <= stopLine; ++n) {
        const bool inList =
            std::find(listed.begin(), listed.end(), sourceKeys.at(static_cast<std::size_t>(n - 1))) != listed.end();
        const bool failed = run.op.Logged(fileName + "/ligne " + std::to_string(n) + "/");
        EXPECT_NE(inList, failed) << fileName << " line " << n << ": listed " << inList << ", failed " << failed;
    }
    const int total = static_cast<int>(sourceKeys.size());
    EXPECT_TRUE(run.op.Logged(fileName + "/lignes " + std::to_string(stopLine + 1) + " à " + std::to_string(total) +
                              " non lues : "));
    // Every committed row is kept and named, and nothing the lists name is missing.
    const auto rows = Identifiers(database, table);
    EXPECT_EQ(rows.size(), targets.size());
    for (const auto &id : targets)
        EXPECT_EQ(rows.count(id), 1u) << table << " " << id;
}

} // namespace

// Stopped in the middle of the client lines, under both commit policies: the rows not yet committed are
// lost with the connection, so their lines fail and the lists do not name them. A second run over the
// remaining files, with the duplicate checks, then gives exactly the rows of a clean import.
TEST(ServerStop, InTheClientLinesThenASecondRunFinishesTheImport) {
    const auto &reference = CleanImport().counts;
    for (const bool strict : {false, true}) {
        SCOPED_TRACE(strict ? "strict commits" : "grouped commits");
        ServerCase c;
        c.Start();
        if (IsSkipped() || HasFatalFailure())
            return;
        auto &[dir, path, sources, server] = c;

        ServerRun first(server, path, sources);
        first.state.options.cbCommitParLigne = strict;
        first.op.onWaitMessage = [&](const std::string &message) {
            if (message.rfind("Importation client 20/", 0) == 0)
                server.Stop();
        };
        first.Run();
        EXPECT_EQ(first.outcome, RunOutcome::Failed);
        ASSERT_FALSE(first.op.messages.empty());
        // The box names the database and says what happened before the server's words; the line's log line has
        // the server's words.
        const std::string shown = first.op.messages.back();
        const std::string leadIn = "Erreur de la base de données : la connexion à la base de données a été perdue";
        ASSERT_EQ(shown.rfind(leadIn, 0), 0u) << shown;
        const std::string words = "\nMessage du serveur : ";
        ASSERT_NE(shown.find(words), std::string::npos) << shown;
        const std::string error = shown.substr(shown.find(words) + words.size());
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(first.op.LogStartingWith("CLIENTS.TXT/ligne 20/"),
                  std::vector<std::string>{"CLIENTS.TXT/ligne 20/" + error});
        EXPECT_FALSE(first.op.Logged("FIN import doImportationClients"));
        EXPECT_FALSE(first.op.Logged("DEBUT import doImportationAnimaux"));
        // The lists and reports are written although the run failed.
        EXPECT_TRUE(std::filesystem::exists(sources + "DOUBLONS_CLIENTS.TXT"));
        const auto rejects = FileLines(sources + "REJETS_CLIENTS.TXT");
        const int lost = static_cast<int>(first.op.LogStartingWith("CLIENTS.TXT/ligne ").size());
        EXPECT_EQ(static_cast<int>(rejects.size()), 1 + lost); // the header and each failed line
        if (strict) {
            EXPECT_EQ(lost, 2) << "only the line with a bad date and the line of the stop fail";
        }
        RecordProperty(strict ? "strict_failed_lines" : "grouped_failed_lines", lost);
        RecordProperty(strict ? "strict_committed_clients" : "grouped_committed_clients",
                       static_cast<int>(FileLines(sources + "__fDatabaseIDClientList.txt").size()));

        server.StopAndRelease(path);
        const auto keys = ColumnOf(sources, "CLIENTS.TXT", "ID_CLIENT");
        ExpectEveryLineAccountedFor(first, sources, "CLIENTS.TXT", keys, "Client", 20, path, "CLIENTS");
        EXPECT_EQ(Count(path, "ANIMAUX"), 0);

        ASSERT_EQ(server.Start(), 0) << server.Output();
        ServerRun second(server, path, sources);
        second.state.options.cbCommitParLigne = strict;
        second.state.options.cbCONTACTS.checked = false; // finished by the first run
        second.state.repeat = RepeatPolicy::Allow;            // --again: the interrupted run is not resumed
        second.Run();
        EXPECT_EQ(second.outcome, RunOutcome::CompletedWithFailures);
        server.StopAndRelease(path);
        EXPECT_EQ(TableCounts(path), reference);
        EXPECT_EQ(Rows(path, "select count(distinct NOM || '|' || PRENOM || '|' || CP1) from CLIENTS").at(0),
                  std::to_string(reference.at("CLIENTS")));
        EXPECT_EQ(FileLines(sources + "__fSourceIDClientList.txt").size(),
                  CleanImport().lists.at("__fSourceIDClientList.txt"));
    }
}

// Stopped in the middle of the consultation lines: the clients and animals are complete and listed, the
// committed consultations are kept; a second run in catch-up mode takes the animals from the lists of the
// first and finishes the consultations and the later files without duplicating one.
TEST(ServerStop, InTheConsultationLinesThenACatchUpRunFinishesTheImport) {
    const auto &reference = CleanImport().counts;
    ServerCase c;
    c.Start();
    if (IsSkipped() || HasFatalFailure())
        return;
    auto &[dir, path, sources, server] = c;

    ServerRun first(server, path, sources);
    first.op.onWaitMessage = [&](const std::string &message) {
        if (message.rfind("Importation consultation 120/", 0) == 0)
            server.Stop();
    };
    first.Run();
    EXPECT_EQ(first.outcome, RunOutcome::Failed);
    EXPECT_TRUE(first.op.Logged("FIN import doImportationVilles"));
    EXPECT_FALSE(first.op.Logged("FIN import doImportationConsultations"));
    server.StopAndRelease(path);

    EXPECT_EQ(Count(path, "CLIENTS"), reference.at("CLIENTS"));
    EXPECT_EQ(Count(path, "ANIMAUX"), reference.at("ANIMAUX"));
    EXPECT_EQ(FileLines(sources + "__fSourceIDAnimalList.txt").size(),
              FileLines(sources + "__fDatabaseIDAnimalList.txt").size());
    // The committed consultations are kept and listed (lines of unknown animals are left aside by rule).
    const auto listed = FileLines(sources + "__fDatabaseIDConsultList.txt");
    const auto consultations = Identifiers(path, "CONSULT");
    EXPECT_EQ(consultations.size(), listed.size());
    for (const auto &id : listed)
        EXPECT_EQ(consultations.count(id), 1u) << id;
    EXPECT_TRUE(first.op.Logged("CONSULTATIONS.TXT/lignes 121 à " + std::to_string(DataLines("CONSULTATIONS.TXT")) +
                                " non lues : "));
    RecordProperty("committed_consultations", static_cast<int>(listed.size()));
    RecordProperty("failed_lines", static_cast<int>(first.op.LogStartingWith("CONSULTATIONS.TXT/ligne ").size()));

    ASSERT_EQ(server.Start(), 0) << server.Output();
    ServerRun second(server, path, sources);
    ImportOptions &o = second.state.options;
    o.cbModeRatrapage = true;
    o.edPathIDPrecedentImport = sources;
    for (auto box : {&ImportOptions::cbCONTACTS, &ImportOptions::cbCLIENTS, &ImportOptions::cbANIMAUX,
                     &ImportOptions::cbPOIDS, &ImportOptions::cbVILLES})
        (o.*box).checked = false;
    second.state.repeat = RepeatPolicy::Allow; // --again: the interrupted run is not resumed
    second.Run();
    EXPECT_EQ(second.outcome, RunOutcome::CompletedWithFailures);
    server.StopAndRelease(path);
    // The catch-up form of the events takes each event's client from its animal and so also imports the
    // events whose animal belongs to another client, which a normal run leaves aside.
    const auto eventAnimals = ColumnOf(sources, "EVENEMENTS.TXT", "ID_ANIMAL");
    const auto eventClients = ColumnOf(sources, "EVENEMENTS.TXT", "ID_CLIENT");
    const auto animals = ColumnOf(sources, "ANIMAUX.TXT", "ID_ANIMAL");
    const auto owners = ColumnOf(sources, "ANIMAUX.TXT", "ID_CLIENT");
    int otherOwner = 0;
    for (std::size_t i = 0; i < eventAnimals.size(); ++i) {
        const auto animal = std::find(animals.begin(), animals.end(), eventAnimals[i]);
        if (animal != animals.end() && owners[static_cast<std::size_t>(animal - animals.begin())] != eventClients[i])
            ++otherOwner;
    }
    auto expected = reference;
    expected["EVENTS"] += otherOwner;
    EXPECT_EQ(TableCounts(path), expected);
}
