#pragma once
// The pieces the main window is built of, shared by the files that build its sections and its pages: the
// colours of its buttons, the numbered section's panel and caption, the site and date controls.

#include <QColor>
#include <QFrame>
#include <QString>

class QDateEdit;
class QLabel;
class QSpinBox;
class QVBoxLayout;

namespace clinova::window {

inline const QColor kSectionInk(0x1b, 0x38, 0x60);
inline const QColor kBlue(0x2f, 0x6d, 0xb5);
inline const QColor kGreen(0x2e, 0x8b, 0x46);
inline const QColor kRed(0xb8, 0x3b, 0x2e);
inline const QColor kOrange(0xc9, 0x6f, 0x1c);
inline const QColor kTeal(0x1f, 0x7f, 0x86);

inline QString Utf8(const char *text) {
    return QString::fromUtf8(text);
}

// One numbered section of the left column: a light rounded panel.
class SectionFrame : public QFrame {
public:
    explicit SectionFrame(QWidget *parent) : QFrame(parent) {}

protected:
    void paintEvent(QPaintEvent *) override;
};

// The section's caption, bold, in the sections' ink.
QLabel *SectionCaption(const QString &text, QWidget *parent);
// The section's layout, its controls one under the other.
QVBoxLayout *SectionLayout(QWidget *section);
// A site number, 0 to 99999.
QSpinBox *SiteSpin(const char *name, QWidget *parent);
// A day, dd/MM/yyyy, with its calendar; wide enough for its text and its arrow.
QDateEdit *DatePicker(const char *name, QWidget *parent);

} // namespace clinova::window
