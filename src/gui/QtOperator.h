#pragma once
// The operator of the window: the log memo, the please-wait window and the message boxes.

#include "app/Operator.h"

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

    // The help memo that receives the trace lines of the consultation import.
    void SetHelpMemo(QPlainTextEdit *memo2) { memo2_ = memo2; }

private:
    QPlainTextEdit &memo_;
    TFMessagePatienter &wait_;
    QWidget *boxParent_;
    QPlainTextEdit *memo2_ = nullptr;
};

} // namespace clinova
