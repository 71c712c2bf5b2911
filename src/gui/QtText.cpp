#include "gui/QtText.h"

#include "normalized/Win1252.h"

namespace clinova {

QString ToQString(std::string_view win1252) {
    return QString::fromStdString(ToUtf8(win1252));
}

std::string FromQString(const QString &text) {
    return FromUtf8(text.toStdString());
}

} // namespace clinova
