#include "app/ImportStep.h"

#include "app/CorrespondenceTable.h"
#include "app/ImportJournal.h"
#include "app/UncommittedLines.h"
#include "app/LineReport.h"
#include "app/RunState.h"
#include "app/StepReports.h"
#include "database/DatabaseError.h"
#include "database/RowBatch.h"
#include "normalized/Errors.h"
#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <utility>

namespace clinova {

namespace {

// One data line from its end until its output is given: what it counts, its failure or its warnings, the list
// entries it added and what it keeps once its rows are written. A line whose rows wait in the step's batch is
// held, and the lines after it wait behind it, so that the log and the reports follow the source lines however
// the rows travel; a held line is settled (written, refused, warned) when its rows are sent.
struct LineRecord {
    int number;
    std::string text;
    LineOutcome outcome;
    std::optional<std::string> failure; // the line failed, with this message
    std::string failedColumn;           // the column of the value that did not convert, named in the rejects
    std::string skipReason;
    std::vector<std::string> warnings;
    std::vector<std::function<void()>> onceWritten;
    ListLengths before, after;
    bool held;
};

// Hides the wait window and logs the interruption however the step ends, also on an escaping error.
class StepEnd {
public:
    StepEnd(RunState &state, const StepDefinition &step, StepReports &reports)
        : state_(state), step_(step), reports_(reports) {}
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
        reports_.Finish(state_);
        state_.op.HideWait();
        if (state_.op.Interrupted() && step_.interruptible && step_.logsInterruption)
            state_.op.AddToLog(step_.interruptionKind + FromUtf8("/interruption de la procédure"));
    }

private:
    RunState &state_;
    const StepDefinition &step_;
    StepReports &reports_;
    bool done_ = false;
};

std::string Plural(int n, const char *one, const char *many) {
    return std::to_string(n) + " " + FromUtf8(n > 1 ? many : one);
}

// One run of the common shape over one file.
class StepRun final : private LineWrites {
public:
    StepRun(RunState &state, const StepDefinition &step, const LineWork &work, const LineWork &replay)
        : state_(state), op_(state.op), step_(step), work_(work), replay_(replay),
          path_(state.SourcePath(step.fileName)),
          end_(state, step, reports_) {
        summary_.fileName = step.fileName;
    }

    StepSummary Run(const std::function<void()> &beforeLines) {
        const auto started = std::chrono::steady_clock::now();
        op_.SetWaitMessage(step_.waitText);
        if (OpenFile()) {
            summary_.missingColumns =
                !CheckMandatoryColumns(op_, step_.fileName, columns_, step_.mandatoryColumns);
            if (!summary_.missingColumns) {
                if (beforeLines)
                    beforeLines();
                summary_.ran = true;
                ReadLines();
            }
        }
        end_.Finish();
        summary_.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        return summary_;
    }

private:
    // Finds what stands at the file's name and how to read it, and loads the header. False when the file is left
    // aside as a whole (the reason logged); a missing file gives an empty header, as an empty file does.
    bool OpenFile() {
        const EntryKind kind = KindOfEntry(path_);
        if (kind == EntryKind::Missing)
            return true;
        if (kind != EntryKind::RegularFile)
            return LeaveAside(FromUtf8("c'est ") + EntryKindText(kind) + FromUtf8(", pas un fichier ordinaire"),
                              FromUtf8("pas un fichier ordinaire"));
        survey_ = SurveyFile(path_);
        if (survey_.utf8Line) {
            const std::string where = *survey_.utf8Line == 0 ? FromUtf8("en-tête")
                                                             : "ligne " + std::to_string(*survey_.utf8Line);
            if (!state_.options.cbFichiersUTF8)
                return LeaveAside(FromUtf8("le texte est codé en UTF-8 et non en Windows-1252 (") + where +
                                      FromUtf8(") : fichier non importé ; cocher \"Fichiers UTF-8\" "
                                               "(cbFichiersUTF8) pour le lire en UTF-8"),
                                  FromUtf8("codé en UTF-8"));
            op_.AddToLog(step_.fileName + FromUtf8("/le texte est codé en UTF-8 (") + where +
                         FromUtf8(") : lu en UTF-8 et converti en Windows-1252"));
        }
        reader_.emplace(path_, survey_.utf8Line.has_value(), survey_.longestLine);
        if (reader_->Next()) {
            header_ = reader_->Raw();
            columns_.LoadHeaderLine(reader_->Text());
        }
        return true;
    }

