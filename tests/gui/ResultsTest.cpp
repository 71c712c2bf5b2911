// The results window at the end of an import and of a check, after the sample practice of examples/practice
// imported from the window as a technician imports it.
#include "GuiTestSupport.h"

#include "run/ImportRun.h"
#include "app/RunState.h"
#include "app/RunSummary.h"
#include "gui/QtOperator.h"
#include "gui/QtText.h"
#include "gui/ResultsWindow.h"
#include "gui/WaitWindow.h"
#include "import/ImportSteps.h"
#include "import/catalogue/SampleCatalogue.h"
#include "normalized/NormalizedFile.h"
#include "normalized/Win1252.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <filesystem>

using namespace clinova;
using namespace clinova::test;

namespace {

QString Utf8(const char *text) {
    return QString::fromUtf8(text);
}

QString CellText(QTableWidget *table, int row, int column) {
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QString();
}

// A copy of the sample practice and a database with the sample catalogue, set in the window as the demo sets
// them: the users correspondence of examples/users.txt and both duplicate checks.
struct SampleInWindow {
    TestDatabase database;
    TempDir dir;
    std::string folder;
    TFMain window;

    SampleInWindow() {
        folder = (dir.path() / "practice").string();
        std::filesystem::copy(CLINOVA_SOURCE_DIR "/examples/practice", folder);
        TargetDatabase db;
        db.Open(database.Path());
        AddSampleCatalogue(db);
        db.Close();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        Find<QLineEdit>(window, "edPathNameDatabase")->setText(QString::fromStdString(database.Path()));
        Find<QPlainTextEdit>(window, "MemoCorrespondancesUtilisateurs")
            ->setPlainText(QString::fromStdString(ReadWholeFile(CLINOVA_SOURCE_DIR "/examples/users.txt")));
        Find<QCheckBox>(window, "cbDedoublonageClients")->setChecked(true);
        Find<QCheckBox>(window, "cbDedoublonageAnimaux")->setChecked(true);
        window.ScanSourceFolder(QString::fromStdString(folder));
    }

    // The operator presses Escape as the clients are being imported, once; the hand lives as long as the test.
    void EscapeDuringTheClients(QTimer &hand) {
        QApplication::setActiveWindow(&window);
        QObject::connect(&hand, &QTimer::timeout, [this, &hand] {
            TFMessagePatienter &wait = window.WaitWindow();
            if (wait.isVisible() && wait.Message().startsWith(QStringLiteral("Importation client "))) {
                hand.stop();
                QTest::keyClick(&window, Qt::Key_Escape);
            }
        });
        hand.start(0);
    }

    // The two questions answered with Enter; an interrupted run asks a third, whether to resume, answered
    // "Non" with Escape. Returns the texts of the boxes.
    std::vector<QString> Import(bool interrupted = false) {
        ModalAnswerer answerer({PressKey(Qt::Key_Return), PressKey(Qt::Key_Return), PressKey(Qt::Key_Escape)});
        QTest::mouseClick(Find<QPushButton>(window, "btnImportation"), Qt::LeftButton);
        EXPECT_EQ(answerer.texts.size(), interrupted ? 3u : 2u);
        EXPECT_EQ(answerer.unexpected, 0);
        return answerer.texts;
    }
};

} // namespace

// The wait window as the technician sees it during the backup before the import and during the clients: where
// the backup and the whole run stand, each with its bar; pictures of both for docs/.
struct WaitWindowWatch {
    QTimer eye;
    bool backupSeen = false;
    bool runSeen = false;
    bool paused = false;
    bool looking = false;

