#pragma once
// The catalogue steps against a fresh embedded database: the source folder is the database's temporary folder.

#include "app/RunState.h"
#include "database/Statement.h"
#include "normalized/Win1252.h"
#include "support/ScriptedOperator.h"
#include "support/TestDatabase.h"

#include <string>
#include <vector>

namespace clinova::test {

struct CatalogueFixture {
    TestDatabase tdb;
    ScriptedOperator op;
    RunState state{op};

    CatalogueFixture() {
        state.PathSources = tdb.Dir().Folder();
        state.options.edPathNameDatabase = tdb.Path();
    }

    // A file of the source folder from UTF-8 lines, written in Windows-1252 with CR LF line ends.
    void Write(const std::string &fileName, std::initializer_list<std::string> lines) {
        std::string content;
        for (const auto &line : lines)
            content += FromUtf8(line) + "\r\n";
        tdb.Dir().Write(fileName, content);
    }

    template <typename Step> void Run(Step step) {
        state.db.Open(tdb.Path());
        step(state);
        state.db.Close();
    }

    void Exec(const std::string &sql) const { tdb.Exec(FromUtf8(sql)); }

    // The first column of the first row, as UTF-8 text.
    std::string Q(const std::string &sql) const { return ToUtf8(tdb.Scalar(FromUtf8(sql))); }

    // Every row of a select: its columns (NULL as "<NULL>") joined by '|', as UTF-8 text.
    std::vector<std::string> Rows(const std::string &sql) const {
        TargetDatabase db;
        db.Open(tdb.Path());
        const std::vector<std::string> rows = SelectRows(db, sql);
        db.Close();
        return rows;
    }

    void AddWholesaler(int id, const std::string &name, int site) const {
        Exec("insert into CENTRALES (ID, NOM, ID_SITE) values (" + std::to_string(id) + ", '" + name + "', " +
             std::to_string(site) + ")");
    }

    // A product of the catalogue: "columns" and "values" complete the insert (", CIP", ", '1234567'").
    void AddProduct(int id, int site, int supplier, const std::string &columns = {},
                    const std::string &values = {}) const {
        Exec("insert into TARIFSPRODUITS (ID, ID_SITE, IDFOURNISSEUR, LINK" + columns + ") values (" +
             std::to_string(id) + ", " + std::to_string(site) + ", " + std::to_string(supplier) + ", 0" + values + ")");
    }
};

} // namespace clinova::test
