#pragma once
// The common shape of an import step, written once: the check box and StopRequested test, the wait
// window, the header and its mandatory columns, the line loop with its per-line guard and log line, and
// the interruption. A step gives its file, its texts, its mandatory columns and what it does with a line.

#include "app/ImportOptions.h"
#include "app/Operator.h"
#include "app/StepSummary.h"
#include "database/DatabaseError.h"
#include "database/Statement.h"
#include "normalized/TColList.h"
#include "normalized/TCut.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace clinova {

struct RunState;

// What became of one data line that did not fail.
enum class LineOutcome {
    Imported, // rows written for it
    Matched,  // found already in the database (a duplicate), nothing new written
    Skipped,  // left aside by a stated rule (unknown owner, date filter...): given by StepLine::Skip with its reason
};

struct StepDefinition {
    std::string fileName;                               // "VILLES.TXT"
    FileCheckBox ImportOptions::*checkBox = nullptr;    // nullptr: the caller decided the step runs
    std::string waitText;                               // "Importation des villes"
    std::string progressText;                           // "Importation villes "
    std::vector<std::string> mandatoryColumns;          // in the order their absence is logged
    std::string interruptionKind;                       // "VILLES": "VILLES/interruption de la procédure"
    std::string logPrefix;                              // the per-line log prefix; the file name when empty
    bool logsInterruption = true;                       // a few steps write no interruption line
    bool interruptible = true;                          // a few steps always run to their end
    // Each line writes at most one main row, by one insert, and after it only writes that follow from it
    // (StepLine::AfterMainRow), adds to the correspondence lists, and leaves to StepLine::OnceWritten what
    // must wait for its rows: nothing the line does needs a count of what it wrote, and what it reads runs only
    // after the rows that wait are sent (a read that needs them costs a sending). Its writes go through
    // StepLine::Write into the step's batch (RowBatch), which checks the contract, and travel to the server
    // several at a time; a main row the server refuses later fails its line after the fact, a write after it
    // refused later is a warning of its line.
    bool rowsTravelTogether = false;
};

// What a line's work tells the framework of its writes (see StepLine).
class LineWrites {
public:
    // The line's writes from now on follow its main row (or no longer do).
    virtual void FollowingMainRow(bool following) = 0;
    // A write that follows the main row failed at once: what the line keeps of its rows is not kept.
    virtual void FollowingRefused() = 0;
    virtual void OnceWritten(std::function<void()> action) = 0;
    // A write of the line: into the step's batch when its rows travel together, executed otherwise. With
    // refusalIgnored, a refusal found when the batch is sent is dropped.
    virtual void Write(Statement &write, bool refusalIgnored) = 0;

protected:
    ~LineWrites() = default;
};

// The current data line, as the step's work sees it.
class StepLine {
public:
    StepLine(const TColList &columns, TCut &cut, int number, const std::string &raw,
             std::vector<std::string> *warnings = nullptr, LineWrites *writes = nullptr,
             std::string *skipReason = nullptr, std::vector<const std::string *> *fieldsRead = nullptr)
        : columns_(columns), cut_(cut), number_(number), raw_(raw), warnings_(warnings), writes_(writes),
          skipReason_(skipReason), fieldsRead_(fieldsRead) {}

    // Data lines count from 1: line 1 is the first line after the header.
    int Number() const { return number_; }
    // The line exactly as read.
    const std::string &Raw() const { return raw_; }
    bool Has(std::string_view column) const { return columns_.FindColumn(column) != nullptr; }
    // The trimmed field of the named column; empty when the header has no such column. The field is noted as
    // read: a value that then does not convert names its column in the rejects.
    const std::string &Field(std::string_view column) const {
        const std::string &field = FieldOf(columns_, cut_, column);
        if (fieldsRead_)
            fieldsRead_->push_back(&field);
        return field;
    }
    // The field's text taken out of the line, for a long text the work turns into something else (a document),
    // so that it is not held twice; the field reads empty afterwards.
    std::string TakeField(std::string_view column) const {
        const TCol *col = columns_.FindColumn(column);
        if (!col || col->Index < 0 || static_cast<std::size_t>(col->Index) >= cut_.Fields.size())
            return {};
        return std::move(cut_.Fields[static_cast<std::size_t>(col->Index)]);
    }
    const TColList &Columns() const { return columns_; }

