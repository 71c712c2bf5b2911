#pragma once
// The operator as the engine sees it: the log, the please-wait window with its interrupt flag, and the
// message boxes. The window, the command line and the tests each give their own implementation; the
// layout rules of the styled box are shared functions below, the same for all of them.
//
// Every text crossing this interface is Windows-1252, like every text of the engine.

#include <cstdint>
#include <string>
#include <string_view>

namespace clinova {

// Indexes of the styled box's buttons.
enum MessageButton { mbOk = 0, mbOui = 1, mbNon = 2, mbAnnuler = 3, mbRecommencer = 4, mbIgnorer = 5 };

// The dialog result codes ShowMessageBox returns.
enum DialogResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

// The kinds of message a standard dialog shows.
enum class MessageKind { Warning, Error, Information, Confirmation, Custom };

// Standard dialog buttons, as a set of flags.
enum DialogButtons : unsigned {
    dbYes = 1u << 0,
    dbNo = 1u << 1,
    dbOK = 1u << 2,
    dbCancel = 1u << 3,
    dbAbort = 1u << 4,
    dbRetry = 1u << 5,
    dbIgnore = 1u << 6,
    dbAll = 1u << 7,
    dbNoToAll = 1u << 8,
    dbYesToAll = 1u << 9,
    dbHelp = 1u << 10,
};

// Caption of a MessageButton index; an unknown index gives an empty caption.
std::string ButtonCaption(int index);

// The styled box's text once laid out: leading '#' removed twice, the other '#' turned into CR LF, and
// line breaks put in front so that short messages stand in the middle.
std::string PrepareMessageText(std::string_view messageText);

// What the styled box shows and answers.
struct StyledBox {
    std::string text;        // after PrepareMessageText
    int mode = 1;            // 2: two buttons
    int button1 = mbOk;      // index of the left (affirmative) button, or of the single button
    int button2 = mbNon;     // index of the right button in mode 2
    // In mode 2, Enter presses the right button instead of the left one: a question whose "Oui" cannot be
    // undone is not answered by a hurried Enter.
    bool rightIsDefault = false;
    bool twoButtons() const { return mode == 2; }
    std::string leftCaption() const { return twoButtons() ? ButtonCaption(button1) : std::string(); }
    std::string rightCaption() const { return ButtonCaption(twoButtons() ? button2 : button1); }
    // The index the box returns: in mode 2 the left button gives button1 and anything else button2;
    // with one button, whatever closed the box gives button1.
    int Result(bool leftButtonPressed) const { return twoButtons() && !leftButtonPressed ? button2 : button1; }
};

StyledBox MakeStyledBox(std::string_view messageText, int mode, int button1, int button2);

// Where an import run stands, for the front ends that draw their own progress (the command line's progress
// line, the wait window's line of the run). The run reports each step as it begins (step, steps, stepLabel,
// runBytes) and its own end (runEnded); a step reports each line it reads (fileName, path, line, lines). Fields
// a call does not report stay empty or 0.
struct StepProgressReport {
    int step = 0; // 1 to steps
    int steps = 0;
    std::string_view stepLabel;  // Windows-1252: "Clients", the step as a person reads it
    std::uintmax_t runBytes = 0; // the size of every file the run reads, together
    std::string_view fileName;   // "CLIENTS.TXT"
    std::string_view path;       // that file in the source folder
    int line = 0;                // 1 to lines: the data line just read
    int lines = 0;
    bool runEnded = false;

    static StepProgressReport Step(int step, int steps, std::string_view stepLabel, std::uintmax_t runBytes) {
        StepProgressReport report;
        report.step = step;
        report.steps = steps;
        report.stepLabel = stepLabel;
        report.runBytes = runBytes;
        return report;
    }
    static StepProgressReport Line(std::string_view fileName, std::string_view path, int line, int lines) {
        StepProgressReport report;
        report.fileName = fileName;
        report.path = path;
        report.line = line;
        report.lines = lines;
        return report;
    }
    static StepProgressReport RunEnded() {
        StepProgressReport report;
        report.runEnded = true;
        return report;
    }
};

// Where a backup or a restore of the database stands: its text (Windows-1252, "Sauvegarde : table 3/40 CLIENTS,
// 1200 lignes") and the tables whose rows are done or under way of all the tables (total 0 while not known).
struct ServiceProgressReport {
    std::string_view text;
    int done = 0;
    int total = 0;
};

// The styled box ShowMessageBox uses for a set of buttons; false when it falls back to the standard dialog
// (no counted button, or three or more).
bool StyledBoxForButtons(unsigned buttons, StyledBox &box);
int DialogResultOf(int messageButton);

class Operator {
public:
    virtual ~Operator() = default;

    virtual void AddToLog(const std::string &line) = 0;
    virtual void ClearLog() = 0;

    virtual void ShowWait() = 0;
    virtual void HideWait() = 0;
    virtual void SetWaitMessage(const std::string &text) = 0;
    // Set by the interrupt button; cleared by ShowWait.
    virtual bool Interrupted() const = 0;

    // Shows the styled box and returns the MessageButton index chosen.
    virtual int ShowStyledBox(const StyledBox &box) = 0;
    // The platform's standard message dialog, for the button sets the styled box does not take.
    virtual int ShowStandardDialog(const std::string &text, MessageKind kind, unsigned buttons, int helpContext) = 0;
    // The plain message box titled with the application's name.
    virtual void ShowMessage(const std::string &text) = 0;
    // Lets the window system handle what waits for the application (twice in a row).
    virtual void ProcessPendingMessages() = 0;
    // Appends a trace line to the help memo (Memo2) of the window; front ends without it ignore them.
    virtual void AddToMemo2(const std::string &line) { (void)line; }
    virtual void ClearMemo2() {}
    // The progress of an import run, told beside the wait window's texts; front ends without a display of
    // their own for it ignore it.
    virtual void StepProgress(const StepProgressReport &report) { (void)report; }
    // The progress of a backup or a restore; the wait window's message line takes its text unless the front end
    // shows it otherwise (a bar of its own, the command line's progress line).
    virtual void ServiceProgress(const ServiceProgressReport &report) { SetWaitMessage(std::string(report.text)); }

    // Shared behaviour over the primitives above. With rightIsDefault, Enter gives button2 (mode 2).
    int AskConfirmation(std::string_view text, int mode, int button1, int button2, bool rightIsDefault = false);
    void ShowInfoMessage(std::string_view text);
    int ShowMessageBox(std::string_view text, MessageKind kind, unsigned buttons, int helpContext);
};

// Shows the wait window for its lifetime: it is hidden however the work ends, also on an escaping error.
class WaitShown {
public:
    explicit WaitShown(Operator &op) : op_(op) { op_.ShowWait(); }
    ~WaitShown() { op_.HideWait(); }
    WaitShown(const WaitShown &) = delete;
    WaitShown &operator=(const WaitShown &) = delete;

private:
    Operator &op_;
};

} // namespace clinova
