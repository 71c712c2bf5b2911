// The backup and restore through the services API of the embedded engine: the file restores, by gbak and by
// the service, into a database equal to the original; nothing existing is ever written over; a failure leaves
// nothing behind that could pass for a backup or a database.

#include "database/DatabaseBackup.h"
#include "database/DatabaseError.h"
#include "support/BackupSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>

using namespace clinova;
using namespace clinova::test;

namespace {

const ConnectionSettings kEmbedded{};

void AddSamples(TargetDatabase &db) {
    db.ExecuteImmediate("create table SAMPLES (ID integer, D date, TS timestamp, N numeric(15,2), "
                        "F double precision, B blob, T blob sub_type text)");
    db.CommitRetaining();
    Statement insert(db, "insert into SAMPLES values (:ID, :D, :TS, :N, :F, :B, :T)");
    for (int id = 1; id <= 3; ++id) {
        insert.SetInt("ID", id);
        insert.SetDate("D", Date{2020 + id, 2, 28});
        insert.SetDateTime("TS", DateTime{Date{2021, 3, id}, 9, 30, 15, 0});
        insert.SetDouble("N", 12.25 * id);
        insert.SetDouble("F", 1.0 / id);
        insert.SetBlob("B", std::string("\0\x01\xff{\\rtf", 8) + std::string(70000 * id, 'x'));
        insert.SetBlob("T", FromUtf8("première ligne\r\nseconde ligne"));
        insert.Execute();
    }
    db.CommitRetaining();
}

// A database with rows of every kind of value the tables hold: accents, NULL beside empty text, binary and
// long blobs, dates and timestamps, decimals; and a generator moved on. Made once, copied into each case's
// folder.
std::string VariedDatabase(const TempDir &dir) {
    static TestDatabase tdb;
    static const bool filled = [] {
        TargetDatabase db;
        db.Open(tdb.Path());
        db.ExecuteImmediate(FromUtf8("insert into CLIENTS (ID, NOM, PRENOM) values (1, 'Hélène', '')"));
        db.ExecuteImmediate("insert into CLIENTS (ID, NOM, PRENOM) values (2, 'O''Brien', null)");
        AddSamples(db);
        db.ExecuteImmediate("ALTER SEQUENCE CURRENT_ID_CLIENT RESTART WITH 41");
        db.Close();
        return true;
    }();
    (void)filled;
    const std::string path = dir.File("BASE.FDB");
    std::filesystem::copy_file(tdb.Path(), path);
    return path;
}

// The progress of a backup or a restore: the tables counted before their rows, then each of them begun in turn
// (1, 2...) with its rows counted up to what the snapshot holds of it, then the end; never backwards. A backup
// tells every table, a restore those that hold rows.
void ExpectTablesAndRows(const std::vector<BackupProgress> &steps, const Snapshot &database, bool everyTable) {
    ASSERT_FALSE(steps.empty());
    std::map<std::string, long long> rows;
    int tables = 0;
    for (const auto &[name, values] : database) {
        if (name.rfind("generator ", 0) == 0)
            continue;
        ++tables;
        if (everyTable || !values.empty())
            rows[name] = static_cast<long long>(values.size());
    }
    int table = 0;
    long long all = 0;
    std::map<std::string, long long> counted;
    for (const BackupProgress &p : steps) {
        if (p.phase == BackupProgress::Phase::Definitions)
            continue;
        EXPECT_EQ(p.tables, tables);
        EXPECT_TRUE(p.table == table || p.table == table + 1) << p.tableName;
        EXPECT_GE(p.rows, all);
        table = p.table;
        all = p.rows;
        counted[p.tableName] = p.tableRows;
    }
    EXPECT_EQ(steps.back().phase, BackupProgress::Phase::Finishing);
    EXPECT_EQ(table, static_cast<int>(rows.size()));
    EXPECT_EQ(counted, rows);
    EXPECT_EQ(all, static_cast<long long>(RowCount(database)));
}

void Exec(const std::string &database, const std::string &sql) {
    TargetDatabase db;
    db.Open(database);
    db.ExecuteImmediate(sql);
    db.Close();
}

} // namespace

TEST(DatabaseBackup, ServiceManagerOfBothModes) {
    EXPECT_EQ(ServiceManagerName(kEmbedded), "service_mgr");
    const ConnectionSettings server{.useIP = true, .ip = {" 127", "0", "0 ", "1/3051"}, .path = "/data/BASE.FDB"};
    EXPECT_EQ(ServiceManagerName(server), "127.0.0.1/3051:service_mgr");
}

