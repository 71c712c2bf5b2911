#include "gui/WrappingCheckBox.h"

#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace clinova {

namespace {

constexpr int kCaptionFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

} // namespace

WrappingCheckBox::WrappingCheckBox(const QString &caption, QWidget *parent) : QCheckBox(caption, parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

int WrappingCheckBox::CaptionLeft() const {
    return style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) +
           style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
}

int WrappingCheckBox::CaptionHeight(int width) const {
    return fontMetrics().boundingRect(QRect(0, 0, std::max(width - CaptionLeft(), 1), 100000), kCaptionFlags, text())
        .height();
}

QSize WrappingCheckBox::sizeHint() const {
    return QCheckBox::sizeHint();
}

QSize WrappingCheckBox::minimumSizeHint() const {
    // A line may end at a space or after a slash ("consultations/relances/events").
    static const QRegularExpression breaks(QStringLiteral("\\s+|(?<=/)"));
    int widest = 0;
    for (const QString &word : text().split(breaks, Qt::SkipEmptyParts))
        widest = std::max(widest, fontMetrics().horizontalAdvance(word));
    // One line high: how many lines it takes at the width it is given is heightForWidth's to say.
    return {std::min(CaptionLeft() + widest + 2, sizeHint().width()), QCheckBox::sizeHint().height()};
}

int WrappingCheckBox::heightForWidth(int width) const {
    // One line is as tall as the plain check box; each further line adds its height.
    const int oneLine = fontMetrics().boundingRect(QRect(0, 0, 100000, 100000), kCaptionFlags, text()).height();
    return QCheckBox::sizeHint().height() + std::max(CaptionHeight(width) - oneLine, 0);
}

void WrappingCheckBox::paintEvent(QPaintEvent *) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    // The style draws the indicator (and the focus) at the top; the caption is drawn here, wrapped.
    option.text.clear();
    option.rect.setHeight(QCheckBox::sizeHint().height());
    painter.drawControl(QStyle::CE_CheckBox, option);
    // Its first line where the plain check box puts its caption, beside the indicator.
    const int top = std::max((option.rect.height() - fontMetrics().height()) / 2, 0);
    const QRect room = rect().adjusted(CaptionLeft(), top, 0, 0);
    painter.drawItemText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, palette(), isEnabled(), caption,
                         QPalette::WindowText);
}

} // namespace clinova
