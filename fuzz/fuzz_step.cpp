// The common shape of an import step on any file content, with a small step that converts its fields.
#include "app/ImportStep.h"
#include "app/RunState.h"
#include "normalized/Conversions.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <string>

namespace {

class SilentOperator final : public clinova::Operator {
public:
    void AddToLog(const std::string &) override {}
    void ClearLog() override {}
    void ShowWait() override {}
    void HideWait() override {}
    void SetWaitMessage(const std::string &) override {}
    bool Interrupted() const override { return false; }
    int ShowStyledBox(const clinova::StyledBox &box) override { return box.button1; }
    int ShowStandardDialog(const std::string &, clinova::MessageKind, unsigned, int) override { return 1; }
    void ShowMessage(const std::string &) override {}
    void ProcessPendingMessages() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const std::filesystem::path folder = [] {
        auto p = std::filesystem::temp_directory_path() / ("clinova-fuzz-step-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        return p;
    }();
    {
        std::ofstream out(folder / "VILLES.TXT", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    }
    SilentOperator op;
    clinova::RunState state(op);
    state.PathSources = (folder / "").string();
    state.options.cbVILLES = {true, true};
    clinova::StepDefinition step{.fileName = "VILLES.TXT",
                                 .checkBox = &clinova::ImportOptions::cbVILLES,
                                 .waitText = "Importation des villes",
                                 .progressText = "Importation villes ",
                                 .mandatoryColumns = {"CODE_POSTAL", "VILLE"},
                                 .interruptionKind = "VILLES",
                                 .logPrefix = {},
                                 .logsInterruption = true};
    clinova::RunImportStep(state, step, [](const clinova::StepLine &line) {
        clinova::ParseDateDMY(line.Field("VILLE"));
        clinova::StrToInt(line.Field("CODE_POSTAL"));
        return clinova::LineOutcome::Imported;
    });
    return 0;
}
