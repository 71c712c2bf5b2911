// The please-wait window: its shape, the interrupt button during a running step, the progress it shows.
#include "GuiTestSupport.h"

#include "app/ImportStep.h"
#include "app/RunState.h"
#include "gui/QtOperator.h"
#include "gui/WaitWindow.h"
#include "support/TempDir.h"

#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

using namespace clinova;
using namespace clinova::test;

TEST(guiWaitWindow, FramelessOnTopCentredAndNotModal) {
    TFMain window;
    TFMessagePatienter &wait = window.WaitWindow();
    EXPECT_FALSE(wait.isVisible());
    EXPECT_FALSE(wait.Interrupted());
    EXPECT_TRUE(wait.Message().isEmpty());
    EXPECT_TRUE(wait.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(wait.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(wait.windowModality(), Qt::NonModal);
    EXPECT_EQ(wait.InterruptButton()->text(), QStringLiteral("interrompre"));
    EXPECT_NE(wait.findChild<QLabel *>(QStringLiteral("lbTitre")), nullptr);
    EXPECT_EQ(wait.findChild<QLabel *>(QStringLiteral("lbTitre"))->text(),
              QString::fromUtf8("Merci de patienter quelques instants ..."));

    window.Op().ShowWait();
    EXPECT_TRUE(wait.isVisible());
    const QPoint centre = wait.screen()->availableGeometry().center();
    EXPECT_LE((wait.geometry().center() - centre).manhattanLength(), 2);
    EXPECT_FALSE(QApplication::activeModalWidget()) << "the main window stays usable behind it";
    window.Op().HideWait();
    EXPECT_FALSE(wait.isVisible());

    // An interruption pressed while no step runs is forgotten by the next ShowWait.
    wait.InterruptButton()->click();
    EXPECT_TRUE(wait.Interrupted());
    window.Op().ShowWait();
    EXPECT_FALSE(wait.Interrupted());
    EXPECT_TRUE(wait.InterruptButton()->isEnabled());
    window.Op().HideWait();
}

TEST(guiWaitWindow, InterruptPressedDuringAStepStopsItAfterTheCurrentLine) {
    TempDir folder;
    std::string lines = "ID\tNOM\r\n";
    for (int i = 1; i <= 50; ++i)
        lines += std::to_string(i) + "\tnom\r\n";
    folder.Write("LIGNES.TXT", lines);

    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    RunState &state = window.State();
    state.PathSources = folder.Folder();
    const StepDefinition step{.fileName = "LIGNES.TXT",
                              .waitText = "Importation des lignes",
                              .progressText = "Importation lignes ",
                              .mandatoryColumns = {"ID"},
                              .interruptionKind = "LIGNES",
                              .logPrefix = {},
                              .logsInterruption = true};
    QPushButton *button = window.WaitWindow().InterruptButton();
    std::vector<int> done;
    bool waitShownDuringStep = false;
    int progressAtLine3 = -1;
    const StepSummary summary = RunImportStep(state, step, [&](const StepLine &line) {
        done.push_back(line.Number());
        waitShownDuringStep = window.WaitWindow().isVisible();
        if (line.Number() == 3) {
            progressAtLine3 = window.WaitWindow().ProgressBar()->value();
            // The operator's click waits in the queue until the step lets the window handle its events.
            QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
        }
        return LineOutcome::Imported;
    });

    EXPECT_EQ(done, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(waitShownDuringStep);
    EXPECT_EQ(progressAtLine3, 3);
    EXPECT_TRUE(summary.interrupted);
    EXPECT_TRUE(state.StopRequested);
    EXPECT_FALSE(window.WaitWindow().isVisible());
    ASSERT_FALSE(LogLines(window).isEmpty());
    EXPECT_EQ(LogLines(window).constLast(), QString::fromUtf8("LIGNES/interruption de la procédure"));
}

TEST(guiWaitWindow, ProgressBarFollowsTheCountOfTheMessage) {
    TFMain window;
    TFMessagePatienter &wait = window.WaitWindow();
    window.Op().ShowWait();
    window.Op().SetWaitMessage("Importation des villes");
    EXPECT_TRUE(wait.ProgressBar()->isHidden());
    window.Op().SetWaitMessage("Importation villes 3/40...");
    EXPECT_FALSE(wait.ProgressBar()->isHidden());
    EXPECT_EQ(wait.ProgressBar()->maximum(), 40);
    EXPECT_EQ(wait.ProgressBar()->value(), 3);
    EXPECT_EQ(wait.Message(), QStringLiteral("Importation villes 3/40..."));
    window.Op().SetWaitMessage("Suppression des tables");
    EXPECT_TRUE(wait.ProgressBar()->isHidden());
    EXPECT_TRUE(wait.RemainingText().isEmpty());
    window.Op().HideWait();

    using W = TFMessagePatienter;
    EXPECT_EQ(W::RemainingTimeText(500, 10, 100), QString::fromUtf8("Estimation du temps restant ..."));
    EXPECT_EQ(W::RemainingTimeText(10000, 1, 100), QString::fromUtf8("Estimation du temps restant ..."));
    EXPECT_EQ(W::RemainingTimeText(10000, 100, 50), QString::fromUtf8("Temps restant estimé : 5 s"));
    EXPECT_EQ(W::RemainingTimeText(10000, 10, 95), QString::fromUtf8("Temps restant estimé : 1 min 35 s"));
    EXPECT_EQ(W::RemainingTimeText(60000, 10, 1000), QString::fromUtf8("Temps restant estimé : 1 h 40 min"));
    EXPECT_TRUE(W::RemainingTimeText(10000, 100, 0).isEmpty());
}
