#pragma once
// Gives the keyboard focus back, when it ends, to the control that had it when it began: a message box, or an
// action that disabled the buttons while it ran, must not leave the operator's keyboard on another control.

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace clinova {

class FocusKeeper {
public:
    FocusKeeper() : widget_(QApplication::focusWidget()) {}
    ~FocusKeeper() {
        // A control that was removed, hidden or disabled meanwhile keeps no claim on the focus.
        if (widget_ && widget_->isEnabled() && widget_->isVisible() && widget_->window()->isVisible())
            widget_->setFocus(Qt::OtherFocusReason);
    }
    FocusKeeper(const FocusKeeper &) = delete;
    FocusKeeper &operator=(const FocusKeeper &) = delete;

private:
    QPointer<QWidget> widget_;
};

} // namespace clinova