    // A write that follows the line's main row (a passport after its animal, a category after its contact):
    // when it fails, the main row stays in the database, so the line is imported, with the failure as its
    // warning, and is not a rejected line (importing the rejects again would write that row twice). A lost
    // connection still fails the line.
    template <typename Write> void AfterMainRow(Write &&write) const {
        struct Following {
            LineWrites *writes;
            explicit Following(LineWrites *w) : writes(w) {
                if (writes)
                    writes->FollowingMainRow(true);
            }
            ~Following() {
                if (writes)
                    writes->FollowingMainRow(false);
            }
        } following(writes_);
        try {
            write();
        } catch (const MainRowRefused &) {
            throw;
        } catch (const DatabaseError &e) {
            if (e.ConnectionLost())
                throw;
            Refused(e.what());
        } catch (const std::exception &e) {
            Refused(e.what());
        }
    }
    // Writes the row of the line as the statement's parameters stand (its main row, or within AfterMainRow a
    // write that follows it): in a step whose rows travel together it goes with the step's batch and its
    // refusal reaches the line later; otherwise it is executed now.
    void Write(Statement &write) const {
        if (writes_)
            writes_->Write(write, false);
        else
            write.Execute();
    }
    // Within AfterMainRow, a write whose refusal changes nothing else and is not reported (the identification
    // of calls): a failure now is thrown as for Write; a refusal found when the batch is sent is dropped.
    void WriteIgnoringRefusal(Statement &write) const {
        if (writes_)
            writes_->Write(write, true);
        else
            write.Execute();
    }
    void Warn(std::string message) const {
        if (warnings_)
            warnings_->push_back(std::move(message));
    }
    // The line is left aside by a rule of the step, for this reason (French, Windows-1252: "animal A0005 non
    // importé"): the line goes to IGNOREES_<FILE> with it. The only way a step's work leaves a line aside.
    LineOutcome Skip(std::string reason) const {
        if (skipReason_)
            *skipReason_ = std::move(reason);
        return LineOutcome::Skipped;
    }
    // What the line keeps in memory of rows it wrote (a model it met...): done once all of them are in the
    // database (at the end of the line, or, when its rows travel with others, once they are sent), in the order
    // of the lines, and never for a line whose main row, or a write that follows it, the server refused: the
    // line ends at the refused write, whichever way its rows travel.
    // Whether the line's writes go with the step's batch rather than being executed one by one.
    bool WritesTravelTogether() const { return writes_ != nullptr; }
    void OnceWritten(std::function<void()> action) const {
        if (writes_)
            writes_->OnceWritten(std::move(action));
        else
            action();
    }

private:
    void Refused(std::string message) const {
        if (writes_)
            writes_->FollowingRefused();
        Warn(std::move(message));
    }

    const TColList &columns_;
    TCut &cut_;
    int number_;
    const std::string &raw_;
    std::vector<std::string> *warnings_;
    LineWrites *writes_;
    std::string *skipReason_;
    std::vector<const std::string *> *fieldsRead_;
};

using LineWork = std::function<LineOutcome(const StepLine &)>;

// Runs the common shape. beforeLines runs after the mandatory columns were found and before the line
// loop (the steps' preparatory database work). Errors outside a line's work (an unreadable file) escape
// to the run, after the wait window was hidden.
// replay: for a resumed run, what the step keeps in memory of a line the interrupted run committed (the line
// is not imported again); most steps keep nothing.
StepSummary RunImportStep(RunState &state, const StepDefinition &step, const LineWork &work,
                          const std::function<void()> &beforeLines = {}, const LineWork &replay = {});

// Logs "FILE/manque colonne obligatoire \"NAME\"" for each mandatory column the map lacks, in order;
// true when none is missing. Steps that check a second file before writing anything use it too.
bool CheckMandatoryColumns(Operator &op, const std::string &fileName, const TColList &columns,
                           const std::vector<std::string> &mandatory);

// For a step that reads several files and must write nothing unless all of them can be read: checks their
// mandatory columns before any is read, with the wait window showing the first file's text. Each missing
// column is logged as RunImportStep logs it, and each file lacking one goes into the run's summary as left
// aside, so that the run ends with failures as for any other step. True when no column is missing.
bool CheckStepFiles(RunState &state, const std::vector<const StepDefinition *> &files);

// "FILE/ligne N/" + message: the log line of a data line that failed.
std::string LineFailureLog(const StepDefinition &step, int lineNumber, std::string_view message);

} // namespace clinova
