#pragma once
// A client import against a fresh embedded database: the source folder is the database's temporary folder.

#include "app/RunState.h"
#include "database/Statement.h"
#include "import/clients_animals/ClientImport.h"
#include "normalized/Win1252.h"
#include "support/ScriptedOperator.h"
#include "support/TestDatabase.h"

#include <map>
#include <string>

namespace clinova::test {

inline constexpr const char *kNull = "<NULL>";

struct ClientStep {
    TestDatabase tdb;
    ScriptedOperator op;
    RunState state{op};

    explicit ClientStep(int build = 93) : tdb(build) {
        state.PathSources = tdb.Dir().Folder();
        state.options.cbCLIENTS = {true, true};
        state.DatabaseBuild = build;
        state.IDDefaultUser = 1;
        state.LoginDefaultUser = "VETO";
    }

    // CLIENTS.TXT from UTF-8 lines, written in Windows-1252 with CR LF line ends.
    void Write(std::initializer_list<std::string> lines) {
        std::string content;
        for (const auto &line : lines)
            content += FromUtf8(line) + "\r\n";
        tdb.Dir().Write("CLIENTS.TXT", content);
    }

    void Run() {
        state.db.Open(tdb.Path());
        doImportationClients(state);
        state.db.Close();
    }

    // The first column of the first row, as UTF-8 text.
    std::string Q(const std::string &sql) const { return ToUtf8(tdb.Scalar(FromUtf8(sql))); }

    // Every column of one client as UTF-8 text, kNull for NULL; empty when there is no such client.
    std::map<std::string, std::string> Row(const std::string &where) const {
        TargetDatabase db;
        db.Open(tdb.Path());
        Statement q(db, "select * from CLIENTS where " + FromUtf8(where));
        std::map<std::string, std::string> row;
        if (q.Open())
            for (int i = 0; i < q.ColumnCount(); ++i) {
                const std::string &name = q.ColumnName(i);
                row[name] = q.IsNull(name) ? kNull : ToUtf8(q.GetText(name));
            }
        q.Close();
        db.Close();
        return row;
    }
};

} // namespace clinova::test
