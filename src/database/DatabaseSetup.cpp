#include "database/DatabaseSetup.h"

#include "database/SchemaScripts.h"
#include "database/SqlScript.h"
#include "database/Statement.h"
#include "database/TargetDatabase.h"

namespace clinova {

void RunSqlScript(TargetDatabase &db, std::string_view script) {
    for (const auto &statement : SplitSqlScript(script)) {
        db.ExecuteImmediate(statement);
        db.CommitRetaining();
    }
}

void CreateTargetDatabase(const std::string &databaseName, int build) {
    TargetDatabase::Create(databaseName);
    TargetDatabase db;
    db.Open(databaseName);
    for (const auto &[name, text] : SchemaScripts())
        RunSqlScript(db, text);
    Statement version(db, "insert into VERSION (ID, BUILD) values (0, :BUILD)");
    version.SetInt("BUILD", build);
    version.Execute();
    Statement vet(db, "insert into ADMINISTRATION (ID, LOGINUSER, NOM, TYPE_USER) values (1, 'VETO', 'VETERINAIRE', 0)");
    vet.Execute();
    db.Close();
}

int ReadDatabaseBuild(TargetDatabase &db) {
    Statement query(db, "select BUILD from VERSION where ID=0");
    const int build = query.Open() ? query.GetInt("BUILD") : 0;
    query.Close();
    return build;
}

} // namespace clinova
