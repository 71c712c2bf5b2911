#include "gui/MainWindowParts.h"

#include <QDateEdit>
#include <QLabel>
#include <QPainter>
#include <QSpinBox>
#include <QVBoxLayout>

namespace clinova::window {

void SectionFrame::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0xc3, 0xce, 0xdc));
    p.setBrush(QColor(0xf5, 0xf8, 0xfc));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

QLabel *SectionCaption(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kSectionInk);
    label->setPalette(palette);
    return label;
}

QVBoxLayout *SectionLayout(QWidget *section) {
    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(10, 5, 10, 6);
    layout->setSpacing(4);
    return layout;
}

QSpinBox *SiteSpin(const char *name, QWidget *parent) {
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(0, 99999);
    spin->setFixedWidth(80);
    return spin;
}

QDateEdit *DatePicker(const char *name, QWidget *parent) {
    auto *date = new QDateEdit(parent);
    date->setObjectName(QLatin1String(name));
    date->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    date->setCalendarPopup(true);
    date->setFixedWidth(date->sizeHint().width() + 6);
    return date;
}

} // namespace clinova::window
