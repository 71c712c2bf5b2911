// The check of a folder (`clinova-import check --source DIR`) on hostile files. The bytes are cut at form
// feeds into the files below, in this order (an empty part leaves its file out of the folder); a part after
// them holds settings, one NAME=VALUE a line, as --set gives them. The check reads, logs and counts; it
// throws nothing but FileError.
#include "FuzzFolder.h"
#include "support/ScriptedOperator.h"

#include "app/RunState.h"
#include "normalized/Errors.h"
#include "run/PreflightCheck.h"
#include "run/SourceFolder.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

// The clients, what refers to them, and two files with conversions of their own.
constexpr std::array<const char *, 5> kFiles = {"CLIENTS.TXT", "ANIMAUX.TXT", "CONSULTATIONS.TXT", "EVENEMENTS.TXT",
                                                "POIDS.TXT"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const auto &folder = clinova::fuzz::FuzzFolder();
    std::string_view rest(reinterpret_cast<const char *>(data), size);
    const auto next = [&] {
        const auto cut = rest.find('\f');
        const std::string_view part = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
        return part;
    };
    for (const char *name : kFiles) {
        const std::string_view part = next();
        if (part.empty())
            std::filesystem::remove(folder.File(name));
        else
            folder.Write(name, std::string(part));
    }

    clinova::test::ScriptedOperator op;
    clinova::RunState state(op);
    for (std::string_view settings = next(); !settings.empty();) {
        const auto end = settings.find('\n');
        const std::string_view line = settings.substr(0, end);
        settings = end == std::string_view::npos ? std::string_view() : settings.substr(end + 1);
        const auto equal = line.find('=');
        std::string error;
        if (equal != std::string_view::npos)
            (void)clinova::SetOption(state.options, line.substr(0, equal), line.substr(equal + 1), error);
    }
    clinova::ScanSourceFolder(state, folder.Folder());
    try {
        (void)clinova::CheckSourceFolder(op, state.PathSources, state.options);
    } catch (const clinova::FileError &) {
    }
    return 0;
}
