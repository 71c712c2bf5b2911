#pragma once
// The operator of the command line: log lines on stdout, message boxes on stderr, the question asked on
// the terminal, Ctrl+C as the interrupt button, and on a terminal the progress line of an import.

#include "app/Operator.h"
#include "cli/ProgressLine.h"

#include <atomic>
#include <fstream>
#include <iosfwd>
#include <memory>
#include <string>

namespace clinova {

class ConsoleOperator final : public Operator {
public:
    ConsoleOperator(std::ostream &out, std::ostream &err);

    // "--yes": answer "Oui" to every question instead of asking.
    void SetAnswerYes(bool yes) { answerYes_ = yes; }
    // Also write the log lines to this file (UTF-8). False when it cannot be opened.
    bool SetLogFile(const std::string &path);
    // Whether questions may be asked on the terminal.
    void SetInteractive(bool interactive) { interactive_ = interactive; }
    // Draw the progress line of an import on err, which must be a terminal: scripts and logs never get it.
    void SetProgressLine(bool shown, int width = 80);
    // The flag the interrupt handler sets.
    std::atomic<bool> &InterruptFlag() { return interrupted_; }

    void AddToLog(const std::string &line) override;
    void ClearLog() override {}
    void ShowWait() override { interrupted_ = false; }
    void HideWait() override {}
    void SetWaitMessage(const std::string &) override {}
    bool Interrupted() const override { return interrupted_; }
    int ShowStyledBox(const StyledBox &box) override;
    int ShowStandardDialog(const std::string &text, MessageKind kind, unsigned buttons, int helpContext) override;
    void ShowMessage(const std::string &text) override;
    void ProcessPendingMessages() override {}
    void StepProgress(const StepProgressReport &report) override;

private:
    void PrintMessage(const std::string &text);
    // Takes the progress line off the terminal before other text is written.
    void EraseProgress();

    std::ostream &out_;
    std::ostream &err_;
    std::ofstream logFile_;
    bool answerYes_ = false;
    bool interactive_ = false;
    std::atomic<bool> interrupted_{false};
    std::unique_ptr<ProgressLine> progress_;
};

} // namespace clinova
