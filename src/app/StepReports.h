#pragma once
// The three reports of a step's lines beside its file.

#include "app/ImportStep.h"
#include "app/LineReport.h"
#include "app/RunState.h"
#include "normalized/Win1252.h"

#include <optional>
#include <string>

namespace clinova {

// The three reports of a step's lines beside its file: REJETS_ for the failed lines, AVERTISSEMENTS_ for the lines
// imported with a warning, IGNOREES_ for the lines left aside by a rule of the step.
struct StepReports {
    std::optional<LineReport> rejects;
    std::optional<LineReport> warnings;
    std::optional<LineReport> skipped;

    void Start(const RunState &state, const StepDefinition &step, const std::string &header, bool utf8) {
        rejects.emplace(state.OutputPath(FromUtf8("REJETS_") + step.fileName), header, "MOTIF_DU_REJET", utf8);
        warnings.emplace(state.OutputPath(FromUtf8("AVERTISSEMENTS_") + step.fileName), header, "AVERTISSEMENT",
                         utf8);
        skipped.emplace(state.OutputPath(FromUtf8("IGNOREES_") + step.fileName), header, "MOTIF_IGNOREE", utf8);
    }
    void Finish(RunState &state) {
        for (auto *report : {&rejects, &warnings, &skipped})
            if (*report)
                (*report)->Finish(state.op, state.writtenFiles);
    }
};

} // namespace clinova