    bool LeaveAside(const std::string &why, const std::string &summaryText) {
        op_.AddToLog(step_.fileName + "/" + why);
        summary_.leftAside = summaryText;
        return false;
    }

    void ReadLines() {
        if (!reader_)
            return;
        if (survey_.nulLine) {
            summary_.notRead = static_cast<int>(survey_.linesAfterNul);
            std::string text = step_.fileName + FromUtf8("/caractère NUL ligne ") + std::to_string(*survey_.nulLine) +
                               FromUtf8(" : la suite du fichier est ignorée");
            if (survey_.linesAfterNul > 0)
                text += ", " + Plural(summary_.notRead, "ligne non lue", "lignes non lues");
            op_.AddToLog(text);
        }
        cut_.Separator = "\t";
        cut_.Line = reader_->Text();
        cut_.PrepareFromLine();
        reports_.Start(state_, step_, header_, reader_->Utf8());
        total_ = survey_.lines > 0 ? static_cast<int>(survey_.lines - 1) : 0;

        TargetDatabase &db = state_.db;
        // Rows of the preparatory work are committed before the first line, so that they never wait with
        // the rows of a line.
        db.CommitPendingRows();
        UncommittedLines uncommitted(state_);
        const Connection::WholeLines wholeLines(db);
        uncommitted_ = &uncommitted;
        // The batch of a step whose rows travel together, when the rows are sent grouped and so committed.
        struct OpenBatch {
            std::optional<RowBatch> &batch;
            ~OpenBatch() { batch.reset(); }
        } openBatch{batch_};
        if (step_.rowsTravelTogether && db.Batching() && db.Policy() == CommitPolicy::Grouped)
            batch_.emplace(db);
        ImportJournal *journal = state_.journal;
        const int alreadyDone = LinesDoneBefore(state_, step_.fileName);
        int lastRead = 0;
        for (int i = 1; reader_->Next(); ++i) {
            lastRead = i;
            if (i <= alreadyDone) {
                SkipCommitted(i);
                continue;
            }
            if (journal)
                journal->LineStarting(step_.fileName, i);
            op_.SetWaitMessage(step_.progressText + std::to_string(i) + "/" + std::to_string(total_) + "...");
            op_.StepProgress(StepProgressReport::Line(step_.fileName, path_, i, total_));
            OneLine(i, uncommitted, journal);
            if (journal)
                journal->LineEnded(i); // also a line that was not cut or not mapped
            op_.ProcessPendingMessages();
            if (step_.interruptible && op_.Interrupted()) {
                state_.StopRequested = true;
                summary_.interrupted = true;
                break;
            }
        }
        try {
            SendBatch();
            db.CommitPendingRows();
            uncommitted.Committed(state_);
            if (journal)
                journal->LinesRead(step_.fileName, lastRead);
        } catch (const DatabaseError &e) {
            if (e.ConnectionLost()) {
                LoseUncommitted(uncommitted, e);
                StopReading(lastRead, e);
            } else {
                // The lines still waiting are given as they stand before the error leaves the step.
                for (LineRecord &line : lines_)
                    line.held = false;
                Release();
            }
            throw;
        }
    }

