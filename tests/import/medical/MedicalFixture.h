#pragma once
// The medical steps against a fresh embedded database: the source folder is the database's temporary folder.

#include "app/RunState.h"
#include "database/Statement.h"
#include "normalized/Win1252.h"
#include "support/ScriptedOperator.h"
#include "support/TestDatabase.h"

#include <string>
#include <vector>

namespace clinova::test {

// Also records the trace lines of the help memo, as UTF-8.
class MemoOperator : public ScriptedOperator {
public:
    std::vector<std::string> memo2;
    void AddToMemo2(const std::string &line) override { memo2.push_back(ToUtf8(line)); }
};

struct MedicalFixture {
    TestDatabase tdb;
    MemoOperator op;
    RunState state{op};

    MedicalFixture() {
        state.PathSources = tdb.Dir().Folder();
        state.options.edPathNameDatabase = tdb.Path();
        state.options.cbCONSULTATIONS = {true, true};
        state.DatabaseBuild = 93;
        state.IDDefaultUser = 1;
        state.LoginDefaultUser = "VETO";
    }

    // A file of the source folder from UTF-8 lines, written in Windows-1252 with CR LF line ends.
    void Write(const std::string &fileName, std::initializer_list<std::string> lines) {
        std::string content;
        for (const auto &line : lines)
            content += FromUtf8(line) + "\r\n";
        tdb.Dir().Write(fileName, content);
    }

    // An animal of the database and of the animal correspondence lists.
    void AddAnimal(const std::string &source, int id, int client) {
        tdb.Exec("insert into ANIMAUX (ID, IDCLIENT, NOM) values (" + std::to_string(id) + ", " +
                 std::to_string(client) + ", 'A" + std::to_string(id) + "')");
        state.lists.fSourceIDAnimalList.Add(source);
        state.lists.fDatabaseIDAnimalList.Add(id);
        state.lists.fDatabaseIDClientOfIDAnimalList.Add(client);
    }

    template <typename Step> void Run(Step step) {
        state.db.Open(tdb.Path());
        step(state);
        state.db.Close();
    }

    // The first column of the first row, as UTF-8 text.
    std::string Q(const std::string &sql) const { return ToUtf8(tdb.Scalar(FromUtf8(sql))); }

    // Every row of a select on one connection: its columns as stored (NULL as "<NULL>") joined by '|',
    // as UTF-8 text, or the first column's bytes unchanged when raw.
    std::vector<std::string> Rows(const std::string &sql, bool raw = false) const {
        TargetDatabase db;
        db.Open(tdb.Path());
        const std::vector<std::string> rows = SelectRows(db, sql, raw);
        db.Close();
        return rows;
    }
};

} // namespace clinova::test
