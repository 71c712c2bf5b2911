#include "cli/ConsoleOperator.h"

#include "cli/Platform.h"
#include "normalized/Win1252.h"

#include <iostream>
#include <ostream>

namespace clinova {

namespace {

// The box's text with its '#' breaks as new lines, without the blank lines that centre it in a window.
std::string MessageLines(const std::string &text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out.push_back(text[i]);
    }
    const auto first = out.find_first_not_of('\n');
    return first == std::string::npos ? std::string() : out.substr(first);
}

} // namespace

ConsoleOperator::ConsoleOperator(std::ostream &out, std::ostream &err) : out_(out), err_(err) {
    // Only the program's own stderr on a terminal shows the progress line.
    if (&err == &std::cerr) {
        if (const int width = StandardErrorTerminalWidth())
            SetProgressLine(true, width);
    }
}

void ConsoleOperator::SetLogFile(const std::string &path) {
    auto file = std::make_unique<OutputFile>(path);
    const EntryKind former = file->Publish();
    logFile_ = std::move(file);
    if (const std::string replaced = ReplacedEntryLog(path, former); !replaced.empty())
        AddToLog(replaced);
}

void ConsoleOperator::SetProgressLine(bool shown, int width) {
    if (shown)
        progress_ = std::make_unique<ProgressLine>(err_, width);
    else
        progress_.reset();
}

void ConsoleOperator::StepProgress(const StepProgressReport &report) {
    if (progress_)
        progress_->Report(report, ProgressLine::Clock::now());
}

void ConsoleOperator::ServiceProgress(const ServiceProgressReport &report) {
    if (progress_)
        progress_->Report(report, ProgressLine::Clock::now());
}

void ConsoleOperator::EraseProgress() {
    if (progress_)
        progress_->Erase();
}

void ConsoleOperator::AddToLog(const std::string &line) {
    const std::string text = ToUtf8(line) + '\n';
    EraseProgress();
    out_ << text << std::flush;
    if (logFile_) {
        try {
            logFile_->Write(text);
        } catch (const std::exception &e) {
            // A log file that can no longer be written (a full disk) must not end the action; stdout still has it.
            logFile_.reset();
            err_ << "message: " << ToUtf8(e.what()) << std::endl;
        }
    }
}

void ConsoleOperator::PrintMessage(const std::string &text) {
    EraseProgress();
    err_ << "message: " << ToUtf8(MessageLines(text)) << std::endl;
}

int ConsoleOperator::ShowStyledBox(const StyledBox &box) {
    PrintMessage(box.text);
    if (!box.twoButtons())
        return box.button1;
    if (answerYes_)
        return box.button1;
    if (!interactive_) {
        Unanswered(FromUtf8("pas de terminal"), box.rightCaption(), box.leftCaption());
        return box.button2;
    }
    err_ << "[" << box.leftCaption() << "/" << box.rightCaption() << "] ? " << std::flush;
    std::string answer;
    const SignalsEndAtOnce asking;
    if (!std::getline(std::cin, answer)) {
        err_ << "\n";
        Unanswered(FromUtf8("aucune réponse lue"), box.rightCaption(), box.leftCaption());
        return box.button2;
    }
    const std::string folded = UpperCase1252(FromUtf8(answer));
    const std::string left = UpperCase1252(box.leftCaption());
    const bool yes = !folded.empty() && left.rfind(folded, 0) == 0;
    return box.Result(yes);
}

int ConsoleOperator::ShowStandardDialog(const std::string &text, MessageKind, unsigned buttons, int) {
    PrintMessage(text);
    if (buttons & dbOK)
        return mrOk;
    if (buttons & dbYes) {
        if (answerYes_)
            return mrYes;
        Unanswered(FromUtf8("question à plus de deux réponses"), ButtonCaption(mbNon), ButtonCaption(mbOui));
        return mrNo;
    }
    return mrCancel;
}

void ConsoleOperator::ShowMessage(const std::string &text) { PrintMessage(text); }

void ConsoleOperator::Unanswered(const std::string &why, const std::string &given, const std::string &withYes) {
    PrintMessage(FromUtf8("La question ne peut pas être posée (") + why + FromUtf8(") : réponse \"") + given +
                 FromUtf8("\". Relancer avec --yes pour répondre \"") + withYes + "\".");
}

} // namespace clinova