    // A line the interrupted run committed: counted, given to the step's replay, not imported again.
    void SkipCommitted(int i) {
        const auto *noted = state_.journal->NotedBefore(step_.fileName, i);
        if (noted && noted->kind == NotedKind::Failed) {
            // A failed line is a failed line of this run too: its log line and its place in the rejects.
            ++summary_.read;
            FailLine(i, reader_->Raw(), noted->text, false, noted->column);
            return;
        }
        if (noted && noted->kind == NotedKind::Skipped) {
            // A line left aside is so in this run too, in IGNOREES_; the step may still remember it.
            ++summary_.read;
            SkipLine(i, reader_->Raw(), noted->text, false);
        } else {
            if (noted) {
                ++summary_.warnings;
                summary_.reasons.Note(ReasonKind::Warned, i, noted->text);
                op_.AddToLog(LineFailureLog(step_, i, FromUtf8("avertissement : ") + noted->text));
                reports_.warnings->Add(reader_->Raw(), noted->text);
            }
            ++summary_.alreadyDone;
        }
        if (!replay_ || reader_->Unmapped())
            return;
        if (!CutLine())
            return;
        try {
            replay_(StepLine(columns_, cut_, i, reader_->Raw()));
        } catch (const std::exception &) {
            // The line failed in the interrupted run as well: it left nothing to remember.
        }
    }

    // Cuts the line read into its trimmed fields; false for a line that does not cut (an empty one). The
    // cutter takes the line's bytes instead of a copy: a long line is held once.
    bool CutLine() {
        cut_.Line.swap(reader_->Text());
        const bool cut = cut_.Cut();
        cut_.Line.swap(reader_->Text());
        if (cut)
            cut_.TrimFields();
        return cut;
    }

    void OneLine(int i, UncommittedLines &uncommitted, ImportJournal *journal) {
        TargetDatabase &db = state_.db;
        const std::string &raw = reader_->Raw();
        lineListsBefore_ = CurrentLengths(state_);
        struct CurrentLine {
            int &line;
            CurrentLine(int &l, int i) : line(l) { line = i; }
            ~CurrentLine() { line = 0; }
        } current(currentLine_, i);
        const auto commitsBefore = db.Commits();
        warnings_.clear();
        skipReason_.clear();
        fieldsRead_.clear();
        followingRefused_ = false;
        bool ended = false;
        try {
            if (const auto unmapped = reader_->Unmapped()) {
                ++summary_.read;
                LineFailed(i, raw, UnmappedCharacterMessage(*unmapped));
                return;
            }
            if (!CutLine())
                return;
            ++summary_.read;
            // The batch knows the line in progress for as long as its work runs, however it ends.
            struct LineInBatch {
                RowBatch *batch;
                void End() {
                    if (batch)
                        batch->EndLine();
                    batch = nullptr;
                }
                ~LineInBatch() { End(); }
            } inBatch{batch_ ? &*batch_ : nullptr};
            if (batch_)
                batch_->StartLine(i);
            const LineOutcome outcome =
                work_(StepLine(columns_, cut_, i, raw, &warnings_, this, &skipReason_, &fieldsRead_));
            inBatch.End();
            if (outcome == LineOutcome::Skipped && skipReason_.empty())
                throw ProgramError(FromUtf8("ligne ignorée sans motif"));
            // The end of the line: the batch leaves when it is full, and before a commit, so that what the server
            // said of its rows, this line's among them, is known when the line's record is made and every line
            // the commit makes permanent is settled before it.
            const bool commitDue = db.CommitDueAtLineEnd();
            if (batch_ && (commitDue || batch_->Full()))
                SendBatch();
            else
                Settle();
            if (followingRefused_)
                onceWritten_.clear();
            LineRecord record{i,       {}, outcome, {}, {}, std::move(skipReason_), std::move(warnings_),
                              std::move(onceWritten_), lineListsBefore_, CurrentLengths(state_),
                              batch_ && batch_->HoldsRowsOf(i)};
            onceWritten_.clear();
            warnings_.clear();
            skipReason_.clear();
            const bool failedLate = currentLateFailure_.has_value();
            if (failedLate) {
                // Its own main row was refused as the held rows left, during the line or at its end.
                EraseBetween(state_, record.before, record.after);
                record.failure = std::move(*currentLateFailure_);
                record.onceWritten.clear();
                currentLateFailure_.reset();
            }
            Ended(std::move(record), raw);
            ended = true;
            if (journal)
                journal->LineEnded(i);
            if (!failedLate)
                uncommitted.LineDone(state_, lineListsBefore_, commitsBefore, i, raw, outcome);
            if (commitDue) {
                db.CommitRetaining();
                uncommitted.Committed(state_);
            }
        } catch (const MainRowRefused &e) {
            // Its main row was refused as the rows that waited left, before another of its statements: it fails
            // there, and what it added to the lists goes. (A work that swallows the error fails the same way at
            // its end.)
            onceWritten_.clear();
            Settle();
            EraseBetween(state_, lineListsBefore_, CurrentLengths(state_));
            LineFailed(i, raw, currentLateFailure_.value_or(e.what()));
            currentLateFailure_.reset();
            if (journal)
                journal->LineEnded(i);
        } catch (const DatabaseError &e) {
            onceWritten_.clear();
            if (e.ConnectionLost())
                LoseUncommitted(uncommitted, e);
            // A line already ended (its commit failed) is among the uncommitted lines, failed with them.
            if (!ended)
                LineFailed(i, raw, e.what());
            if (e.ConnectionLost()) {
                StopReading(i, e);
                throw;
            }
            if (journal)
                journal->LineEnded(i);
        } catch (const ProgramError &) {
            // A fault of the program, not of the line: it ends the run.
            throw;
        } catch (const std::exception &e) {
            onceWritten_.clear();
            LineFailed(i, raw, e.what(), ColumnNotConverted(e));
            if (journal)
                journal->LineEnded(i);
        }
    }