    explicit WaitWindowWatch(TFMain &window) {
        QObject::connect(&eye, &QTimer::timeout, [this, &window] {
            TFMessagePatienter &wait = window.WaitWindow();
            if (looking || !wait.isVisible())
                return;
            looking = true;
            if (!backupSeen && wait.Message().startsWith(Utf8("Sauvegarde : table "))) {
                backupSeen = true;
                EXPECT_FALSE(wait.BackupBar()->isHidden());
                EXPECT_GT(wait.BackupBar()->maximum(), 20) << "the tables of the database";
                EXPECT_TRUE(wait.ProgressBar()->isHidden());
                EXPECT_TRUE(wait.RunText().isEmpty()) << "the run has not begun";
                Save(wait, QStringLiteral("wait-backup.png"));
            }
            if (!runSeen && wait.Message().startsWith(QStringLiteral("Importation client "))) {
                // A second of the clients once their first line is read, so that the times left can be told.
                if (!paused && wait.RunText().contains(QStringLiteral("CLIENTS.TXT"))) {
                    paused = true;
                    QTest::qWait(1100);
                } else if (wait.RemainingText().contains(Utf8("pour l'importation"))) {
                    runSeen = true;
                    EXPECT_TRUE(wait.RunText().startsWith(Utf8("Étape 3/16 : Clients — CLIENTS.TXT ")))
                        << wait.RunText().toStdString();
                    EXPECT_TRUE(wait.RemainingText().startsWith(Utf8("Temps restant : ")))
                        << wait.RemainingText().toStdString();
                    EXPECT_TRUE(wait.BackupBar()->isHidden());
                    EXPECT_FALSE(wait.ProgressBar()->isHidden());
                    Save(wait, QStringLiteral("wait-run.png"));
                }
            }
            looking = false;
        });
        eye.start(0);
    }
};

