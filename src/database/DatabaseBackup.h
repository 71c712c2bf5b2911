#pragma once
// A backup of the target database into a file, and the restore of such a file into a new database, through
// the Firebird services API: the file is the one gbak writes, so "gbak -c FILE NEW.FDB" restores it too.
// Paths are as the server sees them, like the database path: through a server, the backup is written on
// the server's disk.

#include "database/FbHandles.h"
#include "database/TargetDatabase.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace clinova {

// The service manager of the database's location: "service_mgr" (the embedded engine) for a local path,
// the server's address followed by ":service_mgr" otherwise ("192.168.1.20:service_mgr",
// "127.0.0.1/3051:service_mgr").
std::string ServiceManagerName(const ConnectionSettings &settings);

// Where a backup or a restore stands, as the service's report tells it.
struct BackupProgress {
    enum class Phase {
        Definitions, // the domains, tables, procedures... before any row
        Rows,        // the rows, table after table
        Finishing,   // after the rows: indexes, triggers, rights
    };
    Phase phase = Phase::Definitions;
    int tables = 0;          // the tables the definitions named (views apart): known once the rows begin
    int table = 0;           // the table whose rows are under way, 1 to tables; 0 before the rows (a restore
                             // tells only the tables that hold rows: it may end below tables)
    std::string tableName;   // Windows-1252, as the database names it
    long long tableRows = 0; // that table's rows done so far
    long long rows = 0;      // the rows of every table so far
};

// Reads the service's report line by line (without its "gbak:" prefix) into a BackupProgress. The report's
// words are the service's own, in English: they are read here and never shown.
class BackupReportReader {
public:
    // True when the line moved the progress on.
    bool Read(std::string_view line);
    const BackupProgress &Progress() const { return progress_; }

private:
    BackupProgress progress_;
    long long rowsBeforeTable_ = 0;
};

class DatabaseBackup final {
public:
    // Called as the progress moves on: every table defined, every table begun, every few thousand rows.
    using Progress = std::function<void(const BackupProgress &progress)>;

    // Attaches to the service manager of the settings' location (their path is not used), so that a wrong
    // address or password shows at once; each action then works on an attachment of its own.
    explicit DatabaseBackup(const ConnectionSettings &location);
    // Detaches from the service manager without throwing.
    ~DatabaseBackup();
    DatabaseBackup(const DatabaseBackup &) = delete;
    DatabaseBackup &operator=(const DatabaseBackup &) = delete;

    // Writes a backup of the database into the file. A file already there is refused, never replaced: it may
    // be the only copy of an earlier state. On a local path the file is created by this call (readable by its
    // owner and group only, like a database file), and removed again when the backup fails, so that no
    // partial backup is left to be mistaken for a good one. Through a server the server writes the file: a
    // file this machine sees at that path is refused all the same, one only the server sees is replaced, as
    // gbak does.
    void Backup(const std::string &databasePath, const std::string &backupFile, const Progress &progress);

    // Restores the backup file into a new database file; an existing database is never replaced. What a failed
    // restore leaves on a local path is removed; a backup that turns out incomplete gives no database at all.
    void Restore(const std::string &backupFile, const std::string &databasePath, const Progress &progress);

private:
    // Starts the service with these parameters and reads its report to the end; the service's error, if it
    // fails, is thrown as a DatabaseError with the server's text.
    void Run(const std::vector<unsigned char> &start, const Progress &progress);
    fb::Handle<Firebird::IService> Attach() const;
    // Detaches from the service manager without throwing; the next action attaches again.
    void Detach();

    ConnectionSettings location_;
    bool local_;
    fb::Handle<Firebird::IService> service_;
};

} // namespace clinova
