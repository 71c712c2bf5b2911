#pragma once
// What the backup tests compare: every row of every table of a database and the value of every generator,
// and a restore by gbak itself, the tool a technician would use by hand.

#include "database/FbClient.h"
#include "database/TargetDatabase.h"
#include "support/TestDatabase.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace clinova::test {

// By table name, its rows sorted (columns joined by '|', UTF-8); by "generator NAME", its current value.
using Snapshot = std::map<std::string, std::vector<std::string>>;

// The database as a client names it: a path, or an address, a colon and a path.
inline Snapshot TakeSnapshot(const std::string &database) {
    TargetDatabase db;
    db.Open(database);
    Snapshot snapshot;
    for (const auto &table : SelectRows(db, "select trim(RDB$RELATION_NAME) from RDB$RELATIONS where "
                                            "coalesce(RDB$SYSTEM_FLAG, 0) = 0 and RDB$VIEW_BLR is null")) {
        auto rows = SelectRows(db, "select * from " + table);
        std::sort(rows.begin(), rows.end());
        snapshot[table] = rows;
    }
    for (const auto &generator : SelectRows(db, "select trim(RDB$GENERATOR_NAME) from RDB$GENERATORS where "
                                                "coalesce(RDB$SYSTEM_FLAG, 0) = 0"))
        snapshot["generator " + generator] = SelectRows(db, "select GEN_ID(" + generator + ", 0) from RDB$DATABASE");
    db.Close();
    return snapshot;
}

// The rows of all tables together: a quick check that a snapshot holds data at all.
inline std::size_t RowCount(const Snapshot &snapshot) {
    std::size_t rows = 0;
    for (const auto &[name, values] : snapshot)
        if (name.rfind("generator ", 0) != 0)
            rows += values.size();
    return rows;
}

inline const char *kGbak = "/usr/bin/gbak";
inline bool GbakInstalled() { return std::filesystem::exists(kGbak); }

// gbak -c, the restore of the README, through the embedded engine; its exit status.
inline int RestoreWithGbak(const std::string &backupFile, const std::string &database) {
    const std::string command = std::string(kGbak) + " -c '" + backupFile + "' '" + database + "' -user " +
                                TargetDatabase::kUserName + " -password " + fb::kPassword + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return status == -1 ? -1 : WEXITSTATUS(status);
}

} // namespace clinova::test
