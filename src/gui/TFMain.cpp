#include "gui/TFMain.h"

#include "app/RunState.h"
#include "gui/MainWindowParts.h"
#include "gui/QtOperator.h"
#include "gui/QtText.h"
#include "gui/ResultsWindow.h"
#include "gui/WaitWindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace clinova {

using window::Utf8;

namespace {

#define CLINOVA_TEXT_OF(x) #x
#define CLINOVA_VALUE_TEXT(x) CLINOVA_TEXT_OF(x)

QString WidgetText(const QWidget *widget) {
    if (auto *edit = qobject_cast<const QLineEdit *>(widget))
        return edit->text();
    if (auto *memo = qobject_cast<const QPlainTextEdit *>(widget))
        return memo->toPlainText();
    if (auto *spin = qobject_cast<const QSpinBox *>(widget))
        return QString::number(spin->value());
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    return {};
}

void SetWidgetText(QWidget *widget, const QString &text) {
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        edit->setText(text);
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(widget))
        memo->setPlainText(text);
    else if (auto *spin = qobject_cast<QSpinBox *>(widget))
        spin->setValue(text.trimmed().toInt()); // a text that is not an integer reads as 0
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->setText(text);
}

} // namespace

TFMain::TFMain(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(Utf8("Importation normalisée dans Clinova") + QStringLiteral(" - version ") + NoBuild());
    waitWindow_ = new TFMessagePatienter(this);
    results_ = new ResultsWindow(this);

    auto *leftPanel = new QWidget(this);
    leftPanel->setObjectName(QStringLiteral("Sections"));
    leftPanel->setFixedWidth(640);
    auto *left = new QVBoxLayout(leftPanel);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(4);
    left->addWidget(BuildHeader());
    left->addWidget(BuildDatabaseSection());
    left->addWidget(BuildTestSection());
    left->addWidget(BuildCleaningSection());
    left->addWidget(BuildSourcesSection());
    left->addWidget(BuildImportSection());
    left->addWidget(BuildOptionsSection());
    left->addStretch(1);
    // On a small screen the sections scroll; they keep their width, so that no caption is cut.
    sectionsPanel_ = leftPanel;
    sections_ = Scrolled(leftPanel, "ScrollSections");
    sections_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sections_->setMinimumWidth(leftPanel->width() + sections_->verticalScrollBar()->sizeHint().width() + 2);
    sections_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);

    auto *pages = new QTabWidget(this);
    pages_ = pages;
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->addTab(Scrolled(BuildLogPage(), "ScrollLog"), QStringLiteral("Log"));
    pages->addTab(Scrolled(BuildHelpPage(), "ScrollAide"), QStringLiteral("Aide"));
    pages->addTab(Scrolled(BuildOptions1Page(), "ScrollOptions1"), QStringLiteral("Options 1"));
    pages->addTab(Scrolled(BuildOptions2Page(), "ScrollOptions2"), QStringLiteral("Options 2"));
    pages->setCurrentIndex(0);

    auto *root = new QHBoxLayout(this);
    root->setContentsMargins(8, 8, 8, 8);
    root->setSpacing(8);
    root->addWidget(sections_);
    root->addWidget(pages, 1);

    operator_ = std::make_unique<QtOperator>(*memo_, *waitWindow_, this);
    operator_->SetHelpMemo(findChild<QPlainTextEdit *>(QStringLiteral("Memo2")));
    state_ = std::make_unique<RunState>(*operator_);
    // The window starts from the engine's defaults, but backs the database up before changing it.
    ImportOptions startUp;
    startUp.cbSauvegardeAvant = true;
    WriteOptions(startUp);
    WireMaintenanceActions();
    UpdateActionButtons();

    FitToScreen();
}

QScrollArea *TFMain::Scrolled(QWidget *content, const char *name) {
    auto *area = new QScrollArea(this);
    area->setObjectName(QLatin1String(name));
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    // The page's own background, not the scroll area's.
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return area;
}

