// The program the Xvfb test clicks: the main window runs a long step through its QtOperator; once the
// please-wait window is on the screen, the program prints where its "interrompre" button is
// ("BUTTON x y", global coordinates) and whether the window is painted on the screen ("PAINTED"), then
// reports whether the step saw the interruption.
#include "app/ImportStep.h"
#include "app/RunState.h"
#include "gui/QtOperator.h"
#include "gui/TFMain.h"
#include "gui/WaitWindow.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <fstream>

using namespace clinova;

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ClinovaImportation"));

    QTemporaryDir folder;
    if (!folder.isValid())
        return 2;
    constexpr int kLines = 2000; // 20 s of work at 10 ms a line
    {
        std::ofstream out(QDir(folder.path()).filePath(QStringLiteral("LIGNES.TXT")).toStdString(), std::ios::binary);
        out << "ID\r\n";
        for (int i = 1; i <= kLines; ++i)
            out << i << "\r\n";
    }

    TFMain window;
    window.show();
    RunState &state = window.State();
    state.PathSources = QDir(folder.path()).absolutePath().toStdString() + "/";
    TFMessagePatienter &wait = window.WaitWindow();

    const StepDefinition step{.fileName = "LIGNES.TXT",
                              .waitText = "Importation des lignes",
                              .progressText = "Importation lignes ",
                              .mandatoryColumns = {"ID"},
                              .interruptionKind = "LIGNES",
                              .logPrefix = {},
                              .logsInterruption = true};
    bool announced = false;
    int lastLine = 0;
    StepSummary summary;
    // The step runs as the window's actions run, with the action buttons disabled.
    window.RunAction([&] {
        summary = RunImportStep(state, step, [&](const StepLine &line) {
            lastLine = line.Number();
            // A line of work during which the window handles nothing.
            QThread::msleep(10);
            if (!announced && wait.windowHandle() && wait.windowHandle()->isExposed()) {
                // What the X server holds of the window, not what Qt would paint now: a window the step never
                // let paint is black there.
                const QImage shown =
                    wait.screen()->grabWindow(0, wait.x(), wait.y(), wait.width(), wait.height()).toImage();
                int dark = 0;
                for (int y = 0; y < shown.height(); y += 4)
                    for (int x = 0; x < shown.width(); x += 4)
                        dark += qGray(shown.pixel(x, y)) < 40;
                const int samples = ((shown.width() + 3) / 4) * ((shown.height() + 3) / 4);
                std::printf("%s %d/%d dark\n", !shown.isNull() && dark * 2 < samples ? "PAINTED" : "UNPAINTED", dark,
                            samples);
                QPushButton *button = wait.InterruptButton();
                const QPoint centre = button->mapToGlobal(button->rect().center());
                std::printf("BUTTON %d %d\n", centre.x(), centre.y());
                std::fflush(stdout);
                announced = true;
            }
            return LineOutcome::Imported;
        });
    });

    if (summary.interrupted && state.StopRequested) {
        std::printf("INTERRUPTED after line %d of %d\n", lastLine, kLines);
        return 0;
    }
    std::printf("NOT INTERRUPTED (%d lines)\n", lastLine);
    return 1;
}
