#pragma once
// The operator of the tests: records log lines and messages, answers questions from a script, and sets
// Interrupted once a chosen log line or wait message has been seen.

#include "app/Operator.h"
#include "normalized/Win1252.h"

#include <deque>
#include <string>
#include <vector>

namespace clinova::test {

class ScriptedOperator : public Operator {
public:
    // Log lines and messages as UTF-8, so that tests compare them with their own literals.
    std::vector<std::string> log;
    std::vector<std::string> messages; // styled boxes after layout, plain boxes as given
    std::deque<int> answers;           // MessageButton indexes for two-button boxes; "Oui" when empty
    int waitShown = 0;
    int waitHidden = 0;
    std::string waitMessage;
    // Interrupt when a wait message starting with this text is shown (e.g. "Importation villes 3/").
    std::string interruptAtWaitMessage;

    void AddToLog(const std::string &line) override { log.push_back(ToUtf8(line)); }
    void ClearLog() override { log.clear(); }
    void ShowWait() override {
        interrupted_ = false;
        ++waitShown;
    }
    void HideWait() override { ++waitHidden; }
    void SetWaitMessage(const std::string &text) override {
        waitMessage = ToUtf8(text);
        if (!interruptAtWaitMessage.empty() && waitMessage.rfind(interruptAtWaitMessage, 0) == 0)
            interrupted_ = true;
    }
    bool Interrupted() const override { return interrupted_; }
    int ShowStyledBox(const StyledBox &box) override {
        messages.push_back(ToUtf8(box.text));
        if (!box.twoButtons())
            return box.button1;
        if (answers.empty())
            return box.button1;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    int ShowStandardDialog(const std::string &text, MessageKind, unsigned, int) override {
        messages.push_back(ToUtf8(text));
        return mrOk;
    }
    void ShowMessage(const std::string &text) override { messages.push_back(ToUtf8(text)); }
    void ProcessPendingMessages() override {}

    void Interrupt() { interrupted_ = true; }

private:
    bool interrupted_ = false;
};

} // namespace clinova::test