TEST(guiResults, AfterTheSamplePracticeTheTableHoldsTheSummaryAndTheWrittenFilesOpen) {
    SampleInWindow sample;
    // A backup first, beside the database under a name of that moment.
    Find<QCheckBox>(sample.window, "cbSauvegardeAvant")->setChecked(true);
    {
        WaitWindowWatch watch(sample.window);
        sample.Import();
        EXPECT_TRUE(watch.backupSeen);
        EXPECT_TRUE(watch.runSeen);
    }
    ResultsWindow &results = sample.window.Results();
    // The backup named as written, with its size.
    const std::string backup = sample.window.State().backupWritten;
    ASSERT_FALSE(backup.empty());
    EXPECT_FALSE(results.BackupLabel()->isHidden());
    EXPECT_TRUE(results.BackupLabel()->text().contains(QDir::toNativeSeparators(ToQString(backup))))
        << results.BackupLabel()->text().toStdString();
    EXPECT_TRUE(results.BackupLabel()->text().contains(QRegularExpression(QStringLiteral("\\([0-9]+(,[0-9])? [kM]o\\)$"))))
        << results.BackupLabel()->text().toStdString();
    ASSERT_TRUE(results.isVisible()) << "the results show when the import ends";
    EXPECT_EQ(results.windowTitle(), Utf8("Résultats de l'importation"));

    const std::vector<StepSummary> &summaries = sample.window.State().summaries;
    ASSERT_EQ(summaries.size(), 14u);
    QTableWidget *table = results.Table();
    QStringList headers;
    for (int c = 0; c < table->columnCount(); ++c)
        headers << table->horizontalHeaderItem(c)->text();
    EXPECT_EQ(headers, (QStringList{QStringLiteral("Fichier"), Utf8("données"), QStringLiteral("lues"),
                                    Utf8("importées"), QStringLiteral("doublons"), Utf8("ignorées"), Utf8("échecs"),
                                    Utf8("durée"), QStringLiteral("remarque")}));
    ASSERT_EQ(table->rowCount(), static_cast<int>(summaries.size()));
    StepSummary total;
    for (int r = 0; r < static_cast<int>(summaries.size()); ++r) {
        const StepSummary &s = summaries[static_cast<std::size_t>(r)];
        SCOPED_TRACE(s.fileName);
        EXPECT_EQ(CellText(table, r, 0), QString::fromStdString(s.fileName));
        // What the file holds, as a person names it, never as the program does.
        EXPECT_FALSE(CellText(table, r, 1).isEmpty());
        EXPECT_FALSE(CellText(table, r, 1).contains(QRegularExpression(QStringLiteral("do[A-Z]"))));
        const QStringList counts{CellText(table, r, 2), CellText(table, r, 3), CellText(table, r, 4),
                                 CellText(table, r, 5), CellText(table, r, 6)};
        EXPECT_EQ(counts, (QStringList{QString::number(s.read), QString::number(s.imported), QString::number(s.matched),
                                       QString::number(s.skipped), QString::number(s.failed)}));
        EXPECT_EQ(CellText(table, r, 7), ToQString(DurationText(s.seconds)));
        EXPECT_TRUE(CellText(table, r, 8).isEmpty());
        total.read += s.read;
        total.failed += s.failed;
    }
    // The sample's deliberate figures (tests/app/SamplePracticeTest.cpp explains each).
    EXPECT_EQ(CellText(table, 1, 0), QStringLiteral("CLIENTS.TXT"));
    EXPECT_EQ(CellText(table, 1, 1), QStringLiteral("Clients"));
    EXPECT_EQ(CellText(table, 1, 3), QStringLiteral("37"));
    EXPECT_EQ(CellText(table, 1, 4), QStringLiteral("1"));
    EXPECT_EQ(CellText(table, 1, 6), QStringLiteral("2"));
    // The total under the rows, in a table of its own whose columns are the rows' columns.
    QTableWidget *totalRow = results.TotalTable();
    ASSERT_EQ(totalRow->rowCount(), 1);
    EXPECT_EQ(CellText(totalRow, 0, 0), QStringLiteral("Total"));
    EXPECT_EQ(CellText(totalRow, 0, 2), QString::number(total.read));
    EXPECT_EQ(CellText(totalRow, 0, 6), QString::number(total.failed));
    EXPECT_TRUE(totalRow->item(0, 0)->font().bold());
    for (int c = 0; c + 1 < table->columnCount(); ++c)
        EXPECT_EQ(totalRow->columnWidth(c), table->columnWidth(c)) << c;

    // The log holds the same summary, aligned, each line on one line of the memo.
    const QStringList log = LogLines(sample.window);
    auto *memo = Find<QPlainTextEdit>(sample.window, "Memo");
    const int room = memo->viewport()->width() - 2 * static_cast<int>(memo->document()->documentMargin());
    for (const std::string &line : RunSummaryLines(sample.window.State())) {
        EXPECT_TRUE(log.contains(ToQString(line))) << ToUtf8(line);
        // The rows of the tables; the folder's path is as long as it is.
        if (line.rfind(FromUtf8("Fichiers écrits dans "), 0) != 0)
            EXPECT_LE(memo->fontMetrics().horizontalAdvance(ToQString(line)), room) << ToUtf8(line);
    }

    // Every file the run wrote is listed, the journal too, and opens, or opens its folder, with the system's
    // viewer.
    QStringList written;
    for (const std::string &path : sample.window.State().writtenFiles)
        written << ToQString(path);
    EXPECT_EQ(results.Files(), written);
    const QString folder = QString::fromStdString(sample.window.State().PathSources);
    for (const char *name : {"REJETS_CLIENTS.TXT", "REJETS_NOTES.TXT", "__fSourceIDClientList.txt",
                             "JOURNAL_IMPORTATION.TXT", "DOUBLONS_CLIENTS.TXT"})
        EXPECT_TRUE(written.contains(folder + QLatin1String(name))) << name;
    // The rejects, warnings, lines left aside and duplicates come first, in that order; the lists and the
    // journal are folded under one line, shown when it is pressed.
    const auto top = [&](const char *name) {
        return results.FileLabel(static_cast<int>(written.indexOf(folder + QLatin1String(name))))->mapTo(&results, QPoint()).y();
    };
    EXPECT_LT(top("REJETS_NOTES.TXT"), top("IGNOREES_POIDS.TXT"));
    EXPECT_LT(top("REJETS_CLIENTS.TXT"), top("DOUBLONS_CLIENTS.TXT"));
    EXPECT_LT(top("IGNOREES_POIDS.TXT"), top("DOUBLONS_CLIENTS.TXT"));
    EXPECT_LT(top("DOUBLONS_CLIENTS.TXT"), top("RAPPORT_IMPORTATION.html"));
    ASSERT_NE(results.FoldButton(), nullptr);
    const int lists = static_cast<int>(std::count_if(written.begin(), written.end(), [](const QString &path) {
        return QFileInfo(path).fileName().startsWith(QLatin1String("__"));
    }));
    EXPECT_TRUE(results.FoldButton()->text().contains(QStringLiteral("(%1 fichiers)").arg(lists + 1)))
        << results.FoldButton()->text().toStdString();
    const int journal = static_cast<int>(written.indexOf(folder + QStringLiteral("JOURNAL_IMPORTATION.TXT")));
    EXPECT_FALSE(results.FileLabel(journal)->isVisibleTo(&results));
    QTest::mouseClick(results.FoldButton(), Qt::LeftButton);
    EXPECT_TRUE(results.FileLabel(journal)->isVisibleTo(&results));
    std::vector<QUrl> opened;
    results.SetOpener([&](const QUrl &url) {
        opened.push_back(url);
        return true;
    });
    const int rejects = static_cast<int>(written.indexOf(folder + QStringLiteral("REJETS_CLIENTS.TXT")));
    ASSERT_NE(results.OpenButton(rejects), nullptr);
    QTest::mouseClick(results.OpenButton(rejects), Qt::LeftButton);
    QTest::mouseClick(results.FolderButton(rejects), Qt::LeftButton);
    QTest::mouseClick(results.ReportButton(), Qt::LeftButton);
    QTest::mouseDClick(results.FileLabel(journal), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 4u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(folder + QStringLiteral("REJETS_CLIENTS.TXT")));
    EXPECT_EQ(QDir(opened[1].toLocalFile()), QDir(folder));
    EXPECT_EQ(opened[2], QUrl::fromLocalFile(folder + QStringLiteral("RAPPORT_IMPORTATION.html")));
    EXPECT_EQ(opened[3], QUrl::fromLocalFile(folder + QStringLiteral("JOURNAL_IMPORTATION.TXT")));

    // "Enregistrer": the results as text, where the operator chose; the same counts as the window.
    const QString saved = QString::fromStdString(sample.dir.File("resultats.txt"));
    QString proposed;
    results.SetSaveChooser([&](const QString &offered) {
        proposed = offered;
        return saved;
    });
    QTest::mouseClick(results.SaveButton(), Qt::LeftButton);
    EXPECT_EQ(QFileInfo(proposed).dir(), QDir(folder));
    const QString text = QString::fromStdString(ReadWholeFile(saved.toStdString()));
    EXPECT_EQ(text, results.ResultsText());
    EXPECT_TRUE(text.startsWith(Utf8("Résultats de l'importation\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\nCLIENTS\\.TXT +Clients +40 +37 +1 +0 +2 ")))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\n  JOURNAL_IMPORTATION.TXT\n"))) << text.toStdString();
    {
        // A file the system cannot open says so, in French.
        results.SetOpener([](const QUrl &) { return false; });
        ModalAnswerer answerer({PressKey(Qt::Key_Return)});
        QTest::mouseClick(results.OpenButton(0), Qt::LeftButton);
        ASSERT_EQ(answerer.texts.size(), 1u);
        EXPECT_TRUE(answerer.texts[0].startsWith(Utf8("Impossible d'ouvrir "))) << answerer.texts[0].toStdString();
    }
    Save(results, QStringLiteral("results-import.png"));

    // The check of the same folder: its counts, its total, and its report the one file written.
    ModalAnswerer none({});
    QTest::mouseClick(Find<QPushButton>(sample.window, "btnCheckSources"), Qt::LeftButton);
    EXPECT_EQ(none.unexpected, 0);
    ASSERT_TRUE(results.isVisible());
    EXPECT_EQ(results.windowTitle(), Utf8("Résultats de la vérification"));
    ASSERT_EQ(table->rowCount(), 15) << "fifteen files read";
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), Utf8("à corriger"));
    EXPECT_EQ(CellText(results.TotalTable(), 0, 0), QStringLiteral("Total"));
    EXPECT_EQ(CellText(results.TotalTable(), 0, 2), QStringLiteral("17"));
    EXPECT_EQ(results.Files(), (QStringList{folder + QStringLiteral("VERIFICATION.TXT"),
                                            folder + QStringLiteral("RAPPORT_IMPORTATION.html")}));
    EXPECT_TRUE(results.BackupLabel()->isHidden());
    EXPECT_TRUE(results.ReportButton()->isEnabled());
    Save(results, QStringLiteral("results-check.png"));
}

