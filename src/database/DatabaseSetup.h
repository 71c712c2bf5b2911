#pragma once

#include <string>
#include <string_view>

namespace clinova {

class TargetDatabase;

// Runs every statement of a script, committing after each one (DDL must be committed before use).
void RunSqlScript(TargetDatabase &db, std::string_view script);

// Creates an empty target database from the built-in schema, at the given build, with one veterinarian
// (ID 1, login "VETO"), for trials and tests.
void CreateTargetDatabase(const std::string &databaseName, int build);

// "select BUILD from VERSION where ID=0": the build of the database's schema, 0 when there is no row.
int ReadDatabaseBuild(TargetDatabase &db);

} // namespace clinova
