#include "gui/QtFrench.h"
#include "gui/TFMain.h"

#include <QApplication>

#include <clocale>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ClinovaImportation"));
    QApplication::setApplicationVersion(clinova::TFMain::NoBuild());
    clinova::InstallQtFrench(app);
    // Qt takes the user's locale for the C library; the engine's own conversions work with a decimal point.
    std::setlocale(LC_NUMERIC, "C");

    clinova::TFMain window;
    window.show();
    return QApplication::exec();
}
