#pragma once
// The operator as the steps see it: before the operator is shown anything (a message box, a question, the
// end of a step's wait window), the rows written so far are committed, so that grouped commits never
// leave on screen a state the database does not hold yet.

#include "app/Operator.h"

namespace clinova {

class TargetDatabase;

// Commits the rows that wait (the connection's commit schedule says which); a failure is logged (the rows may
// be lost, the operator must know) and reported as false, never thrown.
bool CommitPendingRows(TargetDatabase &db, Operator &op);

class CommittingOperator final : public Operator {
public:
    CommittingOperator(Operator &inner, TargetDatabase &db) : inner_(inner), db_(db) {}

    Operator &Inner() { return inner_; }

    void AddToLog(const std::string &line) override { inner_.AddToLog(line); }
    void ClearLog() override { inner_.ClearLog(); }
    void ShowWait() override { inner_.ShowWait(); }
    void HideWait() override {
        CommitPendingRows(db_, inner_);
        inner_.HideWait();
    }
    void SetWaitMessage(const std::string &text) override { inner_.SetWaitMessage(text); }
    bool Interrupted() const override { return inner_.Interrupted(); }
    int ShowStyledBox(const StyledBox &box) override {
        CommitPendingRows(db_, inner_);
        return inner_.ShowStyledBox(box);
    }
    int ShowStandardDialog(const std::string &text, MessageKind kind, unsigned buttons, int helpContext) override {
        CommitPendingRows(db_, inner_);
        return inner_.ShowStandardDialog(text, kind, buttons, helpContext);
    }
    void ShowMessage(const std::string &text) override {
        CommitPendingRows(db_, inner_);
        inner_.ShowMessage(text);
    }
    void ProcessPendingMessages() override { inner_.ProcessPendingMessages(); }
    void AddToMemo2(const std::string &line) override { inner_.AddToMemo2(line); }
    void ClearMemo2() override { inner_.ClearMemo2(); }
    void StepProgress(const StepProgressReport &report) override { inner_.StepProgress(report); }

private:
    Operator &inner_;
    TargetDatabase &db_;
};

} // namespace clinova
