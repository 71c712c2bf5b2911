// The rehearsal, embedded and through a real server: the practice's database comes out of it as it went in,
// every row and generator; the copy is gone; its files are apart from a real run's, which follows unhindered
// and writes the same report but for the rehearsal's mark and the times.

#include "faults/FaultSupport.h"
#include "faults/PrivateServer.h"

#include "app/DatabaseActions.h"
#include "run/MigrationReport.h"
#include "run/Rehearsal.h"
#include "support/BackupSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

using namespace clinova;
using namespace clinova::test;

namespace {

// The report without what a rehearsal alone says, and without its moments and durations.
std::string Comparable(const std::string &path) {
    std::string html = ReadWholeFile(path);
    for (const char *pattern : {R"(<time>[^<]*</time>)", R"(<p class="mark rehearsal">[^<]*</p>\n)",
                                R"(<tr><th>Copie de la répétition</th><td>[^<]*</td></tr>\n)",
                                R"(<title>[^<]*</title>)", R"(<h1>[^<]*</h1>)"})
        html = std::regex_replace(html, std::regex(pattern), "");
    return html;
}

std::vector<std::string> Entries(const std::string &folder, const std::regex &name) {
    std::vector<std::string> found;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        if (std::regex_match(entry.path().filename().string(), name))
            found.push_back(entry.path().filename().string());
    return found;
}

} // namespace

TEST(Rehearsal, LeavesThePracticesDatabaseAsItWasAndReportsWhatTheImportThenDoes) {
    for (const bool throughServer : {false, true}) {
        SCOPED_TRACE(throughServer ? "through a server" : "embedded");
        ServerCase c;
        if (throughServer) {
            c.Start();
            if (IsSkipped() || HasFatalFailure())
                return;
        }
        const std::string database = throughServer ? c.server.Database(c.path) : c.path;
        const auto settings = [&](RunState &state) {
            if (throughServer)
                c.server.Select(state.options, c.path);
            else
                state.options.edPathNameDatabase = c.path;
            CarefulSettings(state.options);
            ScanSourceFolder(state, c.sources);
        };
        const Snapshot before = TakeSnapshot(database);

        ScriptedOperator op;
        RunState state(op);
        settings(state);
        ASSERT_EQ(RehearseImport(state), RunOutcome::CompletedWithFailures)
            << (op.messages.empty() ? "" : op.messages.back());
        EXPECT_EQ(TakeSnapshot(database), before);
        EXPECT_EQ(state.options.edPathNameDatabase, c.path) << "the settings are the practice's again";
        EXPECT_EQ(Entries(c.dir.path().string(), std::regex(".*_REPETITION_.*\\.fdb")), std::vector<std::string>{});
        // Embedded, its backup goes with the copy; a server keeps it on its own disk.
        EXPECT_EQ(Entries(c.dir.path().string(), std::regex(".*_REPETITION_.*\\.fbk")).size(), throughServer ? 1u : 0u);
        const std::string rehearsal = c.sources + "/REPETITION/";
        EXPECT_TRUE(std::filesystem::exists(rehearsal + "REJETS_CLIENTS.TXT"));
        EXPECT_TRUE(std::filesystem::exists(rehearsal + "JOURNAL_IMPORTATION.TXT"));
        EXPECT_EQ(Entries(c.sources, std::regex("REJETS_.*|JOURNAL_.*|__.*|RAPPORT_.*")), std::vector<std::string>{});

        // The real import is neither guarded against nor resumed from the rehearsal.
        ScriptedOperator realOp;
        RunState real(realOp);
        settings(real);
        ASSERT_EQ(btnImportationClick(real), RunOutcome::CompletedWithFailures)
            << (realOp.messages.empty() ? "" : realOp.messages.back());
        EXPECT_NE(TakeSnapshot(database), before);
        const std::string rehearsed = Comparable(rehearsal + ReportFileName());
        EXPECT_NE(rehearsed.find("Base de données</th><td>" + ToUtf8(TargetDatabaseText(real.options))), std::string::npos);
        EXPECT_EQ(rehearsed, Comparable(c.sources + "/" + ReportFileName()));
        if (throughServer)
            c.server.StopAndRelease(c.path);
    }
}
