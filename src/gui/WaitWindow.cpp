#include "gui/WaitWindow.h"

#include "app/RunProgress.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <climits>

namespace clinova {

namespace {

// A database drawn as a stack of three discs.
QPixmap DatabasePicture() {
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap(QSize(56, 66) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(4, 8, 48, 50);
    const qreal capHeight = 14;
    QLinearGradient side(body.topLeft(), body.topRight());
    side.setColorAt(0, QColor(0x2f, 0x5f, 0x9e));
    side.setColorAt(0.45, QColor(0x6f, 0xa3, 0xe0));
    side.setColorAt(1, QColor(0x24, 0x4c, 0x82));
    const QPen outline(QColor(0x1b, 0x38, 0x60), 1.2);
    for (int disc = 2; disc >= 0; --disc) {
        const qreal top = body.top() + disc * (body.height() - capHeight) / 3.0;
        const qreal height = (body.height() - capHeight) / 3.0;
        QPainterPath path;
        path.moveTo(body.left(), top + capHeight / 2);
        path.lineTo(body.left(), top + height + capHeight / 2);
        path.arcTo(QRectF(body.left(), top + height, body.width(), capHeight), 180, 180);
        path.lineTo(body.right(), top + capHeight / 2);
        path.arcTo(QRectF(body.left(), top, body.width(), capHeight), 0, -180);
        p.fillPath(path, side);
        p.setPen(outline);
        p.drawPath(path);
    }
    p.setBrush(QColor(0x9c, 0xc4, 0xf2));
    p.drawEllipse(QRectF(body.left(), body.top(), body.width(), capHeight));
    return pixmap;
}

// A count at the end of a message, "Importation clients 12/400...": done and total, and the text before the
// count. False when the message ends with no "i/n" (with anything but digits after it).
bool ParseCount(const QString &text, QString &prefix, qint64 &done, qint64 &total) {
    const auto isDigit = [&](qsizetype i) { return text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); };
    qsizetype end = text.size();
    while (end > 0 && !isDigit(end - 1))
        --end;
    qsizetype at = end;
    while (at > 0 && isDigit(at - 1))
        --at;
    if (at == end)
        return false;
    bool number = false;
    total = text.mid(at, end - at).toLongLong(&number);
    if (!number)
        return false;
    qsizetype slash = at;
    while (slash > 0 && text[slash - 1].isSpace())
        --slash;
    if (slash == 0 || text[slash - 1] != QLatin1Char('/'))
        return false;
    qsizetype doneEnd = slash - 1;
    while (doneEnd > 0 && text[doneEnd - 1].isSpace())
        --doneEnd;
    qsizetype doneStart = doneEnd;
    while (doneStart > 0 && isDigit(doneStart - 1))
        --doneStart;
    if (doneStart == doneEnd)
        return false;
    done = text.mid(doneStart, doneEnd - doneStart).toLongLong(&number);
    prefix = text.left(doneStart);
    return number;
}

} // namespace

TFMessagePatienter::TFMessagePatienter(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("FMessagePatienter"));
    setWindowModality(Qt::NonModal);
    setWindowTitle(QStringLiteral("Merci de patienter quelques instants ..."));
    setAutoFillBackground(false);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(DatabasePicture());
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *title = new QLabel(QStringLiteral("Merci de patienter quelques instants ..."), this);
    title->setObjectName(QStringLiteral("lbTitre"));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    title->setFont(titleFont);
    title->setStyleSheet(QStringLiteral("color: #1b3860;"));