    // The column of the value a conversion refused: the last field the line's work read that holds it; empty
    // when the error names no value or no field read holds it.
    std::string ColumnNotConverted(const std::exception &error) const {
        const auto *conversion = dynamic_cast<const ConversionError *>(&error);
        if (!conversion || !conversion->Value())
            return {};
        for (auto field = fieldsRead_.rbegin(); field != fieldsRead_.rend(); ++field) {
            if (**field != *conversion->Value())
                continue;
            for (const TCol &column : columns_)
                if (column.Index >= 0 && static_cast<std::size_t>(column.Index) < cut_.Fields.size() &&
                    &cut_.Fields[static_cast<std::size_t>(column.Index)] == *field)
                    return column.Name;
        }
        return {};
    }

    // A line that failed before its end: it waits behind the held lines, if any.
    void LineFailed(int i, const std::string &raw, std::string message, std::string column = {}) {
        Ended({i, {}, LineOutcome::Imported, std::move(message), std::move(column), {}, {}, {}, {}, {}, false}, raw);
    }

    // A line has ended: its output is given now, unless it or a line before it waits for held rows. Only a line
    // that waits keeps a copy of its text (a line may be long).
    void Ended(LineRecord &&line, const std::string &raw) {
        if (lines_.empty() && !line.held) {
            Give(line, raw);
            return;
        }
        line.text = raw;
        lines_.push_back(std::move(line));
        Release();
    }

    // Gives the output of the lines that no longer wait, in their order, up to the first held one.
    void Release() {
        while (!lines_.empty() && !lines_.front().held) {
            const LineRecord line = std::move(lines_.front());
            lines_.pop_front();
            Give(line, line.text);
        }
    }

    void Give(const LineRecord &line, const std::string &text) {
        if (line.failure) {
            FailLine(line.number, text, *line.failure, true, line.failedColumn);
            return;
        }
        for (const auto &action : line.onceWritten)
            action();
        Count(line, text);
    }

    // The work's writes after the line's main row go into the batch as such; what waits for the rows waits with
    // them.
    void FollowingMainRow(bool following) override { followingMainRow_ = following; }
    void Write(Statement &write, bool refusalIgnored) override {
        if (batch_)
            batch_->Add(write, followingMainRow_, refusalIgnored);
        else
            write.Execute();
    }
    void FollowingRefused() override { followingRefused_ = true; }
    void OnceWritten(std::function<void()> action) override {
        if (followingRefused_)
            return;
        if (step_.rowsTravelTogether)
            onceWritten_.push_back(std::move(action));
        else
            action();
    }

