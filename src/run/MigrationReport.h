#pragma once
// The migration report: one HTML page (RAPPORT_IMPORTATION.html) that a technician hands to the practice after
// an import, a check or a rehearsal. It says in one place what came across and what did not: the run (when,
// how long, the tool's version, the settings that differ from the defaults, the folder, the database and its
// build, the backup), one row per file with the counts of the summary, the rows of each table of the database
// before and after, the lines that failed or were left aside grouped by reason with examples and their line
// numbers, and a picture of the counts per file. The page needs nothing else: no network resource, its styles
// and its picture (SVG) inside it, printable on A4. Every moment and duration stands in a <time> element.

#include "app/ImportStep.h"
#include "app/RunOutcome.h"
#include "normalized/DateTime.h"
#include "run/PreflightCheck.h"

#include <optional>
#include <string>
#include <vector>

namespace clinova {

class Connection;
struct ImportOptions;
struct RunState;

// The report's file name, written into the folder where the run writes its files.
const char *ReportFileName();

// The rows of one table of the database, before and after the run; -1 when not counted.
struct TableRows {
    std::string table;
    long long before = -1;
    long long after = -1;
};

// Counts the rows of every table of the database (the product's own, not Firebird's), by name; a handful of
// queries whatever the number of tables.
std::vector<TableRows> CountTableRows(Connection &db);
// The counts of after, set beside those of before (a table that appeared gets before = -1).
void SetRowsAfter(std::vector<TableRows> &tables, const std::vector<TableRows> &after);

// The settings that differ from the defaults, by control name, as "--set" takes them; the database path and
// the backup are left out (the report names them on their own lines).
std::vector<std::pair<std::string, std::string>> ChangedSettings(const ImportOptions &options);

struct ReportFacts {
    enum class Kind { Import, Rehearsal, Check };
    Kind kind = Kind::Import;
    DateTime started;
    double seconds = 0;
    std::string folder;   // the source folder
    std::string database; // the target database as the questions name it (path, server)
    int build = 0;
    std::string backup;           // the backup made before the run; empty when none
    std::string rehearsalCopy;    // a rehearsal: the copy it ran into, restored from rehearsalBackup
    std::string rehearsalBackup;
    bool resumed = false;
    RunOutcome outcome = RunOutcome::Completed;
    std::vector<std::pair<std::string, std::string>> settings;
    std::vector<StepSummary> summaries; // an import's rows
    std::vector<TableRows> tables;
    const PreflightResult *check = nullptr; // a check's findings
    std::vector<std::string> writtenFiles;  // the files written, whole paths
    std::string outputFolder;               // where they and the report lie, with its final separator
};

// The page, UTF-8.
std::string MigrationReportHtml(const ReportFacts &facts);

// Writes the page into facts.outputFolder (through an exclusive temporary file) and returns its path; a
// failure is returned as the empty path, with its text in error.
std::string WriteMigrationReport(const ReportFacts &facts, std::string &error);

} // namespace clinova
