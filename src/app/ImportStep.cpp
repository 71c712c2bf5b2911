#include "app/ImportStep.h"

#include "app/RunState.h"
#include "database/DatabaseError.h"
#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"

#include <chrono>
#include <cstdint>
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
    void Finish(Operator &op, std::vector<std::string> &written) {
        if (!started_)
            return;
        started_ = false;
        std::error_code ec;
        try {
            if (count_ > 0) {
                WriteWholeFile(path_, header_ + "\r\n" + content_);
                written.push_back(path_);
            } else
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

// The data lines whose rows are written but not committed yet, and the lengths of the correspondence lists
// at the last commit. When the connection is lost those rows are gone: their lines become failed lines
// with their log lines, and the lists forget what they named, so that a later run imports them again.
class UncommittedLines {
public:
    struct Line {
        int number;
        std::string text;
        LineOutcome outcome;
    };

    explicit UncommittedLines(const CorrespondenceLists &lists) : committed_(lists.CurrentLengths()) {}

    // After a line that did not fail. listsBefore: the lengths before the line; commitsBefore: the commits
    // counted before it.
    void LineDone(const RunState &state, const CorrespondenceLists::Lengths &listsBefore,
                  std::uint64_t commitsBefore, int number, const std::string &text, LineOutcome outcome) {
        if (state.db.PendingRows() == 0) {
            lines_.clear();
            committed_ = state.lists.CurrentLengths();
            return;
        }
        if (state.db.Commits() != commitsBefore) {
            // Something committed inside the line (a message shown): the lines before it are safe.
            lines_.clear();
            committed_ = listsBefore;
        }
        if (outcome != LineOutcome::Skipped)
            lines_.push_back({number, text, outcome});
    }
    void Committed(const CorrespondenceLists &lists) {
        lines_.clear();
        committed_ = lists.CurrentLengths();
    }
    const std::vector<Line> &Lines() const { return lines_; }
    const CorrespondenceLists::Lengths &CommittedLengths() const { return committed_; }

private:
    std::vector<Line> lines_;
    CorrespondenceLists::Lengths committed_;
};

// Grouped commits wait for the end of each line while the step reads its lines.
class LineCommits {
public:
    explicit LineCommits(TargetDatabase &db) : db_(db) { db_.SetLineCommits(true); }
    ~LineCommits() { db_.SetLineCommits(false); }
    LineCommits(const LineCommits &) = delete;
    LineCommits &operator=(const LineCommits &) = delete;

private:
    TargetDatabase &db_;
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
        rejects_.Finish(state_.op, state_.writtenFiles);
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
    summary.missingColumns = !CheckMandatoryColumns(op, step.fileName, columns, step.mandatoryColumns);
    if (!summary.missingColumns) {
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
        const int total = lineCount > 0 ? static_cast<int>(lineCount - 1) : 0;
        const auto failLine = [&](int number, const std::string &text, const std::string &message) {
            ++summary.failed;
            op.AddToLog(LineFailureLog(step, number, message));
            rejects.Add(text, message);
        };
        // The connection is lost: the uncommitted lines fail and the lists forget them; then the lines not read
        // are named, and the error ends the run.
        const auto loseUncommitted = [&](const UncommittedLines &uncommitted, const DatabaseError &e) {
            for (const auto &lost : uncommitted.Lines()) {
                if (lost.outcome == LineOutcome::Imported)
                    --summary.imported;
                else
                    --summary.matched;
                failLine(lost.number, lost.text, FromUtf8("écrite mais non validée : ") + e.what());
            }
            state.lists.TruncateTo(uncommitted.CommittedLengths());
        };
        const auto stopReading = [&](int linesRead, const DatabaseError &e) {
            if (linesRead < total)
                op.AddToLog(step.fileName + FromUtf8("/lignes ") + std::to_string(linesRead + 1) + FromUtf8(" à ") +
                            std::to_string(total) + FromUtf8(" non lues : ") + e.what());
            state.db.Abandon();
        };

        TargetDatabase &db = state.db;
        // Rows of the preparatory work are committed before the first line, so that they never wait with
        // the rows of a line.
        if (db.PendingRows() > 0)
            db.CommitRetaining();
        UncommittedLines uncommitted(state.lists);
        LineCommits lineCommits(db);
        int lastRead = 0;
        for (int i = 1; reader.Next(line); ++i) {
            lastRead = i;
            op.SetWaitMessage(step.progressText + std::to_string(i) + "/" + std::to_string(total) + "...");
            op.StepProgress(StepProgressReport::Line(step.fileName, path, i, total));
            const auto listsBefore = state.lists.CurrentLengths();
            const auto commitsBefore = db.Commits();
            try {
                cut.Line = line;
                if (cut.Cut()) {
                    ++summary.read;
                    cut.TrimFields();
                    const LineOutcome outcome = work(StepLine(columns, cut, i, line));
                    db.LineEnded();
                    switch (outcome) {
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
                    uncommitted.LineDone(state, listsBefore, commitsBefore, i, line, outcome);
                }
            } catch (const DatabaseError &e) {
                if (e.ConnectionLost())
                    loseUncommitted(uncommitted, e);
                failLine(i, line, e.what());
                if (e.ConnectionLost()) {
                    stopReading(i, e);
                    throw;
                }
            } catch (const std::exception &e) {
                failLine(i, line, e.what());
            }
            op.ProcessPendingMessages();
            if (step.interruptible && op.Interrupted()) {
                state.StopRequested = true;
                summary.interrupted = true;
                break;
            }
        }
        try {
            if (db.PendingRows() > 0)
                db.CommitRetaining();
            uncommitted.Committed(state.lists);
        } catch (const DatabaseError &e) {
            if (e.ConnectionLost()) {
                loseUncommitted(uncommitted, e);
                stopReading(lastRead, e);
            }
            throw;
        }
    }

    end.Finish();
    summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (summary.ran || summary.missingColumns)
        state.summaries.push_back(summary);
    return summary;
}

bool CheckStepFiles(RunState &state, const std::vector<const StepDefinition *> &files) {
    std::vector<TColList> columns(files.size());
    bool complete = true;
    for (std::size_t f = 0; f < files.size(); ++f) {
        columns[f].LoadHeader(state.SourcePath(files[f]->fileName));
        for (const auto &name : files[f]->mandatoryColumns)
            complete = complete && columns[f].FindColumn(name) != nullptr;
    }
    if (complete)
        return true;
    WaitShown wait(state.op);
    state.op.SetWaitMessage(files.front()->waitText);
    for (std::size_t f = 0; f < files.size(); ++f) {
        if (!CheckMandatoryColumns(state.op, files[f]->fileName, columns[f], files[f]->mandatoryColumns)) {
            StepSummary summary;
            summary.fileName = files[f]->fileName;
            summary.missingColumns = true;
            state.summaries.push_back(summary);
        }
    }
    return false;
}

} // namespace clinova
