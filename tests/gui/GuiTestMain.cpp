// The GUI tests run in one QApplication, offscreen unless a platform is named, on the screen of a laptop:
// 1366x768 less a task bar of 40 pixels, or the screen CLINOVA_TEST_SCREEN names ("1280x720"), less its task bar.
// Qt's own texts are French, as in the program.
#include "gui/QtFrench.h"

#include <QApplication>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char *argv[]) {
    std::filesystem::path screen;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        int width = 1366, height = 768;
        if (const QByteArray named = qgetenv("CLINOVA_TEST_SCREEN"); !named.isEmpty())
            std::sscanf(named.constData(), "%dx%d", &width, &height);
        // The offscreen platform reads its screens from a file; Qt splits the platform's options at ':', so the
        // file's path holds none.
        screen = std::filesystem::temp_directory_path() /
                 ("clinova-screen-" + std::to_string(QCoreApplication::applicationPid()) + ".json");
        std::ofstream(screen) << R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": )" << width
                              << R"(, "height": )" << height - 40
                              << R"(, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + screen.string().c_str());
    }
    QApplication app(argc, argv);
    if (!screen.empty())
        std::filesystem::remove(screen);
    QApplication::setApplicationName(QStringLiteral("ClinovaImportation"));
    clinova::InstallQtFrench(app);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