    run_ = new QLabel(this);
    run_->setObjectName(QStringLiteral("lbEtapeImportation"));
    run_->setStyleSheet(QStringLiteral("color: #1b3860;"));
    // A long step name and file take two lines rather than being cut.
    run_->setWordWrap(true);
    run_->setFixedHeight(2 * run_->fontMetrics().lineSpacing() + 4);
    QSizePolicy keepRunPlace = run_->sizePolicy();
    keepRunPlace.setRetainSizeWhenHidden(true);
    run_->setSizePolicy(keepRunPlace);

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("lbMessage"));
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message_->setFixedHeight(2 * message_->fontMetrics().lineSpacing() + 4);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar"));
    progress_->setFormat(QStringLiteral("%v / %m"));
    QSizePolicy keepPlace = progress_->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    progress_->setSizePolicy(keepPlace);

    backupBar_ = new QProgressBar(this);
    backupBar_->setObjectName(QStringLiteral("ProgressSauvegarde"));
    backupBar_->setFormat(QStringLiteral("%v / %m tables"));
    backupBar_->setSizePolicy(keepPlace);
    backupBar_->hide();

    remaining_ = new QLabel(this);
    remaining_->setObjectName(QStringLiteral("lbTempsRestant"));
    remaining_->setFixedHeight(remaining_->fontMetrics().lineSpacing() + 2);
    remaining_->setStyleSheet(QStringLiteral("color: #40506a;"));

    interrupt_ = new QPushButton(QStringLiteral("interrompre"), this);
    interrupt_->setObjectName(QStringLiteral("btnInterrompre"));
    interrupt_->setMinimumWidth(130);
    interrupt_->setAutoDefault(false);
    connect(interrupt_, &QPushButton::clicked, this, &TFMessagePatienter::InterruptClicked);
    // Escape presses "interrompre" wherever the operator's keyboard is, while the window is shown: the main
    // window keeps the focus, the wait window never takes it.
    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape_->setContext(Qt::ApplicationShortcut);
    escape_->setEnabled(false);
    connect(escape_, &QShortcut::activated, this, [this] {
        if (isVisible() && interrupt_->isEnabled())
            interrupt_->click();
    });
    pendingTimer_.setSingleShot(true);
    connect(&pendingTimer_, &QTimer::timeout, this, &TFMessagePatienter::ShowPendingMessage);

    auto *text = new QVBoxLayout;
    text->setSpacing(8);
    text->addWidget(title);
    text->addWidget(run_);
    text->addWidget(message_);
    // The two bars share one place: the lines of a step, or the tables of a backup.
    auto *bars = new QVBoxLayout;
    bars->setSpacing(0);
    bars->addWidget(progress_);
    bars->addWidget(backupBar_);
    text->addLayout(bars);
    text->addWidget(remaining_);

    auto *top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(picture);
    top->addLayout(text, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(interrupt_);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->addLayout(top);
    layout->addLayout(buttons);

    setFixedSize(520, layout->sizeHint().height());
    backupBar_->setSizePolicy(progress_->sizePolicy());
    ResetProgress();
    SetRunProgress({}, {});
}

void TFMessagePatienter::paintEvent(QPaintEvent *) {
    // Without a frame of its own, the window draws its border.
    QPainter p(this);
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, QColor(0xfb, 0xfc, 0xfe));
    background.setColorAt(1, QColor(0xe4, 0xec, 0xf7));
    p.fillRect(rect(), background);
    p.fillRect(QRect(0, 0, width(), 5), QColor(0x2f, 0x5f, 0x9e));
    p.setPen(QColor(0x2f, 0x5f, 0x9e));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TFMessagePatienter::Start() {
    interrupted_ = false;
    interrupt_->setEnabled(true);
    pendingTimer_.stop();
    hasPending_ = false;
    ResetProgress();
    QScreen *screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    show();
    raise();
    escape_->setEnabled(true);
    // The window system maps the window a moment after show(): it is painted as soon as it is there, not
    // whenever the work next lets the window system in.
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < 500) {
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    repaint();
}

