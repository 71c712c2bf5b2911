#include "database/DatabaseBackup.h"

#include "database/FbClient.h"
#include "database/Statement.h"
#include "normalized/Conversions.h"
#include "normalized/Win1252.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <system_error>
#include <thread>

namespace clinova {

using namespace Firebird;

namespace {

constexpr const char *kServiceManager = "service_mgr";
constexpr std::chrono::milliseconds kServiceEndPause{500};

bool Exists(const std::string &path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// Creates the backup file for the engine to fill: exclusive creation, so that nothing standing there (a file,
// a link) is ever written through; read and write for the owner and the group, as Firebird's own files.
// The file at path, created empty; named in a failure as shown (the backup it stands for).
void CreateBackupFile(const std::string &path, const std::string &shown) {
    std::FILE *file = std::fopen(path.c_str(), "wbx");
    if (!file) {
        const std::string reason = std::generic_category().message(errno);
        throw DatabaseError(Exists(path) ? FromUtf8("Le fichier de sauvegarde existe déjà : ") + shown
                                         : FromUtf8("Impossible de créer le fichier de sauvegarde : ") + shown + " (" +
                                               reason + ")");
    }
    std::fclose(file);
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::permissions(
        path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write, ec);
}

// Whether a database answers at that name: how a restore through a server, which sees no file of the server,
// tells that it would replace one.
bool Attachable(const std::string &databaseName) {
    try {
        TargetDatabase db;
        db.Open(databaseName);
        db.Close();
        return true;
    } catch (const DatabaseError &) {
        return false;
    }
}

bool Online(TargetDatabase &db) {
    Statement query(db, "select MON$SHUTDOWN_MODE from MON$DATABASE");
    const bool online = query.Open() && query.GetInt("MON$SHUTDOWN_MODE") == 0;
    query.Close();
    return online;
}

void RemoveQuietly(const std::string &path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

// "gbak:    writing data for table CLIENTS " gives "writing data for table CLIENTS".
std::string_view WithoutToolPrefix(std::string_view line) {
    constexpr std::string_view prefix = "gbak:";
    if (line.starts_with(prefix))
        line.remove_prefix(prefix.size());
    return TrimView(line);
}

// The service reports the rows of a table every this many rows, and at its end.
constexpr int kRowsReportInterval = 10000;

// What follows one of the texts at the start of the line; nullopt when it starts with none of them.
std::optional<std::string_view> After(std::string_view line, std::initializer_list<std::string_view> starts) {
    for (const std::string_view start : starts)
        if (line.starts_with(start))
            return line.substr(start.size());
    return std::nullopt;
}

} // namespace

bool BackupReportReader::Read(std::string_view line) {
    line = WithoutToolPrefix(line);
    BackupProgress &p = progress_;
    // "writing data for table CLIENTS", "restoring data for table CLIENTS": the rows of the next table.
    if (const auto table = After(line, {"writing data for table ", "restoring data for table "})) {
        p.phase = BackupProgress::Phase::Rows;
        rowsBeforeTable_ = p.rows;
        ++p.table;
        p.tables = std::max(p.tables, p.table);
        p.tableName = std::string(*table);
        p.tableRows = 0;
        return true;
    }
    // "1200 records written", "1200 records restored": the rows of the table so far.
    if (p.phase == BackupProgress::Phase::Rows && !line.empty() && line.front() >= '0' && line.front() <= '9') {
        const auto space = line.find(' ');
        if (After(line.substr(space == std::string_view::npos ? line.size() : space), {" records"})) {
            if (const auto rows = TryStrToInt64(line.substr(0, space))) {
                p.tableRows = *rows;
                p.rows = rowsBeforeTable_ + *rows;
                return true;
            }
        }
        return false;
    }
    if (p.phase == BackupProgress::Phase::Definitions) {
        // "writing table CLIENTS", "restoring table CLIENTS" (a view is said to be one after its name).
        if (After(line, {"writing table ", "restoring table "})) {
            ++p.tables;
            return true;
        }
        if (line.starts_with("table ") && line.ends_with(" is a view")) {
            p.tables = std::max(p.tables - 1, 0);
            return true;
        }
        return false;
    }
    // Past the rows, what follows is the end of the work: the indexes of a table stand between tables, anything
    // else comes after the last one (a restore tells only the tables that hold rows).
    if (p.phase == BackupProgress::Phase::Rows && !After(line, {"writing index ", "restoring index "})) {
        p.phase = BackupProgress::Phase::Finishing;
        return true;
    }
    return false;
}

std::string ServiceManagerName(const ConnectionSettings &settings) {
    if (!settings.useIP)
        return kServiceManager;
    ConnectionSettings service = settings;
    service.path = kServiceManager;
    return DatabaseName(service);
}

DatabaseBackup::DatabaseBackup(const ConnectionSettings &location)
    : location_(location), local_(!location.useIP), service_(Attach()) {}

DatabaseBackup::~DatabaseBackup() { Detach(); }

fb::Handle<IService> DatabaseBackup::Attach() const {
    const std::string name = ServiceManagerName(location_);
    const auto spb = fb::ParameterBlock(IXpbBuilder::SPB_ATTACH, [](ThrowStatusWrapper *st, IXpbBuilder *builder) {
        builder->insertString(st, isc_spb_user_name, TargetDatabase::kUserName);
        builder->insertString(st, isc_spb_password, fb::kPassword);
    });
    const fb::Handle<IProvider> provider(fb::Master()->getDispatcher());
    return fb::Handle<IService>(fb::Call([&](ThrowStatusWrapper *st) {
        return provider->attachServiceManager(st, name.c_str(), static_cast<unsigned>(spb.size()), spb.data());
    }));
}

void DatabaseBackup::Detach() {
    fb::EndQuietly(service_, [](auto *service, auto *st) { service->detach(st); });
}

void DatabaseBackup::Run(const std::vector<unsigned char> &start, const Progress &progress) {
    // One attachment per action: after a failed action the service may still be winding down, and a second
    // action started on the same attachment would be refused as "busy".
    if (!service_)
        service_ = Attach();
    // The embedded engine's service thread still runs for a moment after its report has ended, also after a
    // failure, and nothing tells when it is gone; the engine unloaded at the end of the process under it crashes
    // the process (seen with a restore, failed or not, followed by the end of the command). A pause far longer
    // than that moment, short beside any backup, lets it end, however the action ended.
    struct DetachAtEnd {
        DatabaseBackup &backup;
        ~DetachAtEnd() {
            if (backup.local_)
                std::this_thread::sleep_for(kServiceEndPause);
            backup.Detach();
        }
    } detachAtEnd{*this};
    fb::Call([&](ThrowStatusWrapper *st) {
        service_->start(st, static_cast<unsigned>(start.size()), start.data());
        // One line per query; an empty line ends the report. The service's failure, if any, comes back as the
        // error of the query that would have read past its last line.
        const unsigned char item = isc_info_svc_line;
        std::vector<unsigned char> buffer(16 * 1024);
        BackupReportReader report;
        for (;;) {
            service_->query(st, 0, nullptr, 1, &item, static_cast<unsigned>(buffer.size()), buffer.data());
            const unsigned char *p = buffer.data();
            if (p[0] != isc_info_svc_line)
                break;
            const unsigned length = p[1] | (p[2] << 8);
            if (length == 0) {
                if (p[3] == isc_info_data_not_ready)
                    continue;
                break;
            }
            if (report.Read(std::string_view(reinterpret_cast<const char *>(p + 3), length)) && progress)
                progress(report.Progress());
        }
    });
}

void DatabaseBackup::Backup(const std::string &databasePath, const std::string &backupFile, const Progress &progress) {
    if (Exists(backupFile))
        throw DatabaseError(FromUtf8("Le fichier de sauvegarde existe déjà : ") + backupFile);
    const auto startInto = [&](const std::string &file) {
        return fb::ParameterBlock(IXpbBuilder::SPB_START, [&](ThrowStatusWrapper *st, IXpbBuilder *spb) {
            spb->insertTag(st, isc_action_svc_backup);
            spb->insertString(st, isc_spb_dbname, databasePath.c_str());
            spb->insertString(st, isc_spb_bkp_file, file.c_str());
            spb->insertInt(st, isc_spb_verbint, kRowsReportInterval);
        });
    };
    // A server writes the file where this program may not reach.
    if (!local_) {
        Run(startInto(backupFile), progress);
        return;
    }
    // The engine writes beside the final name, which the file takes once complete: a backup cut short (the
    // program killed) never stands under the name of a backup. What such a backup left is replaced.
    const std::string partial = backupFile + ".partiel";
    RemoveQuietly(partial);
    CreateBackupFile(partial, backupFile);
    try {
        Run(startInto(partial), progress);
        // A link never replaces a file: a backup that appeared under the name meanwhile is kept.
        std::filesystem::create_hard_link(partial, backupFile);
    } catch (const std::filesystem::filesystem_error &e) {
        RemoveQuietly(partial);
        throw DatabaseError(FromUtf8("Impossible de nommer le fichier de sauvegarde ") + backupFile + " : " +
                            e.code().message());
    } catch (...) {
        RemoveQuietly(partial);
        throw;
    }
    RemoveQuietly(partial);
}

void DatabaseBackup::Restore(const std::string &backupFile, const std::string &databasePath, const Progress &progress) {
    ConnectionSettings restored = location_;
    restored.path = databasePath;
    if (local_ ? Exists(databasePath) : Attachable(DatabaseName(restored)))
        throw DatabaseError(FromUtf8("La base de données existe déjà : ") + databasePath);
    const auto start = fb::ParameterBlock(IXpbBuilder::SPB_START, [&](ThrowStatusWrapper *st, IXpbBuilder *spb) {
        spb->insertTag(st, isc_action_svc_restore);
        spb->insertString(st, isc_spb_bkp_file, backupFile.c_str());
        spb->insertString(st, isc_spb_dbname, databasePath.c_str());
        spb->insertInt(st, isc_spb_options, isc_spb_res_create);
        spb->insertInt(st, isc_spb_verbint, kRowsReportInterval);
    });
    try {
        Run(start, progress);
    } catch (...) {
        if (local_)
            RemoveQuietly(databasePath);
        throw;
    }
    // A backup file cut short (a copy stopped half-way) restores without any error, into a database left shut
    // down and holding part of the rows: it is no copy of the practice and must not pass for one.
    TargetDatabase db;
    db.Open(DatabaseName(restored));
    if (!Online(db)) {
        db.Drop();
        throw DatabaseError(FromUtf8("La sauvegarde est incomplète, la base restaurée a été supprimée : ") +
                            backupFile);
    }
    db.Close();
}

} // namespace clinova
