#pragma once
// The operator of the command line: log lines on stdout, message boxes on stderr, the question asked on
// the terminal, Ctrl+C as the interrupt button, and on a terminal the progress line of an import.

#include "app/Operator.h"
#include "cli/ProgressLine.h"

#include "normalized/OutputFile.h"

#include <atomic>
#include <iosfwd>
#include <memory>
#include <string>

namespace clinova {

class ConsoleOperator final : public Operator {
public:
    ConsoleOperator(std::ostream &out, std::ostream &err);

    // "--yes": answer "Oui" to every question instead of asking.
    void SetAnswerYes(bool yes) { answerYes_ = yes; }
    // Also write the log lines to this file (UTF-8), created anew through an OutputFile so that a link
    // standing at its name is replaced, not written through. Throws FileError.
    void SetLogFile(const std::string &path);
    // Whether questions may be asked on the terminal.
    void SetInteractive(bool interactive) { interactive_ = interactive; }
    // Draw the progress line of an import on err, which must be a terminal: scripts and logs never get it.
    void SetProgressLine(bool shown, int width = 80);
    // The flag the interrupt handler sets. Unlike the window's button, which exists only while the wait window
    // is shown, a signal can come between two steps: the flag stays set for the rest of the action.
    std::atomic<bool> &InterruptFlag() { return interrupted_; }

    // Every line reaches stdout and the log file as it is logged, so that a killed run keeps what it said.
    void AddToLog(const std::string &line) override;
    void ClearLog() override {}
    void ShowWait() override {}
    void HideWait() override {}
    void SetWaitMessage(const std::string &) override {}
    bool Interrupted() const override { return interrupted_; }
    int ShowStyledBox(const StyledBox &box) override;
    int ShowStandardDialog(const std::string &text, MessageKind kind, unsigned buttons, int helpContext) override;
    void ShowMessage(const std::string &text) override;
    void ProcessPendingMessages() override {}
    void StepProgress(const StepProgressReport &report) override;
    void ServiceProgress(const ServiceProgressReport &report) override;

private:
    void PrintMessage(const std::string &text);
    // A question answered without the operator (why: no terminal...): says what was answered, and that --yes
    // answers the other way.
    void Unanswered(const std::string &why, const std::string &given, const std::string &withYes);
    // Takes the progress line off the terminal before other text is written.
    void EraseProgress();

    std::ostream &out_;
    std::ostream &err_;
    std::unique_ptr<OutputFile> logFile_;
    bool answerYes_ = false;
    bool interactive_ = false;
    std::atomic<bool> interrupted_{false};
    std::unique_ptr<ProgressLine> progress_;
};

} // namespace clinova
