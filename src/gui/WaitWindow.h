#pragma once
// The please-wait window shown while a step or an action works: its message line, a progress bar and an
// estimate of the time left when the message ends with "i/n", and the "interrompre" button that sets
// Interrupted (Escape presses it too). Frameless, on top of the other windows, centred, never modal.
// During an import, a line above the message says where the whole run stands ("Étape 3/16 : Clients") and the
// estimate is that of the step and of the run; during a backup or a restore, a bar of its own counts the tables.
//
// A step tells every line it reads; the window shows at most about ten of those counts a second, painted at
// once, so that it costs the step nothing and is never left unpainted. The last count told is always shown.

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QShortcut;

namespace clinova {

class TFMessagePatienter : public QWidget {
    Q_OBJECT
public:
    explicit TFMessagePatienter(QWidget *parent = nullptr);

    // Clears Interrupted and the progress, centres the window, shows it and paints it.
    void Start();
    // The message line; a message ending in "i/n" (with any trailing dots) also moves the progress bar. A
    // count that follows the one shown, less than a tenth of a second after it, waits for the next tenth;
    // false when the message waits so.
    bool SetMessage(const QString &text);
    // Shows at once the message that waits, if one does.
    void ShowPendingMessage();

    bool Interrupted() const { return interrupted_; }
    QString Message() const;
    QString RemainingText() const;
    QPushButton *InterruptButton() const { return interrupt_; }
    QProgressBar *ProgressBar() const { return progress_; }
    QProgressBar *BackupBar() const { return backupBar_; }
    QString RunText() const;

    // Where the import run stands (empty outside a run: the line is hidden) and its time left, which then takes
    // the place of the window's own estimate.
    void SetRunProgress(const QString &run, const QString &remaining);
    // The progress of a backup or a restore: its text on the message line, its tables on a bar of its own (total
    // 0: not known yet, the bar only says it works).
    void SetServiceProgress(const QString &text, int done, int total);

    // The estimate shown under the bar, from the time spent on the lines done since the estimate began
    // and the lines left; empty when nothing is left.
    static QString RemainingTimeText(qint64 elapsedMs, qint64 done, qint64 left);

    // The shortest time between two counts shown.
    static constexpr int kUpdateIntervalMs = 100;

protected:
    void paintEvent(QPaintEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void InterruptClicked();
    void ResetProgress();
    void ShowMessageNow(const QString &text);

    QLabel *run_;
    QLabel *message_;
    QProgressBar *progress_;
    QProgressBar *backupBar_;
    QLabel *remaining_;
    QPushButton *interrupt_;
    QShortcut *escape_;
    bool interrupted_ = false;

    // The count that waits for its turn, and when the message line last changed.
    QString pending_;
    bool hasPending_ = false;
    QElapsedTimer sinceShown_;
    QTimer pendingTimer_;

    // The estimate starts again whenever the counted work changes (another step, another total).
    QElapsedTimer clock_;
    QString progressPrefix_;
    qint64 progressTotal_ = -1;
    qint64 progressStart_ = 0;
    qint64 progressLast_ = 0;
};

} // namespace clinova
