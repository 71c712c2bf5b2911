#include "run/SourceFolder.h"

#include "app/RunState.h"
#include "import/ImportSteps.h"
#include "normalized/Conversions.h"
#include "normalized/OutputFile.h"
#include "normalized/Win1252.h"

#include <filesystem>

namespace clinova {

void ScanSourceFolder(RunState &state, const std::string &folder) {
    state.PathSources = AddTrailingBackslash(folder);
    for (const auto &file : SourceFiles()) {
        FileCheckBox &box = state.options.*(file.box);
        box.checked = false;
        box.enabled = false;
    }
    // Whatever stands at a file's name is offered: a folder or a link there is then refused by the step with
    // its own log line, instead of the file being silently taken for absent.
    for (const auto &file : SourceFiles()) {
        FileCheckBox &box = state.options.*(file.box);
        box.enabled = !state.PathSources.empty() && KindOfEntry(state.SourcePath(file.fileName)) != EntryKind::Missing;
        box.checked = box.enabled;
    }
}

std::string NoTickedFileText(const std::string &folder) {
    std::string names;
    for (const auto &file : SourceFiles())
        names += (names.empty() ? "" : ", ") + std::string(file.fileName);
    return FromUtf8("Aucun des fichiers cochés n'est dans ") + folder + FromUtf8(" (fichiers cherchés : ") + names +
           ")";
}

std::uintmax_t TickedFilesSize(const RunState &state) {
    std::uintmax_t total = 0;
    for (const auto &file : SourceFiles()) {
        if (!(state.options.*(file.box)).Ticked())
            continue;
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(state.SourcePath(file.fileName), ec);
        if (!ec)
            total += size;
    }
    return total;
}

} // namespace clinova
