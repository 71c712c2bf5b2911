#pragma once
// The operator of the window: the log memo, the please-wait window and the message boxes.

#include "app/Operator.h"
#include "app/RunProgress.h"

class QPlainTextEdit;
class QWidget;

namespace clinova {

class TFMessagePatienter;

class QtOperator final : public Operator {
public:
    // The boxes are centred over boxParent and modal to it.
    QtOperator(QPlainTextEdit &memo, TFMessagePatienter &waitWindow, QWidget *boxParent);

    void AddToLog(const std::string &line) override;
    void ClearLog() override;
    void ShowWait() override;
    void HideWait() override;
    void SetWaitMessage(const std::string &text) override;
    bool Interrupted() const override;
    int ShowStyledBox(const StyledBox &box) override;
    int ShowStandardDialog(const std::string &text, MessageKind kind, unsigned buttons, int helpContext) override;
    void ShowMessage(const std::string &text) override;
    void ProcessPendingMessages() override;
    void AddToMemo2(const std::string &line) override;
    void ClearMemo2() override;
    void StepProgress(const StepProgressReport &report) override;
    void ServiceProgress(const ServiceProgressReport &report) override;

    // The wait window's line of the run and its time left, UTF-8, as they read at that moment.
    static std::string RunLineText(const RunProgress &run);
    static std::string RunRemainingText(const RunProgress &run, RunProgress::Clock::time_point now);

    // The help memo that receives the trace lines of the consultation import.
    void SetHelpMemo(QPlainTextEdit *memo2) { memo2_ = memo2; }

private:
    QPlainTextEdit &memo_;
    TFMessagePatienter &wait_;
    QWidget *boxParent_;
    QPlainTextEdit *memo2_ = nullptr;
    RunProgress run_;
    RunProgress::Clock::time_point lastRunShown_{};
};

} // namespace clinova
