#pragma once
// The engine's text is Windows-1252 bytes, Qt's is QString: every text crossing between them goes
// through these two functions.

#include <QString>

#include <string>
#include <string_view>

namespace clinova {

QString ToQString(std::string_view win1252);
std::string FromQString(const QString &text);

} // namespace clinova
