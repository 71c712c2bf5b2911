#pragma once
// The four boxes of the server's IPv4 address (edIP1 to edIP4) typed as an address is typed: "." or a third
// digit moves on to the next box, a dotted address pasted or typed into a box fills it and the boxes after
// it, and clicking into a box, tabbing to it or typing in it selects the IP mode.

#include <QObject>

#include <array>

class QLineEdit;
class QRadioButton;

namespace clinova {

class AddressParts : public QObject {
    Q_OBJECT
public:
    // The boxes take their validators from here; the object lives as long as the first box.
    AddressParts(const std::array<QLineEdit *, 4> &parts, QRadioButton *ipMode);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Edited(int index, const QString &text);
    void MoveTo(int index, bool selectAll);

    std::array<QLineEdit *, 4> parts_;
    QRadioButton *ipMode_;
};

} // namespace clinova
