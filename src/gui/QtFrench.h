#pragma once
// Qt's own texts in French: the context menus of the edits and of the log, the standard dialogs (folders,
// files, colours), the calendar of the date pickers. The tool speaks French whatever the system's language.

class QCoreApplication;

namespace clinova {

// Loads Qt's French translations (qtbase_fr from Qt's translations folder) into the application and makes
// French the default locale of the widgets. False when the translations are not installed: Qt's texts then
// stay English, everything else works.
bool InstallQtFrench(QCoreApplication &app);

} // namespace clinova
