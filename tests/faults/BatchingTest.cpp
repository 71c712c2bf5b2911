// Sparing the round trips to the server changes how the requests travel, never what a run writes: the same
// practice imported with the requests grouped and one by one gives the same rows (NULL and empty texts told
// apart), the same generator values, the same log and the same files beside the sources, embedded and through
// a server.

#include "faults/FaultSupport.h"
#include "faults/PrivateServer.h"
#include "support/BackupSupport.h"

#include "normalized/DateTime.h"

#include <regex>

using namespace clinova;
using namespace clinova::test;

namespace {

struct RunResult {
    Snapshot database;
    std::vector<std::string> log;
    std::map<std::string, std::string> files; // written beside the sources
};

// The moments the run stamps itself (today, at some time) and the summary's times differ from run to run.
std::string Masked(const std::string &text) {
    static const std::regex now(FormatDMY(Today()) + " [0-9:]{8}");
    static const std::regex seconds("[0-9]+,[0-9] s");
    return std::regex_replace(std::regex_replace(text, now, "NOW"), seconds, "T");
}

// Imports the folder into the database (a path, or a server's address and path through select) and reads
// back everything the run left.
RunResult Import(const std::string &sources, const std::function<void(ImportOptions &)> &select,
                 const std::string &databaseName, bool batching) {
    ScriptedOperator op;
    RunState state(op);
    CarefulSettings(state.options);
    select(state.options);
    state.options.cbEnvoisGroupes = batching;
    ScanSourceFolder(state, sources);
    btnImportationClick(state);

    RunResult result;
    for (const auto &line : op.log)
        if (line.rfind("Fichiers écrits dans ", 0) != 0)
            result.log.push_back(Masked(line));
    for (const auto &entry : std::filesystem::directory_iterator(sources)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("__", 0) == 0 || name.rfind("REJETS_", 0) == 0 || name.rfind("DOUBLONS_", 0) == 0 ||
            name.rfind("AVERTISSEMENTS_", 0) == 0 || name.rfind("IGNOREES_", 0) == 0)
            result.files[name] = ReadWholeFile(entry.path().string());
    }
    result.database = TakeSnapshot(databaseName);
    for (auto &[table, rows] : result.database)
        for (auto &row : rows)
            row = Masked(row);
    return result;
}

// A contact refused when its rows are sent, filed under a category the step already knew, has drawn the
// identifier of its membership, which no row then receives: with such refusals the memberships are compared
// without their identifiers, and their generator may be ahead.
void ForgetMembershipIdentifiers(RunResult &run) {
    for (auto &row : run.database["CONTACT_OF_CAT"])
        row = row.substr(row.find('|'));
    std::sort(run.database["CONTACT_OF_CAT"].begin(), run.database["CONTACT_OF_CAT"].end());
    run.database.erase("generator CURRENT_ID_CONTACT_OF_CAT");
}

void ExpectSameRun(const RunResult &grouped, const RunResult &oneByOne) {
    EXPECT_GT(RowCount(grouped.database), 500u);
    EXPECT_EQ(grouped.log, oneByOne.log);
    EXPECT_EQ(grouped.files, oneByOne.files);
    ASSERT_EQ(grouped.database.size(), oneByOne.database.size());
    for (const auto &[name, rows] : grouped.database)
        EXPECT_EQ(rows, oneByOne.database.at(name)) << name;
}

// The sample practice, and a larger one made of several copies of it with identifiers of their own.
std::vector<std::string> Practices(const TempDir &dir, const std::string &prefix) {
    std::vector<std::string> folders{CopyPractice(dir, prefix + "sample")};
    const auto generator = std::filesystem::path(CLINOVA_BINARY_DIR) / "bench" / "clinova-bench-generate";
    if (std::filesystem::exists(generator)) {
        const auto folder = dir.path() / (prefix + "copies");
        const std::string command = generator.string() + " --copies 4 --from " +
                                    (SourceRoot() / "examples" / "practice").string() + " --output " +
                                    folder.string() + " >/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0);
        folders.push_back((folder / "").string());
    }
    return folders;
}

} // namespace

