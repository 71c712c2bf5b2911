#pragma once
// The large buttons of the window: a rounded, gradient-painted push button whose caption may span
// several lines ('#' in a caption marks a line break) and wraps at a chosen width.

#include <QColor>
#include <QPushButton>

namespace clinova {

class GradientButton : public QPushButton {
    Q_OBJECT
public:
    GradientButton(const QString &caption, const QColor &colour, int wrapWidth, QWidget *parent = nullptr);

    // The caption with its '#' turned into line breaks.
    void SetCaption(const QString &caption);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor colour_;
    int wrapWidth_;
};

} // namespace clinova
