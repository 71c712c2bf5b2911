// Text that looks like SQL (quotes, "--", ";", "/*") pushed through every text column of every file and
// through the settings: it is stored as plain text, changes no statement, and the database account's
// password shows up in no log line, message or file.

#include "faults/FaultSupport.h"

#include "app/DatabaseActions.h"
#include "cleaning/SitePurge.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

using namespace clinova;
using namespace clinova::test;

namespace {

// Appended to every text value: a quote that would end a literal, one that would end a quoted name, the end
// of a statement, a line comment, a block comment and a parameter marker.
const std::string kHostile = "'\";--/*:ID";

const char *const kPassword = "qordimtex";

// Numbers, dates, phone numbers and postcodes are not text: made of digits and separators only.
bool IsText(const std::string &value) {
    static const std::regex number(R"([-0-9 .+/:]*)");
    return !std::regex_match(value, number);
}

std::vector<std::string> Split(const std::string &line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

std::string Join(const std::vector<std::string> &fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        line += (i ? "\t" : "") + fields[i];
    return line;
}

// Appends the hostile text to every text value of every file of the folder (the stock method "+" or "=" is
// an operator, not text). Returns "FILE.COLUMN" of each column changed.
std::set<std::string> MakeHostile(const std::string &folder) {
    std::set<std::string> changed;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        const std::string fileName = entry.path().filename().string();
        const auto lines = SplitLines(ReadWholeFile(entry.path().string())).lines;
        if (lines.empty())
            continue;
        const auto header = Split(lines[0]);
        std::string content = lines[0] + "\r\n";
        for (std::size_t i = 1; i < lines.size(); ++i) {
            auto fields = Split(lines[i]);
            for (std::size_t c = 0; c < fields.size() && c < header.size(); ++c) {
                if (header[c] != "METHODE" && IsText(fields[c])) {
                    fields[c] += kHostile;
                    changed.insert(fileName + "." + header[c]);
                }
            }
            content += Join(fields) + "\r\n";
        }
        WriteWholeFile(entry.path().string(), content);
    }
    return changed;
}

// The contact categories a contacts file names, the empty one being "Vétos référents".
int Categories(const std::string &folder) {
    const auto lines = SplitLines(ReadWholeFile(folder + "CONTACTS.TXT")).lines;
    const auto header = Split(lines.at(0));
    const auto column = std::find(header.begin(), header.end(), "CATEGORIE") - header.begin();
    std::set<std::string> names;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto fields = Split(lines[i]);
        const std::string name = static_cast<std::size_t>(column) < fields.size() ? fields[column] : "";
        names.insert(name.empty() ? FromUtf8("Vétos référents") : name);
    }
    return static_cast<int>(names.size());
}

// The users correspondence of the sample with the same text after each source user.
std::string HostileUsers() {
    std::string memo;
    for (const auto &line : SplitLines(ReadWholeFile((SourceRoot() / "examples" / "users.txt").string())).lines) {
        const auto comment = line.find("//");
        std::string user = line.substr(0, comment);
        while (!user.empty() && user.back() == ' ')
            user.pop_back();
        memo += FromUtf8(user) + kHostile + "\r\n";
    }
    return memo;
}

// "TABLE.COLUMN" of every text column of the imported tables.
std::vector<std::pair<std::string, std::string>> TextColumns(TargetDatabase &db) {
    std::vector<std::pair<std::string, std::string>> columns;
    Statement q(db, "select trim(r.RDB$RELATION_NAME) as T, trim(r.RDB$FIELD_NAME) as C from RDB$RELATION_FIELDS r "
                    "join RDB$FIELDS f on f.RDB$FIELD_NAME = r.RDB$FIELD_SOURCE "
                    "where f.RDB$FIELD_TYPE in (14, 37) or (f.RDB$FIELD_TYPE = 261 and f.RDB$FIELD_SUB_TYPE = 1)");
    for (bool row = q.Open(); row; row = q.Next()) {
        const std::string table = q.GetText("T");
        if (std::find(ImportedTables().begin(), ImportedTables().end(), table) != ImportedTables().end())
            columns.emplace_back(table, q.GetText("C"));
    }
    return columns;
}

