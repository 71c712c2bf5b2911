// The please-wait window: its shape, the interrupt button during a running step, the progress it shows.
#include "GuiTestSupport.h"

#include "app/ImportStep.h"
#include "app/RunState.h"
#include "gui/QtOperator.h"
#include "gui/WaitWindow.h"
#include "support/TempDir.h"

#include <QElapsedTimer>
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
    int progressAtLine1 = -1;
    const StepSummary summary = RunImportStep(state, step, [&](const StepLine &line) {
        done.push_back(line.Number());
        waitShownDuringStep = window.WaitWindow().isVisible();
        if (line.Number() == 1)
            progressAtLine1 = window.WaitWindow().ProgressBar()->value();
        if (line.Number() == 3) {
            // The operator's click waits in the queue until the step lets the window handle its events.
            QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
        }
        return LineOutcome::Imported;
    });

    EXPECT_EQ(done, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(waitShownDuringStep);
    EXPECT_EQ(progressAtLine1, 1);
    // The last count the step told is the one the window was left with.
    EXPECT_EQ(window.WaitWindow().Message(), QStringLiteral("Importation lignes 3/50..."));
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

TEST(guiWaitWindow, EscapePressesInterrompreWhileAStepRuns) {
    TempDir folder;
    std::string lines = "ID\r\n";
    for (int i = 1; i <= 20; ++i)
        lines += std::to_string(i) + "\r\n";
    folder.Write("LIGNES.TXT", lines);
    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    // Pressed while no step runs, Escape interrupts nothing.
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.WaitWindow().Interrupted());

    RunState &state = window.State();
    state.PathSources = folder.Folder();
    const StepDefinition step{.fileName = "LIGNES.TXT",
                              .checkBox = nullptr,
                              .waitText = "Importation des lignes",
                              .progressText = "Importation lignes ",
                              .mandatoryColumns = {"ID"},
                              .interruptionKind = "LIGNES",
                              .logPrefix = {},
                              .logsInterruption = true,
                              .interruptible = true};
    std::vector<int> done;
    const StepSummary summary = RunImportStep(state, step, [&](const StepLine &line) {
        done.push_back(line.Number());
        // The operator's keyboard is on the main window, not on the wait window.
        if (line.Number() == 2)
            QTimer::singleShot(0, &window, [&window] { QTest::keyClick(&window, Qt::Key_Escape); });
        return LineOutcome::Imported;
    });
    EXPECT_EQ(done, (std::vector<int>{1, 2}));
    EXPECT_TRUE(summary.interrupted);
    EXPECT_EQ(LogLines(window).constLast(), QString::fromUtf8("LIGNES/interruption de la procédure"));
}

TEST(guiWaitWindow, CountsShowAtMostTenTimesASecondAndTheLastOneAlways) {
    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TFMessagePatienter &wait = window.WaitWindow();
    QtOperator &op = window.Op();
    const auto count = [](int i) { return "Importation villes " + std::to_string(i) + "/900000000..."; };
    op.ShowWait();
    op.SetWaitMessage(count(1));
    EXPECT_EQ(wait.Message().toStdString(), count(1)) << "the first count at once";

    // Lines told faster than a tenth of a second: the window keeps the last for its turn.
    for (int i = 2; i <= 200; ++i)
        op.SetWaitMessage(count(i));
    EXPECT_EQ(wait.Message().toStdString(), count(1));
    QTest::qWait(TFMessagePatienter::kUpdateIntervalMs + 50);
    EXPECT_EQ(wait.Message().toStdString(), count(200));
    EXPECT_EQ(wait.ProgressBar()->value(), 200);

    // A second of lines, each followed by the window's turn as a step gives it: about ten counts shown.
    QElapsedTimer second;
    second.start();
    int shown = 0;
    QString last = wait.Message();
    for (int i = 201; second.elapsed() < 1000; ++i) {
        op.SetWaitMessage(count(i));
        op.ProcessPendingMessages();
        if (wait.Message() != last) {
            ++shown;
            last = wait.Message();
        }
    }
    EXPECT_LE(shown, 11);
    EXPECT_GE(shown, 5);

    // Another text is shown at once, and the last count of a step is shown when the window hides.
    op.SetWaitMessage("Suppression des tables");
    EXPECT_EQ(wait.Message(), QStringLiteral("Suppression des tables"));
    op.SetWaitMessage("Importation notes 1/3...");
    op.SetWaitMessage("Importation notes 2/3...");
    op.SetWaitMessage("Importation notes 3/3...");
    op.HideWait();
    EXPECT_EQ(wait.Message(), QStringLiteral("Importation notes 3/3..."));
}
