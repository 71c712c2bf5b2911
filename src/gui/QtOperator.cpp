#include "gui/QtOperator.h"

#include "app/DatabaseActions.h"
#include "gui/FocusKeeper.h"
#include "gui/QtText.h"
#include "gui/TFEditMessage.h"
#include "gui/WaitWindow.h"

#include "normalized/Win1252.h"

#include <fmt/format.h>

#include <QCoreApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace clinova {

namespace {

// The answers of the standard dialog that the engine's result codes do not name.
constexpr int kResultAll = 8;
constexpr int kResultNoToAll = 9;
constexpr int kResultYesToAll = 10;

struct DialogButton {
    unsigned engine;
    QMessageBox::StandardButton qt;
    const char *caption; // UTF-8
    int result;
};

const DialogButton kDialogButtons[] = {
    {dbYes, QMessageBox::Yes, "Oui", mrYes},
    {dbNo, QMessageBox::No, "Non", mrNo},
    {dbOK, QMessageBox::Ok, "Ok", mrOk},
    {dbCancel, QMessageBox::Cancel, "Annuler", mrCancel},
    {dbAbort, QMessageBox::Abort, "Abandonner", mrAbort},
    {dbRetry, QMessageBox::Retry, "Recommencer", mrRetry},
    {dbIgnore, QMessageBox::Ignore, "Ignorer", mrIgnore},
    {dbAll, QMessageBox::SaveAll, "Tous", kResultAll},
    {dbNoToAll, QMessageBox::NoToAll, "Non à tout", kResultNoToAll},
    {dbYesToAll, QMessageBox::YesToAll, "Oui à tout", kResultYesToAll},
};

QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Confirmation:
        return QMessageBox::Question;
    case MessageKind::Custom:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QtOperator::QtOperator(QPlainTextEdit &memo, TFMessagePatienter &waitWindow, QWidget *boxParent)
    : memo_(memo), wait_(waitWindow), boxParent_(boxParent) {}

void QtOperator::AddToLog(const std::string &line) {
    memo_.appendPlainText(ToQString(line));
}

void QtOperator::ClearLog() {
    memo_.clear();
}

void QtOperator::ShowWait() {
    wait_.Start();
    ProcessPendingMessages();
}

void QtOperator::HideWait() {
    wait_.ShowPendingMessage();
    wait_.hide();
    ProcessPendingMessages();
}

void QtOperator::SetWaitMessage(const std::string &text) {
    // A count the window keeps for later costs the step nothing more: the step lets the window system in
    // after its line anyway.
    if (wait_.SetMessage(ToQString(text)))
        ProcessPendingMessages();
}

bool QtOperator::Interrupted() const {
    return wait_.Interrupted();
}

int QtOperator::ShowStyledBox(const StyledBox &box) {
    const FocusKeeper focus;
    TFEditMessage dialog(boxParent_);
    dialog.Prepare(box);
    return dialog.Execute();
}

int QtOperator::ShowStandardDialog(const std::string &text, MessageKind kind, unsigned buttons, int) {
    const FocusKeeper focus;
    // The help context names a page of a help file the tool does not have: the Help button is left out.
    QMessageBox box(IconOf(kind), QCoreApplication::applicationName(), ToQString(text), QMessageBox::NoButton,
                    boxParent_);
    for (const DialogButton &b : kDialogButtons)
        if (buttons & b.engine)
            box.addButton(b.qt)->setText(QString::fromUtf8(b.caption));
    if (box.buttons().isEmpty())
        box.addButton(QMessageBox::Ok)->setText(QStringLiteral("Ok"));
    box.exec();
    const auto pressed = box.standardButton(box.clickedButton());
    for (const DialogButton &b : kDialogButtons)
        if (pressed == b.qt)
            return b.result;
    // Closed without a button: the answer of Escape.
    return (buttons & dbCancel) ? mrCancel : mrNone;
}

void QtOperator::ShowMessage(const std::string &text) {
    const FocusKeeper focus;
    // A failed connection or a database error is shown as an error; the other plain messages inform.
    QMessageBox box(IsDatabaseFailureText(text) ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QCoreApplication::applicationName(), ToQString(text), QMessageBox::Ok, boxParent_);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("Ok"));
    box.exec();
}

void QtOperator::ProcessPendingMessages() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

std::string QtOperator::RunLineText(const RunProgress &run) {
    if (!run.Running())
        return {};
    std::string text = fmt::format("Étape {}/{} : ", run.Step(), run.Steps()) + ToUtf8(run.StepLabel());
    if (run.Line() > 0)
        text += fmt::format(" — {} {}/{}", ToUtf8(run.FileName()), run.Line(), run.Lines());
    return text;
}

std::string QtOperator::RunRemainingText(const RunProgress &run, RunProgress::Clock::time_point now) {
    if (run.Line() == 0)
        return {};
    const auto step = run.StepSecondsLeft(now);
    if (!step)
        return "Estimation du temps restant ...";
    std::string text = "Temps restant : " + RunProgress::RemainingText(*step) + " pour l'étape";
    if (const auto all = run.RunSecondsLeft(now))
        text += ", " + RunProgress::RemainingText(*all) + " pour l'importation";
    return text;
}

void QtOperator::StepProgress(const StepProgressReport &report) {
    const auto now = RunProgress::Clock::now();
    // The run's line follows the counts of the message line: at once for news, ten times a second at most.
    const bool news = run_.Report(report, now);
    if (!news && now - lastRunShown_ < std::chrono::milliseconds(TFMessagePatienter::kUpdateIntervalMs))
        return;
    lastRunShown_ = now;
    wait_.SetRunProgress(QString::fromStdString(RunLineText(run_)), QString::fromStdString(RunRemainingText(run_, now)));
}

void QtOperator::ServiceProgress(const ServiceProgressReport &report) {
    wait_.SetServiceProgress(ToQString(std::string(report.text)), report.done, report.total);
    ProcessPendingMessages();
}

void QtOperator::AddToMemo2(const std::string &line) {
    if (memo2_)
        memo2_->appendPlainText(ToQString(line));
}

void QtOperator::ClearMemo2() {
    if (memo2_)
        memo2_->clear();
}

} // namespace clinova