    void Count(const LineRecord &line, const std::string &text) {
        switch (line.outcome) {
        case LineOutcome::Imported:
            ++summary_.imported;
            break;
        case LineOutcome::Matched:
            ++summary_.matched;
            break;
        case LineOutcome::Skipped:
            SkipLine(line.number, text, line.skipReason);
            break;
        }
        ReportWarnings(line.number, text, line.warnings);
    }

    void ReportWarnings(int i, const std::string &raw, const std::vector<std::string> &warnings) {
        if (warnings.empty())
            return;
        ++summary_.warnings;
        std::string reasons;
        for (const auto &warning : warnings) {
            op_.AddToLog(LineFailureLog(step_, i, FromUtf8("avertissement : ") + warning));
            reasons += (reasons.empty() ? "" : " ; ") + warning;
        }
        reports_.warnings->Add(raw, reasons);
        summary_.reasons.Note(ReasonKind::Warned, i, reasons);
        if (state_.journal)
            state_.journal->LineNoted(step_.fileName, i, NotedKind::Warned, reasons);
    }

    // A line the step's work left aside, with its reason. journaled: false for a line the journal holds already.
    void SkipLine(int number, const std::string &text, const std::string &reason, bool journaled = true) {
        ++summary_.skipped;
        summary_.reasons.Note(ReasonKind::Skipped, number, reason);
        if (state_.journal && journaled)
            state_.journal->LineNoted(step_.fileName, number, NotedKind::Skipped, reason);
        if (reports_.skipped)
            reports_.skipped->Add(text, reason);
    }

    // journaled: false for a line the journal holds already.
    // column: that of a value that did not convert, which the rejects name before the message (the log line
    // names the line).
    void FailLine(int number, const std::string &text, const std::string &message, bool journaled = true,
                  const std::string &column = {}) {
        ++summary_.failed;
        summary_.reasons.Note(ReasonKind::Failed, number, message);
        if (state_.journal && journaled)
            state_.journal->LineNoted(step_.fileName, number, NotedKind::Failed, message, column);
        op_.AddToLog(LineFailureLog(step_, number, message));
        if (reports_.rejects)
            reports_.rejects->Add(text, column.empty() ? message : column + " : " + message);
    }

    LineRecord *Waiting(int number) {
        const auto line =
            std::find_if(lines_.begin(), lines_.end(), [&](const LineRecord &l) { return l.number == number; });
        return line == lines_.end() ? nullptr : &*line;
    }

    // A line whose row the server refused when the connection sent it, after the line was read: it becomes a
    // failed line (log line, reject line), and the list entries it added are taken back.
    void FailLate(const RefusedLine &failure) {
        LineRecord *line = Waiting(failure.line);
        if (!line) {
            if (failure.line == currentLine_)
                currentLateFailure_ = failure.message; // sent while the line was read: it fails at its end
            else
                FailLine(failure.line, {}, failure.message); // a line that had failed already, before its end
            return;
        }
        line->failure = failure.message;
        line->onceWritten.clear();
        EraseBetween(state_, line->before, line->after);
        ListLengths removed{};
        for (std::size_t k = 0; k < removed.size(); ++k)
            removed[k] = kCorrespondenceLists[k].takenBack ? line->after[k] - line->before[k] : 0;
        if (uncommitted_)
            uncommitted_->LineFailedLate(line->number, line->before, removed);
        const auto shift = [&](ListLengths &lengths) {
            for (std::size_t k = 0; k < removed.size(); ++k)
                if (lengths[k] >= line->after[k])
                    lengths[k] -= removed[k];
        };
        for (LineRecord &later : lines_) {
            if (later.number <= line->number)
                continue;
            shift(later.before);
            shift(later.after);
        }
        if (line->number != currentLine_)
            shift(lineListsBefore_);
        line->after = line->before;
    }