TEST(guiResults, TheRehearsalWritesNothingIntoTheDatabaseAndShowsItsResultsAndItsReport) {
    SampleInWindow sample;
    {
        // No question: the copy is the rehearsal's own. The end of the import is the one box.
        ModalAnswerer answerer({PressKey(Qt::Key_Return)});
        QTest::mouseClick(Find<QPushButton>(sample.window, "btnRepetition"), Qt::LeftButton);
        ASSERT_EQ(answerer.texts.size(), 1u);
        EXPECT_TRUE(answerer.texts[0].contains(Utf8("Fin de l'opération d'importation")));
    }
    EXPECT_EQ(sample.database.Scalar("select count(*) from CLIENTS"), "0");
    ResultsWindow &results = sample.window.Results();
    ASSERT_TRUE(results.isVisible());
    ASSERT_EQ(results.Table()->rowCount(), 14);
    EXPECT_EQ(CellText(results.Table(), 1, 3), QStringLiteral("37"));
    const QString folder = QString::fromStdString(sample.window.State().PathSources);
    EXPECT_TRUE(results.Files().contains(folder + QStringLiteral("REPETITION/RAPPORT_IMPORTATION.html")));
    EXPECT_TRUE(results.ReportButton()->isEnabled());
    EXPECT_EQ(Find<QLineEdit>(sample.window, "edPathNameDatabase")->text().toStdString(), sample.database.Path());
}

