#include "run/Rehearsal.h"

#include "app/DatabaseActions.h"
#include "app/RunState.h"
#include "normalized/Conversions.h"
#include "normalized/DateTime.h"
#include "normalized/Win1252.h"
#include "run/ImportRun.h"

#include <filesystem>

namespace clinova {

namespace {

// Drops the copy; a failure is logged, never thrown: the rehearsal's outcome stands.
void DropCopy(RunState &state, const ImportOptions &copySettings) {
    try {
        TargetDatabase copy;
        copy.Open(DatabaseName(TargetConnection(copySettings)));
        copy.Drop();
        state.op.AddToLog(FromUtf8("Copie de la répétition supprimée : ") + copySettings.edPathNameDatabase);
    } catch (const std::exception &e) {
        state.op.AddToLog(FromUtf8("La copie de la répétition n'a pas pu être supprimée : ") +
                          copySettings.edPathNameDatabase + " : " + e.what());
    }
}

} // namespace

const char *RehearsalFolderName() { return "REPETITION"; }

RehearsalFiles RehearsalFilesOf(const std::string &databasePath) {
    const auto cut = databasePath.find_last_of("/\\");
    const std::size_t nameStart = cut == std::string::npos ? 0 : cut + 1;
    std::string name = databasePath.substr(nameStart);
    if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.erase(dot);
    RehearsalFiles files;
    files.backup = DefaultBackupPath(databasePath.substr(0, nameStart) + name + "_REPETITION.fdb", Now());
    files.copy = files.backup.substr(0, files.backup.size() - 4) + ".fdb";
    return files;
}

RunOutcome RehearseImport(RunState &state) {
    Operator &op = state.op;
    op.ClearLog();
    if (state.options.cbReprise) {
        const std::string text = FromUtf8("Une répétition ne reprend pas une importation interrompue : "
                                          "décochez \"Reprendre l'importation interrompue\"");
        op.AddToLog(text);
        op.ShowInfoMessage(text);
        return RunOutcome::Refused;
    }
    const ImportOptions practice = state.options;
    // The settings and the folders are the practice's again however the rehearsal ends.
    struct Restore {
        RunState &state;
        const ImportOptions &practice;
        ~Restore() {
            state.options = practice;
            state.rehearsal.reset();
            state.OutputFolder.clear();
        }
    } restore{state, practice};

    const std::string folder = state.PathSources + RehearsalFolderName();
    std::error_code ec;
    std::filesystem::create_directory(folder, ec);
    if (ec || std::filesystem::symlink_status(folder, ec).type() != std::filesystem::file_type::directory) {
        const std::string text = FromUtf8("Répétition impossible : le dossier ") + folder +
                                 FromUtf8(" ne peut pas être créé");
        op.AddToLog(text);
        op.ShowInfoMessage(text);
        return RunOutcome::Refused;
    }

    const RehearsalFiles files = RehearsalFilesOf(practice.edPathNameDatabase);
    // Through a server the backup lies on the server's disk, out of this machine's reach: it stays there.
    const bool keepBackup = practice.RadioButtonIP;
    op.AddToLog(FromUtf8("Répétition de l'importation dans une copie jetable de ") + TargetDatabaseText(practice));
    state.options.cbSauvegardeAvant = true;
    state.options.edPathSauvegarde = files.backup;
    if (const BackupOutcome backup = BackupBeforeAction(state); backup != BackupOutcome::Ready)
        return backup == BackupOutcome::Interrupted ? RunOutcome::Interrupted : RunOutcome::Failed;
    const auto removeBackup = [&] {
        if (!keepBackup) {
            std::error_code ignored;
            std::filesystem::remove(files.backup, ignored);
        } else {
            op.AddToLog(FromUtf8("Sauvegarde de la répétition gardée sur le serveur : ") + files.backup);
        }
    };
    state.options.edPathNameDatabase = files.copy;
    if (!RestoreBackup(state, files.backup)) {
        removeBackup();
        return RunOutcome::Failed;
    }

    state.options.cbSauvegardeAvant = false;
    state.options.edPathSauvegarde.clear();
    state.rehearsal = RunState::Rehearsal{TargetDatabaseText(practice), files.copy, files.backup};
    state.OutputFolder = AddTrailingBackslash(folder);
    const RunOutcome outcome = btnImportationClick(state);
    const ImportOptions copySettings = state.options;
    DropCopy(state, copySettings);
    removeBackup();
    return outcome;
}

} // namespace clinova