// The rows of a column that hold the text; the text is bound, never pasted.
int RowsContaining(TargetDatabase &db, const std::string &table, const std::string &column, const std::string &text) {
    Statement q(db, "select count(*) from " + table + " where position(cast(:T as varchar(200)) in " + column +
                        ") > 0");
    q.SetText("T", text);
    const int count = q.Open() ? q.GetInt(q.ColumnName(0)) : 0;
    q.Close();
    return count;
}

// Every file under the folder, read whole.
void ExpectNoFileHolds(const std::filesystem::path &folder, const std::string &text) {
    for (const auto &entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() != ".FDB") {
            EXPECT_EQ(ReadWholeFile(entry.path().string()).find(text), std::string::npos) << entry.path();
        }
    }
}

void ExpectNoSqlErrorNorPassword(const ScriptedOperator &op) {
    for (const auto *lines : {&op.log, &op.messages})
        for (const auto &line : *lines) {
            EXPECT_EQ(line.find("Dynamic SQL Error"), std::string::npos) << line;
            EXPECT_EQ(line.find("Token unknown"), std::string::npos) << line;
            EXPECT_EQ(line.find(kPassword), std::string::npos) << line;
        }
}

} // namespace

TEST(Injection, EveryTextColumnStoresSqlLookingTextAsPlainText) {
    const Reference &clean = CleanImport();
    TempDir dir;
    const std::string database = FreshDatabase(dir);
    const std::string folder = CopyPractice(dir);
    const auto changed = MakeHostile(folder);
    EXPECT_GT(changed.size(), 100u);
    RecordProperty("hostile_columns", static_cast<int>(changed.size()));
    // The catalogue the stock counts and dosages are matched against carries the same text, so that the one
    // statement built from file content on purpose (the product lookup, quoted) must find its products.
    {
        TargetDatabase db;
        db.Open(database);
        for (const char *sql : {"update CENTRALES set NOM = NOM || :T",
                                "update TARIFSPRODUITS set CODECENTRALE = CODECENTRALE || :T "
                                "where CODECENTRALE similar to '%[A-Za-z]%'"}) {
            Statement q(db, sql);
            q.SetText("T", kHostile);
            q.Execute();
        }
        db.Close();
    }
    const int tables = Count(database, "RDB$RELATIONS where RDB$SYSTEM_FLAG = 0");

    ScriptedOperator op;
    RunState state(op);
    state.options.edPathNameDatabase = database;
    CarefulSettings(state.options);
    state.options.MemoCorrespondancesUtilisateurs = HostileUsers();
    ScanSourceFolder(state, folder);
    EXPECT_EQ(btnImportationClick(state), RunOutcome::CompletedWithFailures);
    ExpectNoSqlErrorNorPassword(op);

    // The same rows as a clean import, the same stock counts, and no table or user lost. A contact without
    // category is filed under "Vétos référents": the sample's contact filed under that name explicitly now
    // names another category.
    auto expected = clean.counts;
    expected["CONTACT_CAT"] += Categories(folder) - Categories((SourceRoot() / "examples" / "practice" / "").string());
    EXPECT_EQ(TableCounts(database), expected);
    EXPECT_EQ(StockRows(database), clean.stock);
    for (const auto &[fileName, summary] : clean.summaries) {
        const auto found = std::find_if(state.summaries.begin(), state.summaries.end(),
                                        [&](const StepSummary &s) { return s.fileName == fileName; });
        ASSERT_NE(found, state.summaries.end()) << fileName;
        EXPECT_EQ(found->imported, summary.imported) << fileName;
        EXPECT_EQ(found->failed, summary.failed) << fileName;
    }
    EXPECT_EQ(Count(database, "RDB$RELATIONS where RDB$SYSTEM_FLAG = 0"), tables);
    EXPECT_EQ(Count(database, "ADMINISTRATION"), 1);

    // The text is stored as it was read: whole where the column is wide enough, never with its quotes
    // doubled. Every imported table that receives text from a file holds it somewhere.
    TargetDatabase db;
    db.Open(database);
    std::set<std::string> tablesWithText;
    int columnsWithText = 0;
    for (const auto &[table, column] : TextColumns(db)) {
        if (RowsContaining(db, table, column, FromUtf8(kHostile)) > 0) {
            tablesWithText.insert(table);
            ++columnsWithText;
        }
        EXPECT_EQ(RowsContaining(db, table, column, "''\""), 0) << table << "." << column;
    }
    db.Close();
    EXPECT_GT(columnsWithText, 40);
    RecordProperty("columns_holding_it", columnsWithText);
    for (const char *table : {"CLIENTS", "ANIMAUX", "VILLES", "CONSULT", "NOTES_DOSSIER", "EVENTS", "RELANCES",
                              "TARIFSACTES_CAT", "TARIFSACTES", "RDV", "CONTACT", "CONTACT_CAT", "POSOS"})
        EXPECT_EQ(tablesWithText.count(table), 1u) << table;
    ExpectNoFileHolds(dir.path(), kPassword);
}

