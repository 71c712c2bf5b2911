// The common shape of an import step on any file content, with a small step that converts its fields.
#include "FuzzFolder.h"
#include "support/ScriptedOperator.h"

#include "app/ImportStep.h"
#include "app/RunState.h"
#include "normalized/Conversions.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const auto &folder = clinova::fuzz::FuzzFolder();
    folder.Write("VILLES.TXT", std::string(reinterpret_cast<const char *>(data), size));
    clinova::test::ScriptedOperator op;
    clinova::RunState state(op);
    state.PathSources = folder.Folder();
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
