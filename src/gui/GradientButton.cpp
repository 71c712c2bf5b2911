#include "gui/GradientButton.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>

namespace clinova {

namespace {

constexpr int kPaddingX = 14;
constexpr int kPaddingY = 9;
constexpr qreal kRadius = 6;
constexpr int kTextFlags = Qt::AlignCenter | Qt::TextWordWrap;

} // namespace

GradientButton::GradientButton(const QString &caption, const QColor &colour, int wrapWidth, QWidget *parent)
    : QPushButton(parent), colour_(colour), wrapWidth_(wrapWidth) {
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    SetCaption(caption);
}

void GradientButton::SetCaption(const QString &caption) {
    setText(QString(caption).replace(QLatin1Char('#'), QLatin1Char('\n')));
    updateGeometry();
}

QSize GradientButton::sizeHint() const {
    const QRect text = fontMetrics().boundingRect(QRect(0, 0, wrapWidth_, 10000), kTextFlags, this->text());
    return {text.width() + 2 * kPaddingX, text.height() + 2 * kPaddingY};
}

void GradientButton::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    QColor base = isEnabled() ? colour_ : QColor(0xd3, 0xd7, 0xdd);
    if (isEnabled() && isDown())
        base = base.darker(125);
    else if (isEnabled() && underMouse())
        base = base.lighter(112);

    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(frame, kRadius, kRadius);

    QLinearGradient gradient(frame.topLeft(), frame.bottomLeft());
    gradient.setColorAt(0, base.lighter(isDown() ? 100 : isEnabled() ? 145 : 110));
    gradient.setColorAt(0.5, base);
    gradient.setColorAt(1, base.darker(isDown() ? 100 : 120));
    p.fillPath(path, gradient);
    p.setPen(QPen(base.darker(150), 1));
    p.drawPath(path);

    if (hasFocus()) {
        p.setPen(QPen(QColor(255, 255, 255, 170), 1, Qt::DotLine));
        p.drawRoundedRect(frame.adjusted(3, 3, -3, -3), kRadius - 2, kRadius - 2);
    }

    const QRect textRect = rect().adjusted(kPaddingX / 2, kPaddingY / 2, -kPaddingX / 2, -kPaddingY / 2);
    if (isEnabled()) {
        p.setPen(QColor(0, 0, 0, 90));
        p.drawText(textRect.translated(1, 1), kTextFlags, text());
    }
    p.setPen(isEnabled() ? QColor(Qt::white) : QColor(0x74, 0x7c, 0x88));
    p.drawText(textRect, kTextFlags, text());
}

} // namespace clinova