TEST(guiResults, AnInterruptedStepIsMarkedInTheTableAndInTheLog) {
    SampleInWindow sample;
    QTimer operatorHand;
    sample.EscapeDuringTheClients(operatorHand);
    const std::vector<QString> asked = sample.Import(true);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_TRUE(asked[2].contains(Utf8("Reprendre l'importation interrompue ?"))) << asked[2].toStdString();

    ResultsWindow &results = sample.window.Results();
    ASSERT_TRUE(results.isVisible());
    EXPECT_EQ(results.windowTitle(), Utf8("Résultats de l'importation : interrompue"));
    QTableWidget *table = results.Table();
    const std::vector<StepSummary> &summaries = sample.window.State().summaries;
    ASSERT_EQ(summaries.size(), 2u) << "the contacts, then the clients the operator interrupted";
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(CellText(table, 1, 0), QStringLiteral("CLIENTS.TXT"));
    EXPECT_EQ(CellText(table, 1, 8), QStringLiteral("interrompu"));
    EXPECT_LT(CellText(table, 1, 2).toInt(), 40) << "the step stopped after its current line";
    EXPECT_TRUE(CellText(table, 0, 8).isEmpty());
    EXPECT_TRUE(CellText(results.TotalTable(), 0, 8).isEmpty()) << "the total";

    const QStringList log = LogLines(sample.window);
    EXPECT_TRUE(log.contains(Utf8("CLIENTS/interruption de la procédure")));
    // In the summary's second table, beside the counts only some runs have.
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const QString &line) {
                                return line.startsWith(QStringLiteral("CLIENTS.TXT ")) &&
                                       line.endsWith(QStringLiteral("  interrompu"));
                            }),
              1);
    EXPECT_TRUE(log.contains(Utf8("Importation interrompue : les étapes suivantes n'ont rien lu")));
    Save(results, QStringLiteral("results-interrupted.png"));
}

