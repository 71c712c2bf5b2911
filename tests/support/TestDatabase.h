#pragma once
// A real embedded Firebird database created from the schema in a temporary folder, one per test.

#include "database/DatabaseSetup.h"
#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "normalized/Win1252.h"
#include "support/TempDir.h"

#include <string>
#include <vector>

namespace clinova::test {

// Every row of a select on an open connection: the columns joined by '|', NULL as "<NULL>", UTF-8; or, when
// raw, the first column's bytes unchanged.
inline std::vector<std::string> SelectRows(TargetDatabase &db, const std::string &sql, bool raw = false) {
    std::vector<std::string> rows;
    Statement q(db, FromUtf8(sql));
    for (bool row = q.Open(); row; row = q.Next()) {
        std::string line;
        for (int i = 0; i < (raw ? 1 : q.ColumnCount()); ++i) {
            const std::string &name = q.ColumnName(i);
            line += (i ? "|" : "") + (q.IsNull(name) ? std::string("<NULL>") : q.GetText(name));
        }
        rows.push_back(raw ? line : ToUtf8(line));
    }
    return rows;
}

class TestDatabase {
public:
    explicit TestDatabase(int build = 93) : path_(dir_.File("TEST.FDB")) { CreateTargetDatabase(path_, build); }

    const std::string &Path() const { return path_; }
    TempDir &Dir() { return dir_; }

    // Runs one statement on a connection of its own and returns the first column of its first row as
    // text ("" when there is no row): the tests' view of what an action left in the database.
    std::string Scalar(const std::string &sql) const {
        TargetDatabase db;
        db.Open(path_);
        Statement q(db, sql);
        std::string value = q.Open() ? q.GetText(q.ColumnName(0)) : std::string();
        q.Close();
        db.Close();
        return value;
    }

    void Exec(const std::string &sql) const {
        TargetDatabase db;
        db.Open(path_);
        db.ExecuteImmediate(sql);
        db.Close();
    }

    // Ends a connection to this database from outside, as its administrator would: the next call of that
    // connection fails as a lost connection does, and what it had not committed is gone.
    void EndConnection(TargetDatabase &victim) const {
        Statement id(victim, "select CURRENT_CONNECTION as ID from RDB$DATABASE");
        const std::string attachment = id.Open() ? std::to_string(id.GetInt64("ID")) : "-1";
        id.Close();
        Exec("delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID = " + attachment);
    }

private:
    TempDir dir_;
    std::string path_;
};

} // namespace clinova::test