// The text settings: a site number, a user number, a database path, an address or a folder that holds SQL
// is refused or used as a name, never run.
TEST(Injection, TextSettingsAreNeverRunAsSql) {
    TempDir dir;
    const std::string database = FreshDatabase(dir);
    const std::string folder = CopyPractice(dir);
    {
        ScriptedOperator op;
        RunState state(op);
        state.options.edPathNameDatabase = database;
        CarefulSettings(state.options);
        ScanSourceFolder(state, folder);
        btnImportationClick(state);
    }
    const auto before = TableCounts(database);
    const std::string drop = "1; delete from CLIENTS; --" + kHostile;

    // The site of the purge is refused; the site of an import is 0, as for any text that is not a number.
    {
        ScriptedOperator op;
        RunState state(op);
        state.options.edPathNameDatabase = database;
        state.options.edIDSITECompta = drop;
        EXPECT_EQ(XiButton5Click(state), CleaningOutcome::Refused);
        ExpectNoSqlErrorNorPassword(op);
    }
    {
        ScriptedOperator op;
        RunState state(op);
        state.options.edPathNameDatabase = database;
        state.options.edIDDefaultUser = drop;
        state.options.edIDSite = drop;
        EXPECT_EQ(btnImportationClick(state), RunOutcome::Refused);
        ExpectNoSqlErrorNorPassword(op);
    }
    EXPECT_EQ(TableCounts(database), before);

    // A database path or an address made of SQL is a name the client library cannot open.
    for (const auto &[path, ip4] : std::vector<std::pair<std::string, std::string>>{
             {database + drop, ""}, {"/tmp/" + drop + ".FDB", ""}, {database, "1" + drop}}) {
        ScriptedOperator op;
        RunState state(op);
        state.options.edPathNameDatabase = path;
        if (!ip4.empty()) {
            state.options.RadioButtonLocal = false;
            state.options.RadioButtonIP = true;
            state.options.edIP1 = "127";
            state.options.edIP2 = "0";
            state.options.edIP3 = "0";
            state.options.edIP4 = ip4;
        }
        EXPECT_FALSE(btnTestClick(state)) << path;
        ASSERT_EQ(op.messages.size(), 1u);
        EXPECT_EQ(op.messages[0].find(kPassword), std::string::npos) << op.messages[0];
    }

    // A folder of an earlier import whose name holds quotes: the catch-up run reads its lists from there.
    const std::string earlier = dir.File("earlier'\";--") + "/";
    std::filesystem::create_directory(earlier);
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind("__", 0) == 0)
            std::filesystem::copy_file(entry.path(), earlier + entry.path().filename().string());
    {
        ScriptedOperator op;
        RunState state(op);
        state.options.edPathNameDatabase = database;
        CarefulSettings(state.options);
        state.options.cbModeRatrapage = true;
        state.options.edPathIDPrecedentImport = earlier;
        ScanSourceFolder(state, folder);
        for (auto box : {&ImportOptions::cbCONTACTS, &ImportOptions::cbCLIENTS, &ImportOptions::cbANIMAUX,
                         &ImportOptions::cbPOIDS, &ImportOptions::cbVILLES, &ImportOptions::cbCONSULTATIONS})
            (state.options.*box).checked = false;
        EXPECT_EQ(btnImportationClick(state), RunOutcome::CompletedWithFailures);
        ExpectNoSqlErrorNorPassword(op);
    }
    ExpectNoFileHolds(dir.path(), kPassword);
}
