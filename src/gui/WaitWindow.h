#pragma once
// The please-wait window shown while a step or an action works: its message line, a progress bar and an
// estimate of the time left when the message ends with "i/n", and the "interrompre" button that sets
// Interrupted. Frameless, on top of the other windows, centred, never modal.

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace clinova {

class TFMessagePatienter : public QWidget {
    Q_OBJECT
public:
    explicit TFMessagePatienter(QWidget *parent = nullptr);

    // Clears Interrupted and the progress, centres the window and shows it.
    void Start();
    // The message line; a message ending in "i/n" (with any trailing dots) also moves the progress bar.
    void SetMessage(const QString &text);

    bool Interrupted() const { return interrupted_; }
    QString Message() const;
    QString RemainingText() const;
    QPushButton *InterruptButton() const { return interrupt_; }
    QProgressBar *ProgressBar() const { return progress_; }

    // The estimate shown under the bar, from the time spent on the lines done since the estimate began
    // and the lines left; empty when nothing is left.
    static QString RemainingTimeText(qint64 elapsedMs, qint64 done, qint64 left);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void InterruptClicked();
    void ResetProgress();

    QLabel *message_;
    QProgressBar *progress_;
    QLabel *remaining_;
    QPushButton *interrupt_;
    bool interrupted_ = false;

    // The estimate starts again whenever the counted work changes (another step, another total).
    QElapsedTimer clock_;
    QString progressPrefix_;
    qint64 progressTotal_ = -1;
    qint64 progressStart_ = 0;
    qint64 progressLast_ = 0;
};

} // namespace clinova
