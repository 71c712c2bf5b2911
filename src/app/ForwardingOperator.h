#pragma once
// An operator that hands everything to another one; an operator made on it overrides only what it does besides
// (commit before a message, keep the log lines...).

#include "app/Operator.h"

namespace clinova {

class ForwardingOperator : public Operator {
public:
    explicit ForwardingOperator(Operator &inner) : inner_(inner) {}

    Operator &Inner() { return inner_; }

    void AddToLog(const std::string &line) override { inner_.AddToLog(line); }
    void ClearLog() override { inner_.ClearLog(); }
    void ShowWait() override { inner_.ShowWait(); }
    void HideWait() override { inner_.HideWait(); }
    void SetWaitMessage(const std::string &text) override { inner_.SetWaitMessage(text); }
    bool Interrupted() const override { return inner_.Interrupted(); }
    int ShowStyledBox(const StyledBox &box) override { return inner_.ShowStyledBox(box); }
    int ShowStandardDialog(const std::string &text, MessageKind kind, unsigned buttons, int helpContext) override {
        return inner_.ShowStandardDialog(text, kind, buttons, helpContext);
    }
    void ShowMessage(const std::string &text) override { inner_.ShowMessage(text); }
    void ProcessPendingMessages() override { inner_.ProcessPendingMessages(); }
    void AddToMemo2(const std::string &line) override { inner_.AddToMemo2(line); }
    void ClearMemo2() override { inner_.ClearMemo2(); }
    void StepProgress(const StepProgressReport &report) override { inner_.StepProgress(report); }
    void ServiceProgress(const ServiceProgressReport &report) override { inner_.ServiceProgress(report); }

protected:
    Operator &inner_;
};

} // namespace clinova