    // Sends the batch, and settles the lines it held.
    void SendBatch() {
        if (!batch_)
            return;
        batch_->Send();
        Settle();
    }

    // What the batch has sent is settled: the lines refused fail, or get their warning; every other line whose
    // rows no longer wait has them in the database. The lines are then given in their order.
    void Settle() {
        if (!batch_)
            return;
        for (const RefusedLine &failure : batch_->TakeRefused()) {
            if (!failure.warning) {
                FailLate(failure);
                continue;
            }
            // The line ends at its refused write: what it keeps of its rows is not kept.
            if (LineRecord *line = Waiting(failure.line)) {
                line->onceWritten.clear();
                line->warnings.push_back(failure.message);
            } else if (failure.line == currentLine_) {
                warnings_.push_back(failure.message);
                followingRefused_ = true;
            } else {
                op_.AddToLog(LineFailureLog(step_, failure.line, FromUtf8("avertissement : ") + failure.message));
            }
        }
        for (LineRecord &line : lines_)
            line.held = line.held && batch_->HoldsRowsOf(line.number);
        Release();
    }

    // The connection is lost: the uncommitted lines fail and the lists forget them.
    void LoseUncommitted(const UncommittedLines &uncommitted, const DatabaseError &e) {
        const std::string message = FromUtf8("écrite mais non validée : ") + e.what();
        for (const auto &lost : uncommitted.Lines()) {
            if (LineRecord *line = Waiting(lost.number)) {
                line->failure = message;
                line->onceWritten.clear();
                continue;
            }
            if (lost.outcome == LineOutcome::Imported)
                --summary_.imported;
            else
                --summary_.matched;
            FailLine(lost.number, lost.text, message);
        }
        TakeBackTo(state_, uncommitted.CommittedLengths());
        for (LineRecord &line : lines_)
            line.held = false;
        Release();
    }

    // Then the lines not read are named, and the error ends the run.
    void StopReading(int linesRead, const DatabaseError &e) {
        if (linesRead < total_) {
            summary_.notRead += total_ - linesRead;
            op_.AddToLog(step_.fileName + FromUtf8("/lignes ") + std::to_string(linesRead + 1) + FromUtf8(" à ") +
                         std::to_string(total_) + FromUtf8(" non lues : ") + e.what());
        }
        state_.db.Abandon();
    }

    RunState &state_;
    Operator &op_;
    const StepDefinition &step_;
    const LineWork &work_;
    const LineWork &replay_;
    const std::string path_;
    StepSummary summary_;
    StepReports reports_;
    StepEnd end_;
    FileSurvey survey_;
    std::optional<SourceLineReader> reader_;
    std::string header_;
    TColList columns_;
    TCut cut_;
    int total_ = 0;
    std::vector<std::string> warnings_;
    std::string skipReason_; // of the line being read, when its work left it aside
    std::vector<const std::string *> fieldsRead_; // the fields the line's work read, in order
    std::deque<LineRecord> lines_; // ended, their output not given yet
    UncommittedLines *uncommitted_ = nullptr;
    int currentLine_ = 0;
    ListLengths lineListsBefore_{};
    std::optional<std::string> currentLateFailure_;
    std::vector<std::function<void()>> onceWritten_; // of the line being read
    bool followingRefused_ = false;                  // a write after the main row of the line being read
    bool followingMainRow_ = false;                  // the line's writes now follow its main row
    std::optional<RowBatch> batch_;                  // while the lines are read, when their rows travel together
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
                          const std::function<void()> &beforeLines, const LineWork &replay) {
    if (state.StopRequested || (step.checkBox && !(state.options.*(step.checkBox)).Ticked())) {
        StepSummary summary;
        summary.fileName = step.fileName;
        return summary;
    }
    state.op.ShowWait();
    StepSummary summary;
    {
        StepRun run(state, step, work, replay);
        summary = run.Run(beforeLines);
    }
    if (summary.ran || summary.missingColumns || !summary.leftAside.empty())
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
