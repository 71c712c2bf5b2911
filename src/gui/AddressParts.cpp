#include "gui/AddressParts.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QValidator>

namespace clinova {

namespace {

bool IsAddressPart(const QString &part) {
    if (part.isEmpty() || part.size() > 3)
        return false;
    for (const QChar c : part)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return part.toInt() <= 255;
}

// What a box accepts: a number from 0 to 255, or the start of a dotted address whose parts fit in this box
// and the ones after it (each 0 to 255; only the last may still be empty, as in "192.").
class PartValidator : public QValidator {
public:
    PartValidator(int partsLeft, QObject *parent) : QValidator(parent), partsLeft_(partsLeft) {}

    State validate(QString &input, int &) const override {
        const QString text = input.trimmed();
        if (text.isEmpty() || text == QLatin1String("."))
            return Acceptable;
        const QStringList parts = text.split(QLatin1Char('.'));
        if (parts.size() > partsLeft_ && !(parts.size() == partsLeft_ + 1 && parts.last().isEmpty()))
            return Invalid;
        for (qsizetype i = 0; i < parts.size(); ++i)
            if (!IsAddressPart(parts[i]) && !(i == parts.size() - 1 && i > 0 && parts[i].isEmpty()))
                return Invalid;
        return Acceptable;
    }

private:
    int partsLeft_;
};

} // namespace

AddressParts::AddressParts(const std::array<QLineEdit *, 4> &parts, QRadioButton *ipMode)
    : QObject(parts[0]), parts_(parts), ipMode_(ipMode) {
    for (int i = 0; i < 4; ++i) {
        QLineEdit *edit = parts_[i];
        // Room for a whole pasted address: the validator keeps a part to three digits.
        edit->setMaxLength(15);
        edit->setValidator(new PartValidator(4 - i, edit));
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [this, i](const QString &text) { Edited(i, text); });
    }
}

bool AddressParts::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusIn) {
        // Chosen by the operator, not given the focus by the window opening.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
            ipMode_->setChecked(true);
    }
    return QObject::eventFilter(watched, event);
}

void AddressParts::Edited(int index, const QString &text) {
    ipMode_->setChecked(true);
    const QString typed = text.trimmed();
    if (typed.contains(QLatin1Char('.'))) {
        // "." right after a box was left on its third digit only confirms the move.
        if (typed == QLatin1String(".")) {
            parts_[index]->clear();
            return;
        }
        const QStringList parts = typed.split(QLatin1Char('.'));
        int last = index;
        for (qsizetype k = 0; k < parts.size() && index + k < 4; ++k) {
            if (k > 0 && parts[k].isEmpty())
                break;
            parts_[index + k]->setText(parts[k]);
            last = index + static_cast<int>(k);
        }
        // A trailing "." goes on to the next box; a whole address leaves the cursor after its last part.
        if (parts.last().isEmpty() && last < 3)
            MoveTo(last + 1, true);
        else
            MoveTo(last, false);
        return;
    }
    if (typed.size() == 3 && parts_[index]->cursorPosition() == parts_[index]->text().size() && index < 3)
        MoveTo(index + 1, true);
}

void AddressParts::MoveTo(int index, bool selectAll) {
    QLineEdit *edit = parts_[index];
    edit->setFocus(Qt::OtherFocusReason);
    if (selectAll)
        edit->selectAll();
    else
        edit->end(false);
}

} // namespace clinova
