#pragma once
// The client insert QClient: its two forms by database build, and the values every line starts from.

#include <string>

namespace clinova {

class Statement;

// PrepareClientInsert's text: 106 columns, and from build 81 on ECARNET_STATUS, GROUPE01 and MODE_COURRIER
// at the end. Every column is bound to the parameter of the same name.
std::string ClientInsertSQL(int databaseBuild);

// Binds ID and the default of every other parameter, after clearing them all, so that no value of the
// previous line survives. The three later columns are bound only when the statement has them.
void SetClientDefaults(Statement &QClient, int clientID);

} // namespace clinova