TEST(DatabaseBackup, RestoredByGbakAndByTheServiceItEqualsTheDatabase) {
    TempDir dir;
    const std::string database = VariedDatabase(dir);
    const Snapshot original = TakeSnapshot(database);
    ASSERT_GT(RowCount(original), 5u);
    ASSERT_EQ(original.at("generator CURRENT_ID_CLIENT"), std::vector<std::string>{"41"});
    const std::string file = dir.File("BASE.fbk");

    std::vector<BackupProgress> steps;
    DatabaseBackup(kEmbedded).Backup(database, file, [&](const BackupProgress &p) { steps.push_back(p); });
    ASSERT_GT(original.size(), 50u) << "empty tables too";
    // The service's report read into tables and rows: every table of the database once, in order, with all its
    // rows, the end after the last one.
    ExpectTablesAndRows(steps, original, true);
    // The backup holds the practice's records: no one outside the owner's group reads it.
    const auto perms = std::filesystem::status(file).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::others_all, std::filesystem::perms::none);

    if (GbakInstalled()) {
        const std::string byGbak = dir.File("GBAK.FDB");
        ASSERT_EQ(RestoreWithGbak(file, byGbak), 0);
        EXPECT_EQ(TakeSnapshot(byGbak), original);
    }
    const std::string byService = dir.File("RESTORED.FDB");
    steps.clear();
    DatabaseBackup(kEmbedded).Restore(file, byService, [&](const BackupProgress &p) { steps.push_back(p); });
    ExpectTablesAndRows(steps, original, false);
    EXPECT_EQ(TakeSnapshot(byService), original);
}

TEST(DatabaseBackup, NothingExistingIsWrittenOver) {
    TempDir dir;
    const std::string database = VariedDatabase(dir);
    const Snapshot original = TakeSnapshot(database);
    DatabaseBackup backup(kEmbedded);

    // An earlier backup may be the only copy of an earlier state; a link would write wherever it points.
    dir.Write("EARLIER.fbk", "an earlier backup");
    std::filesystem::create_symlink(dir.File("ELSEWHERE"), dir.File("LINK.fbk"));
    for (const char *name : {"EARLIER.fbk", "LINK.fbk"}) {
        try {
            backup.Backup(database, dir.File(name), {});
            ADD_FAILURE() << name << " was written over";
        } catch (const DatabaseError &e) {
            EXPECT_NE(ToUtf8(e.what()).find("Le fichier de sauvegarde existe déjà"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(dir.Read("EARLIER.fbk"), "an earlier backup");
    EXPECT_FALSE(std::filesystem::exists(dir.File("ELSEWHERE")));
    // Not even the database itself.
    EXPECT_THROW(backup.Backup(database, database, {}), DatabaseError);
    EXPECT_EQ(TakeSnapshot(database), original);

    // A restore never replaces a database.
    const std::string file = dir.File("BASE.fbk");
    backup.Backup(database, file, {});
    Exec(database, "delete from CLIENTS where ID=2");
    const Snapshot changed = TakeSnapshot(database);
    EXPECT_THROW(DatabaseBackup(kEmbedded).Restore(file, database, {}), DatabaseError);
    EXPECT_EQ(TakeSnapshot(database), changed);
}

TEST(DatabaseBackup, AFailureLeavesNoPartialFile) {
    TempDir dir;
    const std::string database = VariedDatabase(dir);
    DatabaseBackup backup(kEmbedded);

    // The service's own error, with the server's text; the file made for it is gone again.
    const std::string file = dir.File("NONE.fbk");
    try {
        backup.Backup(dir.File("NONE.FDB"), file, {});
        ADD_FAILURE() << "a missing database was backed up";
    } catch (const DatabaseError &e) {
        EXPECT_NE(std::string(e.what()).find("NONE.FDB"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_THROW(backup.Backup(database, dir.File("absent/BASE.fbk"), {}), DatabaseError);

    // A file that is not a backup, a backup cut short (the service then reports no error, and would leave a
    // database holding part of the rows), or no file at all: no database is left behind.
    const std::string whole = dir.File("WHOLE.fbk");
    backup.Backup(database, whole, {});
    dir.Write("CUT_SHORT.fbk", dir.Read("WHOLE.fbk").substr(0, std::filesystem::file_size(whole) / 2));
    dir.Write("NOT_A_BACKUP.fbk", std::string(4096, 'z'));
    // The engine asks on the standard input for the rest of a cut backup: nothing must answer.
    ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr);
    for (const std::string name : {"CUT_SHORT.fbk", "NOT_A_BACKUP.fbk", "MISSING.fbk"}) {
        const std::string restored = dir.File(name + ".FDB");
        try {
            DatabaseBackup(kEmbedded).Restore(dir.File(name), restored, {});
            ADD_FAILURE() << name << " was restored";
        } catch (const DatabaseError &e) {
            if (name == "CUT_SHORT.fbk") {
                EXPECT_NE(ToUtf8(e.what()).find("La sauvegarde est incomplète"), std::string::npos) << e.what();
            }
        }
        EXPECT_FALSE(std::filesystem::exists(restored)) << name;
    }
}