TEST(guiResults, AnInterruptedRunIsResumedOnOuiAndAnImportDoneAlreadyAsksWithNonByDefault) {
    SampleInWindow sample;
    QTimer operatorHand;
    sample.EscapeDuringTheClients(operatorHand);
    auto *resume = Find<QCheckBox>(sample.window, "cbReprise");
    const auto clients = [&] { return sample.database.Scalar("select count(*) from CLIENTS"); };
    {
        // The two questions, "Reprendre l'importation interrompue ?" answered "Oui", then the resume's two.
        ModalAnswerer answerer({PressKey(Qt::Key_Return), PressKey(Qt::Key_Return), PressKey(Qt::Key_Return),
                                PressKey(Qt::Key_Return), PressKey(Qt::Key_Return)});
        QTest::mouseClick(Find<QPushButton>(sample.window, "btnImportation"), Qt::LeftButton);
        ASSERT_EQ(answerer.texts.size(), 5u);
        EXPECT_TRUE(answerer.texts[2].contains(Utf8("Reprendre l'importation interrompue ?")));
        EXPECT_TRUE(answerer.texts[4].contains(Utf8("Fin de l'opération d'importation")));
        EXPECT_EQ(answerer.unexpected, 0);
    }
    EXPECT_FALSE(resume->isChecked()) << "the resume went to its end";
    EXPECT_EQ(sample.window.Results().windowTitle(), Utf8("Résultats de l'importation"));
    const std::string imported = clients();
    EXPECT_EQ(imported, "37") << "as an uninterrupted import of the sample with its duplicate checks";
    {
        // The same folder again: the question names the earlier import, and Enter answers "Non".
        ModalAnswerer answerer({PressKey(Qt::Key_Return), PressKey(Qt::Key_Return)});
        QTest::mouseClick(Find<QPushButton>(sample.window, "btnImportation"), Qt::LeftButton);
        ASSERT_EQ(answerer.texts.size(), 2u);
        EXPECT_TRUE(answerer.texts[1].contains(Utf8("déjà été importés dans cette base")));
        EXPECT_TRUE(answerer.texts[1].contains(Utf8("Importer à nouveau ?")));
        EXPECT_EQ(answerer.unexpected, 0);
    }
    EXPECT_EQ(clients(), imported);
}

// The results of every file of a run on the laptop's screen (at 125 % too: gui_laptop_screen_125): the total
// row is in view, inside the screen, and the table needs no sideways scrolling.
TEST(guiLaptopScreen, TheResultsTotalIsInViewWithoutSidewaysScrolling) {
    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    std::vector<StepSummary> summaries;
    for (const StepEntry *step : ImportSteps())
        for (const StepFile &file : step->files) {
            StepSummary s;
            s.fileName = file.definition().fileName;
            s.read = 15000;
            s.imported = 14000;
            s.failed = 1000;
            s.seconds = 754;
            s.ran = true;
            summaries.push_back(s);
        }
    summaries[3].interrupted = true;
    ResultsWindow &results = window.Results();
    results.ShowImport(summaries, {"/src/REJETS_CLIENTS.TXT", "/src/__fSourceIDClientList.txt"}, "/src/");
    results.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&results));
    QApplication::processEvents();
    QTableWidget *total = results.TotalTable();
    ASSERT_TRUE(total->isVisible());
    const QRect screen = results.screen()->availableGeometry();
    const QRect shown(total->mapToGlobal(QPoint(0, 0)), total->size());
    EXPECT_TRUE(screen.contains(shown)) << shown.y() << "+" << shown.height() << " of " << screen.height();
    EXPECT_TRUE(QRect(QPoint(), results.size()).contains(QRect(total->mapTo(&results, QPoint()), total->size())));
    EXPECT_FALSE(results.Table()->horizontalScrollBar()->isVisible()) << "no sideways scrolling";
    EXPECT_EQ(CellText(total, 0, 0), QStringLiteral("Total"));
}