TEST(Batching, EmbeddedRunsAreTheSameGroupedAndOneByOne) {
    TempDir dir;
    for (const std::string &practice : Practices(dir, "")) {
        RunResult runs[2];
        for (const bool batching : {true, false}) {
            const std::string database = FreshDatabase(dir, batching ? "GROUPED.FDB" : "ONE_BY_ONE.FDB");
            const std::string sources = practice;
            // Each run reads its own copy of the folder: the files it writes there are compared.
            const std::string copy = (dir.path() / (batching ? "g" : "o")).string();
            std::filesystem::remove_all(copy);
            std::filesystem::copy(sources, copy);
            runs[batching ? 0 : 1] = Import(
                copy + "/", [&](ImportOptions &o) { o.edPathNameDatabase = database; }, database, batching);
        }
        SCOPED_TRACE(practice);
        ExpectSameRun(runs[0], runs[1]);
    }
}

namespace {

// The database refuses some rows the import writes (checks the product's schema does not have): two contacts
// (one when its new category is looked for, one filed under a category already known), a client, the caller
// identification of another (which is not reported), an animal with a passport, three consultations, two of them one after the other, one appointment, one event (the first of its model, which later
// lines name again: a model kept from a refused line would show), two reminders in a row, and the
// link written back from one reminder to its event.
void RefuseSomeRows(const std::string &database) {
    TargetDatabase db;
    db.Open(database);
    db.ExecuteImmediate("alter table CONTACT add constraint REFUSED_CONTACT check (NOM not in ('LEROY', 'BRETON'))");
    db.ExecuteImmediate("alter table CLIENTS add constraint REFUSED_CLIENT check (ID <> 4)");
    db.ExecuteImmediate(FromUtf8("alter table ANIMAUX add constraint REFUSED_ANIMAL check (NOM <> 'Hélios')"));
    db.ExecuteImmediate("alter table CALLER_ID add constraint REFUSED_CALLER check (IDFICHE <> 7)");
    db.ExecuteImmediate("alter table CONSULT add constraint REFUSED_CONSULT check (ID not in (3, 40, 41))");
    db.ExecuteImmediate("alter table RDV add constraint REFUSED_RDV check (ID <> 4)");
    db.ExecuteImmediate("alter table EVENTS add constraint REFUSED_EVENT check (ID <> 15)");
    db.ExecuteImmediate("alter table EVENTS add constraint REFUSED_LINK check (ID_RELANCE <> 10)");
    db.ExecuteImmediate("alter table RELANCES add constraint REFUSED_RELANCE check (ID not in (2, 3))");
    db.Close();
}

} // namespace

// Through a server, with rows the database refuses: the refused lines and everything after them come out in the
// same order, whichever way the rows travel.
TEST(Batching, ServerRunsAreTheSameGroupedAndOneByOne) {
    ServerCase server;
    server.Start();
    if (IsSkipped() || HasFatalFailure())
        return;
    const std::string second = FreshDatabase(server.dir, "SERVER_ONE_BY_ONE.FDB");
    RefuseSomeRows(server.path);
    RefuseSomeRows(second);
    const std::string otherSources = CopyPractice(server.dir, "practice_one_by_one");
    GiveToServer(server.dir);
    const auto select = [&](const std::string &path) {
        return [&server, path](ImportOptions &o) {
            server.server.Select(o, path);
            o.cbDedoublonageConsult = false;
        };
    };
    RunResult grouped = Import(server.sources, select(server.path), server.server.Database(server.path), true);
    RunResult oneByOne = Import(otherSources, select(second), server.server.Database(second), false);
    ForgetMembershipIdentifiers(grouped);
    ForgetMembershipIdentifiers(oneByOne);
    EXPECT_TRUE(grouped.files.count("REJETS_CONSULTATIONS.TXT"));
    ExpectSameRun(grouped, oneByOne);
}

