#include "database/FbClient.h"
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

    int status = 0;
    {
        clinova::TFMain window;
        window.show();
        status = QApplication::exec();
    }
    // The engine's threads end before the library goes away with the process.
    clinova::fb::ShutdownClient();
    return status;
}