void TFMain::FitToScreen() {
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    // The frame the window system adds, once known; before the window is shown, a title bar and thin borders.
    QSize frame = frameGeometry().size() - geometry().size();
    if (frame.isEmpty() || frame.height() < 8)
        frame = QSize(8, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8);
    // Scroll areas ask for little room: the window asks for what the sections and the widest page hold.
    int pagesWidth = pages_->sizeHint().width();
    for (int page = 0; page < pages_->count(); ++page) {
        if (auto *area = qobject_cast<QScrollArea *>(pages_->widget(page)))
            pagesWidth = std::max(pagesWidth, area->widget()->sizeHint().width() +
                                                  area->verticalScrollBar()->sizeHint().width() +
                                                  2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8);
    }
    const QMargins margins = layout()->contentsMargins();
    const QSize wanted =
        QSize(margins.left() + margins.right() + sections_->minimumWidth() + layout()->spacing() + pagesWidth,
              margins.top() + margins.bottom() +
                  std::max(sectionsPanel_->sizeHint().height(), pages_->sizeHint().height()))
            .expandedTo(minimumSizeHint());
    const QSize fitted(std::min(wanted.width(), room.width() - frame.width()),
                       std::min(wanted.height(), room.height() - frame.height()));
    resize(fitted);
    QRect placed(QPoint(), fitted + frame);
    placed.moveCenter(room.center());
    placed.moveTopLeft(QPoint(std::max(placed.left(), room.left()), std::max(placed.top(), room.top())));
    move(placed.topLeft());
}

void TFMain::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (fitted_)
        return;
    fitted_ = true;
    // The window system's frame is known now: the window is fitted to the screen again with it.
    FitToScreen();
}

TFMain::~TFMain() = default;

QString TFMain::NoBuild() {
#ifdef CLINOVA_TOOL_BUILD
    const QString build = QStringLiteral(CLINOVA_VALUE_TEXT(CLINOVA_TOOL_BUILD)).trimmed();
#else
    const QString build;
#endif
    bool number = false;
    build.toInt(&number);
    return number ? build : QStringLiteral("0");
}

QCheckBox *TFMain::AddCheckBox(const char *name, const QString &caption, QWidget *parent) {
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QPushButton *TFMain::AddActionButton(QPushButton *button, const char *name, void (TFMain::*action)()) {
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    if (action)
        connect(button, &QPushButton::clicked, this, action);
    actionButtons_.push_back(button);
    return button;
}

// ---- settings -------------------------------------------------------------------------------------------

ImportOptions TFMain::ReadOptions() const {
    ImportOptions options;
    for (const OptionControl &control : OptionControls()) {
        const QWidget *widget = findChild<QWidget *>(QLatin1String(control.name));
        if (!widget)
            continue;
        const auto *button = qobject_cast<const QAbstractButton *>(widget);
        switch (control.kind) {
        case OptionControl::Kind::Bool:
            if (button)
                options.*(control.boolField) = button->isChecked();
            break;
        case OptionControl::Kind::Text:
            options.*(control.textField) = FromQString(WidgetText(widget));
            break;
        case OptionControl::Kind::Date:
            if (const auto *edit = qobject_cast<const QDateEdit *>(widget)) {
                const QDate date = edit->date();
                options.*(control.dateField) = Date{date.year(), date.month(), date.day()};
            }
            break;
        case OptionControl::Kind::File:
            if (button)
                options.*(control.fileField) = FileCheckBox{button->isEnabledTo(this), button->isChecked()};
            break;
        }
    }
    return options;
}

void TFMain::WriteOptions(const ImportOptions &options) {
    for (const OptionControl &control : OptionControls()) {
        QWidget *widget = findChild<QWidget *>(QLatin1String(control.name));
        if (!widget)
            continue;
        auto *button = qobject_cast<QAbstractButton *>(widget);
        switch (control.kind) {
        case OptionControl::Kind::Bool:
            if (button)
                button->setChecked(options.*(control.boolField));
            break;
        case OptionControl::Kind::Text:
            SetWidgetText(widget, ToQString(options.*(control.textField)));
            break;
        case OptionControl::Kind::Date:
            if (auto *edit = qobject_cast<QDateEdit *>(widget)) {
                const Date &date = options.*(control.dateField);
                edit->setDate(QDate(date.year, date.month, date.day));
            }
            break;
        case OptionControl::Kind::File:
            if (button) {
                const FileCheckBox &box = options.*(control.fileField);
                button->setChecked(box.checked);
                button->setEnabled(box.enabled);
            }
            break;
        }
    }
    ShowColour();
}

void TFMain::ShowColour() {
    // The caption holds the chosen colour as a number (red in the low byte); the button shows it too.
    bool number = false;
    const uint value = panCouleur_->text().toUInt(&number);
    if (number)
        panCouleur_->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: %2; }")
                                       .arg(QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff).name(),
                                            qGray(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff) < 128
                                                ? QStringLiteral("white")
                                                : QStringLiteral("black")));
    else
        panCouleur_->setStyleSheet(QString());
}

bool TFMain::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == label1_) {
            Label1DblClick();
            return true;
        }
        if (watched == label4_) {
            Label4DblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFMain::closeEvent(QCloseEvent *event) {
    // The running action works on this window's state: it must end (or be interrupted) first.
    if (busy_)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

} // namespace clinova
