#pragma once
// A check box whose caption wraps onto further lines when its room is narrower than the caption: a page of them
// narrows with the window (a laptop's screen at 125 %) without sideways scrolling, every caption shown whole.

#include <QCheckBox>

namespace clinova {

class WrappingCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit WrappingCheckBox(const QString &caption, QWidget *parent = nullptr);

    // The caption on one line, as a check box asks.
    QSize sizeHint() const override;
    // As narrow as its longest word, one line high.
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    // The whole box answers a click, the caption's further lines too.
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }

private:
    // Where the caption starts: after the indicator and its spacing.
    int CaptionLeft() const;
    int CaptionHeight(int width) const;
};

} // namespace clinova