bool TFMessagePatienter::SetMessage(const QString &text) {
    QString prefix;
    qint64 done = 0;
    qint64 total = 0;
    const bool nextCount = ParseCount(text, prefix, done, total) && total == progressTotal_ &&
                           prefix == progressPrefix_ && done >= progressLast_ && done <= total;
    if (nextCount && isVisible() && sinceShown_.isValid() && sinceShown_.elapsed() < kUpdateIntervalMs) {
        pending_ = text;
        hasPending_ = true;
        if (!pendingTimer_.isActive())
            pendingTimer_.start(static_cast<int>(kUpdateIntervalMs - sinceShown_.elapsed()));
        return false;
    }
    ShowMessageNow(text);
    return true;
}

void TFMessagePatienter::ShowPendingMessage() {
    if (hasPending_)
        ShowMessageNow(pending_);
}

void TFMessagePatienter::ShowMessageNow(const QString &text) {
    hasPending_ = false;
    pendingTimer_.stop();
    sinceShown_.start();
    message_->setText(text);
    QString prefix;
    qint64 done = 0;
    qint64 total = 0;
    if (!ParseCount(text, prefix, done, total) || total <= 0 || done > total) {
        ResetProgress();
    } else {
        if (prefix != progressPrefix_ || total != progressTotal_ || done < progressLast_) {
            progressPrefix_ = prefix;
            progressTotal_ = total;
            progressStart_ = done;
            clock_.start();
        }
        progressLast_ = done;
        progress_->setRange(0, static_cast<int>(std::min<qint64>(total, INT_MAX)));
        progress_->setValue(static_cast<int>(std::min<qint64>(done, INT_MAX)));
        progress_->show();
        if (!interrupted_ && run_->isHidden())
            remaining_->setText(RemainingTimeText(clock_.elapsed(), done - progressStart_, total - done));
    }
    // Painted now: the step may not let the window system in before its next line.
    if (isVisible())
        repaint();
}

void TFMessagePatienter::hideEvent(QHideEvent *event) {
    escape_->setEnabled(false);
    ShowPendingMessage();
    QWidget::hideEvent(event);
}

QString TFMessagePatienter::Message() const {
    return message_->text();
}

QString TFMessagePatienter::RemainingText() const {
    return remaining_->text();
}

QString TFMessagePatienter::RunText() const {
    return run_->isHidden() ? QString() : run_->text();
}

void TFMessagePatienter::SetRunProgress(const QString &run, const QString &remaining) {
    run_->setText(run);
    run_->setVisible(!run.isEmpty());
    if (!run.isEmpty() && !interrupted_)
        remaining_->setText(remaining);
}

void TFMessagePatienter::SetServiceProgress(const QString &text, int done, int total) {
    hasPending_ = false;
    pendingTimer_.stop();
    message_->setText(text);
    ResetProgress();
    backupBar_->setRange(0, std::max(total, 0));
    backupBar_->setValue(std::clamp(done, 0, std::max(total, 0)));
    backupBar_->show();
    if (isVisible())
        repaint();
}

QString TFMessagePatienter::RemainingTimeText(qint64 elapsedMs, qint64 done, qint64 left) {
    if (left <= 0)
        return {};
    // A few lines or less than a second of work say nothing yet about the pace.
    if (done < 2 || elapsedMs < 1000)
        return QStringLiteral("Estimation du temps restant ...");
    const qint64 seconds = (elapsedMs * left / done + 999) / 1000;
    return QStringLiteral("Temps restant estimé : %1")
        .arg(QString::fromStdString(RunProgress::RemainingText(static_cast<double>(seconds))));
}

void TFMessagePatienter::ResetProgress() {
    backupBar_->hide();
    progressPrefix_.clear();
    progressTotal_ = -1;
    progressStart_ = 0;
    progressLast_ = 0;
    progress_->reset();
    progress_->hide();
    if (!interrupted_)
        remaining_->clear();
}

void TFMessagePatienter::InterruptClicked() {
    interrupted_ = true;
    // The step stops after its current line; until then the button says the request was taken.
    interrupt_->setEnabled(false);
    remaining_->setText(QStringLiteral("Interruption demandée : arrêt après la ligne en cours ..."));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace clinova
