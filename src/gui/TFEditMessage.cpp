#include "gui/TFEditMessage.h"

#include "gui/QtText.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace clinova {

TFEditMessage::TFEditMessage(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("FEditMessage"));
    setModal(true);

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("lbMessage"));
    message_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    message_->setWordWrap(true);
    message_->setTextFormat(Qt::PlainText);
    message_->setFixedWidth(440);
    QFont big = message_->font();
    big.setPointSizeF(big.pointSizeF() * 1.15);
    message_->setFont(big);
    message_->setMinimumHeight(5 * QFontMetrics(big).lineSpacing());

    left_ = new QPushButton(this);
    left_->setObjectName(QStringLiteral("btnOK"));
    right_ = new QPushButton(this);
    right_->setObjectName(QStringLiteral("btnCancel"));
    for (QPushButton *button : {left_, right_})
        button->setMinimumSize(110, 30);
    connect(left_, &QPushButton::clicked, this, [this] {
        leftPressed_ = true;
        accept();
    });
    connect(right_, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(left_);
    buttons->addWidget(right_);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 22, 18, 16);
    layout->setSpacing(14);
    layout->addWidget(message_, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFEditMessage::Prepare(const StyledBox &box) {
    box_ = box;
    message_->setText(ToQString(box.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    right_->setText(ToQString(box.rightCaption()));
    left_->setText(ToQString(box.leftCaption()));
    left_->setVisible(box.twoButtons());
    // The default button is the one Enter presses: the left one unless the box says otherwise, or the only one.
    QPushButton *byDefault = DefaultButton();
    left_->setDefault(byDefault == left_);
    right_->setDefault(byDefault == right_);
    byDefault->setFocus();
}

QPushButton *TFEditMessage::DefaultButton() const {
    return box_.twoButtons() && !box_.rightIsDefault ? left_ : right_;
}

int TFEditMessage::Execute() {
    leftPressed_ = false;
    exec();
    return box_.Result(leftPressed_);
}

void TFEditMessage::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    QScreen *screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    DefaultButton()->setFocus();
}

void TFEditMessage::paintEvent(QPaintEvent *) {
    // Without a frame of its own, the box draws its border.
    QPainter p(this);
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, QColor(0xff, 0xff, 0xff));
    background.setColorAt(1, QColor(0xe6, 0xee, 0xf8));
    p.fillRect(rect(), background);
    p.fillRect(QRect(0, 0, width(), 5), QColor(0x2f, 0x5f, 0x9e));
    p.setPen(QColor(0x2f, 0x5f, 0x9e));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace clinova
