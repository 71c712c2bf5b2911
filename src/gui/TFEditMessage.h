#pragma once
// The styled message box: frameless, centred, the message in its upper part, one or two buttons at its
// bottom right. Mode 2 has a left button and a right button that Escape presses; Enter presses the left one,
// or the right one when the box makes it the default. With one button, Enter and Escape both press it.

#include "app/Operator.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace clinova {

class TFEditMessage : public QDialog {
    Q_OBJECT
public:
    explicit TFEditMessage(QWidget *parent = nullptr);

    // Takes the box as the shared rules laid it out (text, mode, buttons) and sets the captions.
    void Prepare(const StyledBox &box);
    // Shows the box modally and returns the MessageButton index chosen.
    int Execute();

    QLabel *MessageLabel() const { return message_; }
    QPushButton *LeftButton() const { return left_; }
    QPushButton *RightButton() const { return right_; }
    // The button Enter presses, which has the focus when the box opens.
    QPushButton *DefaultButton() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    StyledBox box_;
    bool leftPressed_ = false;
    QLabel *message_;
    QPushButton *left_;
    QPushButton *right_;
};

} // namespace clinova