// A row refused when the rows travel together fails its own line, after the fact: the same log lines, in the
// same order, the same rejects, the same rows and lists as when each row goes alone.
TEST(Batching, ARefusedRowFailsItsLineAloneBothWays) {
    TempDir dir;
    RunResult runs[2];
    for (const bool batching : {true, false}) {
        const std::string database = FreshDatabase(dir, batching ? "GROUPED.FDB" : "ONE_BY_ONE.FDB");
        RefuseSomeRows(database);
        const std::string sources = CopyPractice(dir, batching ? "grouped" : "one_by_one");
        // Without the consultations' duplicate check, which reads the table at every line, their rows go
        // together too.
        runs[batching ? 0 : 1] = Import(
            sources,
            [&](ImportOptions &o) {
                o.edPathNameDatabase = database;
                o.cbDedoublonageConsult = false;
            },
            database, batching);
    }
    ForgetMembershipIdentifiers(runs[0]);
    ForgetMembershipIdentifiers(runs[1]);
    const RunResult &grouped = runs[0];
    const RunResult &oneByOne = runs[1];
    const std::map<std::string, std::size_t> refused = {{"CONTACT.TXT/ligne ", 2},
                                                        {"CLIENTS.TXT/ligne ", 1},
                                                        {"ANIMAUX.TXT/ligne ", 1},
                                                        {"CONSULTATIONS.TXT/ligne ", 3},
                                                        {"RENDEZ_VOUS.TXT/ligne ", 1},
                                                        {"EVENEMENTS.TXT/ligne ", 1},
                                                        {"RELANCES.TXT/ligne ", 3}};
    for (const auto &[prefix, count] : refused) {
        const auto failed = [&](const RunResult &run) {
            std::vector<std::string> lines;
            for (const auto &line : run.log)
                if (line.rfind(prefix, 0) == 0 && line.find("REFUSED_") != std::string::npos)
                    lines.push_back(line);
            return lines;
        };
        EXPECT_EQ(failed(grouped).size(), count) << prefix;
        EXPECT_EQ(failed(grouped), failed(oneByOne)) << prefix;
    }
    // Every log line and every line of the files beside the sources in the order of the source lines.
    EXPECT_EQ(grouped.log, oneByOne.log);
    EXPECT_EQ(grouped.files, oneByOne.files);
    EXPECT_TRUE(grouped.files.count("REJETS_CONSULTATIONS.TXT"));
    // The reminder whose link back to its event was refused stays, imported with that warning; the links of
    // the two refused reminders were never written.
    ASSERT_TRUE(grouped.files.count("AVERTISSEMENTS_RELANCES.TXT"));
    EXPECT_EQ(SplitLines(grouped.files.at("AVERTISSEMENTS_RELANCES.TXT")).lines.size(), 2u);
    EXPECT_NE(grouped.files.at("AVERTISSEMENTS_RELANCES.TXT").find("REFUSED_LINK"), std::string::npos);
    for (const auto &[name, rows] : grouped.database)
        EXPECT_EQ(rows, oneByOne.database.at(name)) << name;
}

// A reminder whose link back to its event is refused stays imported with that warning, and its line ends there:
// the event model it names is not kept (nor created), whichever way the rows travel. Its neighbour, whose link is
// written, keeps its own.
TEST(Batching, AReminderWhoseLinkIsRefusedKeepsNoModelBothWays) {
    TempDir dir;
    for (const bool batching : {true, false}) {
        SCOPED_TRACE(batching ? "grouped" : "one by one");
        const std::string database = FreshDatabase(dir, batching ? "GROUPED.FDB" : "ONE_BY_ONE.FDB");
        {
            TargetDatabase db;
            db.Open(database);
            db.ExecuteImmediate("alter table EVENTS add constraint REFUSED_LINK check (ID_RELANCE is null or "
                                "not exists (select 1 from RELANCES r where r.ID = EVENTS.ID_RELANCE and "
                                "r.LIBELLE_EVENT = 'LIEN REFUSE'))");
            db.Close();
        }
        const std::string sources = CopyPractice(dir, batching ? "grouped" : "one_by_one");
        std::string reminders = ReadWholeFile(sources + "RELANCES.TXT");
        const std::pair<std::string, std::string> labels[] = {
            {"\tEV0001\tVACCIN\tRage\t", "\tEV0001\tVACCIN\tLIEN REFUSE\t"},
            {"\tEV0002\tVACCIN\tCHPPiL\t", "\tEV0002\tVACCIN\tLIEN GARDE\t"}};
        for (const auto &[from, to] : labels) {
            const auto at = reminders.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            reminders.replace(at, from.size(), to);
        }
        WriteWholeFile(sources + "RELANCES.TXT", reminders);
        const RunResult run = Import(
            sources,
            [&](ImportOptions &o) {
                o.edPathNameDatabase = database;
                o.cbNePasConserverModelesEvent = true;
            },
            database, batching);
        ASSERT_TRUE(run.files.count("AVERTISSEMENTS_RELANCES.TXT"));
        EXPECT_NE(run.files.at("AVERTISSEMENTS_RELANCES.TXT").find("REFUSED_LINK"), std::string::npos);
        EXPECT_EQ(Rows(database, "select count(*) from RELANCES where LIBELLE_EVENT = 'LIEN REFUSE'"),
                  std::vector<std::string>{"1"});
        EXPECT_EQ(Rows(database, "select LIBELLE_EVENT from RELANCES_CONFIG where LIBELLE_EVENT like 'LIEN %'"),
                  std::vector<std::string>{"LIEN GARDE"});
    }
}
