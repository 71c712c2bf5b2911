#include "gui/QtFrench.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace clinova {

bool InstallQtFrench(QCoreApplication &app) {
    const QLocale french(QLocale::French, QLocale::France);
    QLocale::setDefault(french);
    auto *translator = new QTranslator(&app);
    if (!translator->load(french, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace clinova
