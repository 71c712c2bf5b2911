#include "app/ImportStep.h"

#include "app/RunState.h"
#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"

#include <chrono>
#include <filesystem>

namespace clinova {

namespace {

// The failed lines of a step, written beside the source file as REJETS_<FILE> so that the technician can
// correct them and import them again: the header line, then each failed line exactly as read, a tab and
// the reason. No such file stays when no line failed.
class Rejects {
public:
    void Start(const std::string &path, const std::string &header) {
        path_ = path;
        header_ = header;
        started_ = true;
    }
    void Add(const std::string &line, std::string_view reason) {
        content_ += line;
        content_ += '\t';
        content_ += reason;
        content_ += "\r\n";
        ++count_;
    }
    void Finish(Operator &op) {
        if (!started_)
            return;
        started_ = false;
        std::error_code ec;
        try {
            if (count_ > 0)
                WriteWholeFile(path_, header_ + "\r\n" + content_);
            else
                std::filesystem::remove(path_, ec);
        } catch (const std::exception &e) {
            op.AddToLog(e.what());
        }
    }

private:
    std::string path_, header_, content_;
    int count_ = 0;
    bool started_ = false;
};

// Hides the wait window and logs the interruption however the step ends, also on an escaping error.
class StepEnd {
public:
    StepEnd(RunState &state, const StepDefinition &step, Rejects &rejects)
        : state_(state), step_(step), rejects_(rejects) {}
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
        rejects_.Finish(state_.op);
        state_.op.HideWait();
        if (state_.op.Interrupted() && step_.interruptible && step_.logsInterruption)
            state_.op.AddToLog(step_.interruptionKind + FromUtf8("/interruption de la procédure"));
    }

private:
    RunState &state_;
    const StepDefinition &step_;
    Rejects &rejects_;
    bool done_ = false;
};

} // namespace

std::string LineFailureLog(const StepDefinition &step, int lineNumber, std::string_view message) {
    const std::string &prefix = step.logPrefix.empty() ? step.fileName : step.logPrefix;
    return prefix + "/ligne " + std::to_string(lineNumber) + "/" + std::string(message);
}

bool CheckMandatoryColumns(Operator &op, const std::string &fileName, const TColList &columns,
                           const std::vector<std::string> &mandatory) {
    bool complete = true;
    for (const auto &name : mandatory) {
        if (!columns.FindColumn(name)) {
            op.AddToLog(fileName + FromUtf8("/manque colonne obligatoire \"") + name + "\"");
            complete = false;
        }
    }
    return complete;
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
    Rejects rejects;
    StepEnd end(state, step, rejects);
    op.SetWaitMessage(step.waitText);

    const std::string path = state.SourcePath(step.fileName);
    TColList columns;
    columns.LoadHeader(path);
    if (CheckMandatoryColumns(op, step.fileName, columns, step.mandatoryColumns)) {
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
            rejects.Start(state.SourcePath(FromUtf8("REJETS_") + step.fileName), line);
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
                rejects.Add(line, e.what());
            }
            op.ProcessPendingMessages();
            if (step.interruptible && op.Interrupted()) {
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
