#pragma once
// The animal and weight steps against a fresh embedded database: the source folder is the database's
// temporary folder, the clients are written straight into the database and the client lists.

#include "app/RunState.h"
#include "database/Statement.h"
#include "import/clients_animals/AnimalImport.h"
#include "import/clients_animals/WeightImport.h"
#include "normalized/Win1252.h"
#include "support/ScriptedOperator.h"
#include "support/TestDatabase.h"

#include <map>
#include <string>

namespace clinova::test {

struct AnimalStep {
    static constexpr const char *kNull = "<NULL>";

    TestDatabase tdb;
    ScriptedOperator op;
    RunState state{op};

    explicit AnimalStep(int build = 93) : tdb(build) {
        state.PathSources = tdb.Dir().Folder();
        state.options.cbANIMAUX = {true, true};
        state.options.cbPOIDS = {true, true};
        state.DatabaseBuild = build;
        state.AnimalInsertWithIdealWeight = build >= 85;
        state.IDDefaultUser = 1;
        state.LoginDefaultUser = "VETO";
    }

    // A client of the database, known to the client lists under its source identifier.
    void AddClient(const std::string &sourceID, int id, const std::string &title = "M.",
                   const std::string &name = "DUPONT") {
        tdb.Exec(FromUtf8("insert into CLIENTS (ID, TITRE, NOM, RUE1, CP1, VILLE1) values (" + std::to_string(id) +
                          ", '" + title + "', '" + name + "', '1 rue des Lilas', '17000', 'La Rochelle')"));
        state.lists.fSourceIDClientList.Add(sourceID);
        state.lists.fDatabaseIDClientList.Add(id);
    }

    // A source file from UTF-8 lines, written in Windows-1252 with CR LF line ends.
    void Write(const std::string &file, std::initializer_list<std::string> lines) {
        std::string content;
        for (const auto &line : lines)
            content += FromUtf8(line) + "\r\n";
        tdb.Dir().Write(file, content);
    }

    void RunAnimals() { Run(doImportationAnimaux); }
    void RunWeights() { Run(doImportationPoids); }
    void Run(void (*step)(RunState &)) {
        state.db.Open(tdb.Path());
        step(state);
        state.db.Close();
    }

    // The first column of the first row, as UTF-8 text.
    std::string Q(const std::string &sql) const { return ToUtf8(tdb.Scalar(FromUtf8(sql))); }

    // Every column of the first row as UTF-8 text, kNull for NULL; empty when there is no row.
    std::map<std::string, std::string> Row(const std::string &sql) const {
        TargetDatabase db;
        db.Open(tdb.Path());
        Statement q(db, FromUtf8(sql));
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

    // The target animal of a source identifier; -100 when the lists do not know it.
    int TargetOf(const std::string &sourceID) const {
        const int i = state.lists.fSourceIDAnimalList.IndexOf(sourceID);
        return i < 0 ? -100 : state.lists.fDatabaseIDAnimalList.Get(i);
    }

    // The log lines of failed data lines.
    std::vector<std::string> Failures() const {
        std::vector<std::string> lines;
        for (const auto &line : op.log)
            if (line.find("/ligne ") != std::string::npos)
                lines.push_back(line);
        return lines;
    }
};

} // namespace clinova::test
