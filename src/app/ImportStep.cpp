#include "app/ImportStep.h"

#include "app/RunState.h"
#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"

#include <chrono>

namespace clinova {

namespace {

// Hides the wait window and logs the interruption however the step ends, also on an escaping error.
class StepEnd {
public:
    StepEnd(RunState &state, const StepDefinition &step) : state_(state), step_(step) {}
    ~StepEnd() {
        if (done_)
            return;
        try {
            Finish();
        } catch (...) {
            // The error that is already leaving the step is the one the run reports.
        }
    }
    void Finish() {
        done_ = true;
        state_.op.HideWait();
        if (state_.op.Interrupted() && step_.logsInterruption)
            state_.op.AddToLog(step_.interruptionKind + FromUtf8("/interruption de la procédure"));
    }

private:
    RunState &state_;
    const StepDefinition &step_;
    bool done_ = false;
};

} // namespace

std::string LineFailureLog(const StepDefinition &step, int lineNumber, std::string_view message) {
    const std::string &prefix = step.logPrefix.empty() ? step.fileName : step.logPrefix;
    return prefix + "/ligne " + std::to_string(lineNumber) + "/" + std::string(message);
}

StepSummary RunImportStep(RunState &state, const StepDefinition &step, const LineWork &work,
                          const std::function<void()> &beforeLines) {
    StepSummary summary;
    summary.fileName = step.fileName;
    if (state.StopRequested || (step.checkBox && !(state.options.*(step.checkBox)).Ticked()))
        return summary;

    const auto started = std::chrono::steady_clock::now();
    Operator &op = state.op;
    op.ShowWait();
    StepEnd end(state, step);
    op.SetWaitMessage(step.waitText);

    const std::string path = state.SourcePath(step.fileName);
    TColList columns;
    columns.LoadHeader(path);
    bool missing = false;
    for (const auto &name : step.mandatoryColumns) {
        if (!columns.FindColumn(name)) {
            op.AddToLog(step.fileName + FromUtf8("/manque colonne obligatoire \"") + name + "\"");
            missing = true;
        }
    }

    if (!missing) {
        if (beforeLines)
            beforeLines();
        summary.ran = true;

        // A first pass counts the lines for the progress text, so that the loop can stream the file.
        std::size_t lineCount = 0;
        std::optional<std::size_t> nulLine;
        {
            LineReader counter(path);
            while (counter.Skip())
                ++lineCount;
            nulLine = counter.NulLine();
        }
        if (nulLine)
            op.AddToLog(step.fileName + FromUtf8("/caractère NUL ligne ") + std::to_string(*nulLine) +
                        FromUtf8(" : la suite du fichier est ignorée"));

        LineReader reader(path);
        std::string line;
        TCut cut;
        if (reader.Next(line)) {
            cut.Separator = "\t";
            cut.Line = line;
            cut.PrepareFromLine();
        }
        const std::string total = lineCount > 0 ? std::to_string(lineCount - 1) : "0";
        for (int i = 1; reader.Next(line); ++i) {
            op.SetWaitMessage(step.progressText + std::to_string(i) + "/" + total + "...");
            try {
                cut.Line = line;
                if (cut.Cut()) {
                    ++summary.read;
                    cut.TrimFields();
                    switch (work(StepLine(columns, cut, i, line))) {
                    case LineOutcome::Imported:
                        ++summary.imported;
                        break;
                    case LineOutcome::Matched:
                        ++summary.matched;
                        break;
                    case LineOutcome::Skipped:
                        ++summary.skipped;
                        break;
                    }
                }
            } catch (const std::exception &e) {
                ++summary.failed;
                op.AddToLog(LineFailureLog(step, i, e.what()));
            }
            op.ProcessPendingMessages();
            if (op.Interrupted()) {
                state.StopRequested = true;
                summary.interrupted = true;
                break;
            }
        }
    }

    end.Finish();
    summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (summary.ran)
        state.summaries.push_back(summary);
    return summary;
}

} // namespace clinova
