#pragma once
// The operator as the steps see it: before the operator is shown anything (a message box, a question, the
// end of a step's wait window), the rows written so far are committed, so that grouped commits never
// leave on screen a state the database does not hold yet.

#include "app/ForwardingOperator.h"

namespace clinova {

class TargetDatabase;

// Commits the rows that wait (the connection's commit schedule says which); a failure is logged (the rows may
// be lost, the operator must know) and reported as false, never thrown.
bool CommitPendingRows(TargetDatabase &db, Operator &op);

class CommittingOperator final : public ForwardingOperator {
public:
    CommittingOperator(Operator &inner, TargetDatabase &db) : ForwardingOperator(inner), db_(db) {}

    void HideWait() override {
        CommitPendingRows(db_, inner_);
        inner_.HideWait();
    }
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

private:
    TargetDatabase &db_;
};

} // namespace clinova
