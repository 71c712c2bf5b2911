#pragma once
// A real embedded Firebird database created from the schema in a temporary folder, one per test.

#include "database/DatabaseSetup.h"
#include "database/Statement.h"
#include "database/TargetDatabase.h"
#include "support/TempDir.h"

#include <string>

namespace clinova::test {

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

private:
    TempDir dir_;
    std::string path_;
};

} // namespace clinova::test
