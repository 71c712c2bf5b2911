// The main window driven as the operator drives it: its settings, the path label, the folder scan and the
// actions started from its buttons, against real files and a real embedded database.
#include "GuiTestSupport.h"

#include "import/ImportSteps.h"
#include "run/ImportRun.h"
#include "run/MaintenanceActions.h"
#include "app/RunState.h"
#include "gui/QtOperator.h"
#include "gui/WaitWindow.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"
#include "support/TempDir.h"
#include "support/TestDatabase.h"

#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>

using namespace clinova;
using namespace clinova::test;

namespace {

const char *const kWiredButtons[] = {"btnChangePath", "btnTest",   "btnSelectPathSources",
                                     "panCouleur",    "btnWeb",    "SpeedButton1",
                                     "btnDelete",     "XiButton2", "XiButton4",
                                     "XiButton5",     "XiButton6", "XiButton1",
                                     "Button1",       "btnSaveLog"};

QString Utf8(const char *text) {
    return QString::fromUtf8(text);
}

// A value other than the default for every kind of control, accents included where text allows them.
std::string OtherValue(const OptionControl &control) {
    const std::string name = control.name;
    if (name.rfind("edIP", 0) == 0)
        return "192";
    if (name == "edIDSite" || name == "edIDSITECompta" || name == "panCouleur")
        return "7";
    if (name == "MemoCorrespondancesUtilisateurs")
        return FromUtf8("12=VÉTO\n13=Zoé // stagiaire");
    return FromUtf8("é/") + name;
}

void ExpectFilesOffered(TFMain &window, const std::set<std::string> &present) {
    for (const SourceFile &file : SourceFiles()) {
        auto *box = Find<QCheckBox>(window, file.control);
        const bool offered = present.count(file.fileName) > 0;
        EXPECT_EQ(box->isEnabled(), offered) << file.fileName;
        EXPECT_EQ(box->isChecked(), offered) << file.fileName;
    }
}

} // namespace

TEST(guiMainWindow, DefaultsAndDisabledStateAtStartUp) {
    TFMain window;
    const QString prefix = Utf8("Importation normalisée dans Clinova - version ");
    ASSERT_TRUE(window.windowTitle().startsWith(prefix)) << window.windowTitle().toStdString();
    const QString build = window.windowTitle().mid(prefix.size());
    bool number = false;
    build.toInt(&number);
    EXPECT_TRUE(number) << build.toStdString();
    EXPECT_EQ(Find<QLabel>(window, "lbVersion")->text(), build);
    // The "Aide" page gives the whole version, whose last number is that build number.
    const QString whole = Find<QLabel>(window, "lbVersionOutil")->text();
    EXPECT_TRUE(whole.startsWith(QStringLiteral("ClinovaImportation, version ")) && whole.endsWith("." + build))
        << whole.toStdString();
    EXPECT_NE(window.minimumSize(), window.maximumSize()) << "the window can be resized to the screen";

    // Every setting has its control, holding its default, read back through the widgets.
    const ImportOptions defaults;
    const ImportOptions read = window.ReadOptions();
    const std::set<std::string> hidden = {"cbRichViewMode", "cdDeleteTropEspacesInConsult", "cbPourDemo"};
    for (const OptionControl &control : OptionControls()) {
        QWidget *widget = window.findChild<QWidget *>(QLatin1String(control.name));
        ASSERT_NE(widget, nullptr) << control.name;
        // The window backs the database up before it changes it unless told not to; scripts ask for it.
        if (control.name == std::string("cbSauvegardeAvant"))
            EXPECT_EQ(OptionText(read, control), "1");
        else
            EXPECT_EQ(OptionText(read, control), OptionText(defaults, control)) << control.name;
        EXPECT_EQ(widget->isHidden(), hidden.count(control.name) > 0) << control.name;
    }
    EXPECT_EQ(read.edPathNameDatabase, "C:\\Program Files (x86)\\Clinova 2\\Database\\BASE.CN2");
    EXPECT_EQ(read.dateSaufDataAvantLe, (Date{2019, 1, 1}));
    // The backup's path when none is typed: beside the database, named after it.
    Find<QLineEdit>(window, "edPathNameDatabase")->setText(QStringLiteral("/data/BASE.CN2"));
    EXPECT_TRUE(Find<QLineEdit>(window, "edPathSauvegarde")->placeholderText().startsWith(QStringLiteral("/data/BASE_")));
    EXPECT_TRUE(read.cbRichViewMode);

    for (const SourceFile &file : SourceFiles())
        EXPECT_EQ(Find<QCheckBox>(window, file.control)->text(), QLatin1String(file.fileName));
    ExpectFilesOffered(window, {});
    EXPECT_FALSE(Find<QPushButton>(window, "btnImportation")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(window, "btnCheckSources")->isEnabled());
    EXPECT_EQ(Find<QLabel>(window, "lbPathSources")->text(), QStringLiteral("?"));
    for (const char *name : kWiredButtons)
        EXPECT_TRUE(Find<QPushButton>(window, name)->isEnabled()) << name;
}

TEST(guiMainWindow, EverySettingTravelsBetweenWidgetsAndOptions) {
    TFMain window;
    ImportOptions changed;
    for (const OptionControl &control : OptionControls()) {
        std::string error;
        const std::string value = control.kind == OptionControl::Kind::Date   ? "29/02/2020"
                                  : control.kind == OptionControl::Kind::Text ? OtherValue(control)
                                  : OptionText(changed, control) == "1"       ? "0"
                                                                              : "1";
        ASSERT_TRUE(SetOption(changed, control.name, value, error)) << control.name << ": " << error;
        if (control.kind == OptionControl::Kind::File)
            (changed.*(control.fileField)).enabled = true;
    }
    window.WriteOptions(changed);
    const ImportOptions read = window.ReadOptions();
    for (const OptionControl &control : OptionControls())
        EXPECT_EQ(ToUtf8(OptionText(read, control)), ToUtf8(OptionText(changed, control))) << control.name;
}

TEST(guiMainWindow, PathLabelDoubleClickTogglesBetweenTheTwoUsualPaths) {
    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto *label = Find<QLabel>(window, "Label1");
    auto *path = Find<QLineEdit>(window, "edPathNameDatabase");
    const QString usual = QStringLiteral("C:\\Program Files (x86)\\Clinova 2\\Database\\BASE.CN2");
    const QString other = QStringLiteral("C:\\Program Files\\Clinova 2\\Database\\BASE.CN2");

    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_EQ(path->text(), other);
    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_EQ(path->text(), usual);
    path->setText(QStringLiteral("/data/clinova.fdb"));
    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_EQ(path->text(), usual);
}

TEST(guiMainWindow, ScanningOffersExactlyTheFilesPresent) {
    TempDir first;
    first.Write("CLIENTS.TXT", "ID_CLIENT\r\n");
    first.Write("ANIMAUX.TXT", "ID_ANIMAL\r\n");
    first.Write("clients.txt.bak", "");
    TempDir second;
    second.Write("ANIMAUX.TXT", "ID_ANIMAL\r\n");
    second.Write("POSOLOGIES.TXT", "ID\r\n");

    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const std::string folder = first.path().string();
    window.ScanSourceFolder(QString::fromStdString(folder));
    ExpectFilesOffered(window, {"CLIENTS.TXT", "ANIMAUX.TXT"});
    EXPECT_EQ(window.State().PathSources, first.Folder());
    EXPECT_EQ(Find<QLabel>(window, "lbPathSources")->toolTip().toStdString(), first.Folder());
    EXPECT_TRUE(Find<QPushButton>(window, "btnImportation")->isEnabled());

    // The operator unticks a file; the settings of the next action follow the boxes.
    QTest::mouseClick(Find<QCheckBox>(window, "cbANIMAUX"), Qt::LeftButton);
    EXPECT_TRUE(window.ReadOptions().cbCLIENTS.Ticked());
    EXPECT_FALSE(window.ReadOptions().cbANIMAUX.Ticked());

    // A second folder, taken from the clipboard: what it lacks is unticked and disabled.
    QGuiApplication::clipboard()->setText(QString::fromStdString(second.Folder()));
    QTest::mouseDClick(Find<QLabel>(window, "Label4"), Qt::LeftButton);
    ExpectFilesOffered(window, {"ANIMAUX.TXT", "POSOLOGIES.TXT"});
    EXPECT_EQ(window.State().PathSources, second.Folder());
    // A path too long for the window is shortened in its middle, never cut at its end.
    const std::string deep = second.Folder() + std::string(30, 'x') + "/" + std::string(30, 'y') + "/";
    std::filesystem::create_directories(deep);
    window.ScanSourceFolder(QString::fromStdString(deep));
    const QString shown = Find<QLabel>(window, "lbPathSources")->text();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("yyyy/"))) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(QString::fromStdString(deep.substr(0, 8)))) << shown.toStdString();
    EXPECT_LE(Find<QLabel>(window, "lbPathSources")->fontMetrics().horizontalAdvance(shown),
              Find<QLabel>(window, "lbPathSources")->width());
    window.ScanSourceFolder(QString::fromStdString(second.Folder()));
    const ImportOptions options = window.ReadOptions();
    EXPECT_FALSE(options.cbCLIENTS.Ticked());
    EXPECT_TRUE(options.cbANIMAUX.Ticked());
    EXPECT_TRUE(options.cbPOSOLOGIES.Ticked());

    // A text that is no folder offers nothing, and the import can still be started.
    window.ScanSourceFolder(QStringLiteral("pas un dossier"));
    ExpectFilesOffered(window, {});
    EXPECT_TRUE(Find<QPushButton>(window, "btnImportation")->isEnabled());
}

TEST(guiMainWindow, ImportStartedFromTheButtonRunsEveryStepIntoTheLog) {
    TestDatabase database;
    TempDir sources;
    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Find<QLineEdit>(window, "edPathNameDatabase")->setText(QString::fromStdString(database.Path()));
    Find<QPlainTextEdit>(window, "Memo")->setPlainText(QStringLiteral("ligne d'une action précédente"));
    sources.Write("VILLES.TXT", "CODE_POSTAL\tVILLE\r\n17000\tLa Rochelle\r\n");
    window.ScanSourceFolder(QString::fromStdString(sources.Folder()));

    bool importEnabledDuringRun = true;
    bool testEnabledDuringRun = true;
    ModalAnswerer answerer({[&](QWidget *modal) {
                                importEnabledDuringRun = Find<QPushButton>(window, "btnImportation")->isEnabled();
                                testEnabledDuringRun = Find<QPushButton>(window, "btnTest")->isEnabled();
                                PressKey(Qt::Key_Return)(modal);
                            },
                            PressKey(Qt::Key_Return)});
    QTest::mouseClick(Find<QPushButton>(window, "btnImportation"), Qt::LeftButton);

    ASSERT_EQ(answerer.texts.size(), 2u);
    EXPECT_EQ(answerer.texts[0], Utf8("\n\nAvez-vous fermé Clinova ?"));
    EXPECT_EQ(answerer.texts[1], Utf8("\n\nFin de l'opération d'importation"));
    EXPECT_EQ(answerer.unexpected, 0);
    EXPECT_FALSE(importEnabledDuringRun);
    EXPECT_FALSE(testEnabledDuringRun);

    QStringList expected;
    for (const StepEntry *step : ImportSteps()) {
        expected << QStringLiteral("DEBUT import ") + QLatin1String(step->name);
        expected << QStringLiteral("FIN import ") + QLatin1String(step->name);
    }
    QStringList runLines;
    for (const QString &line : LogLines(window))
        if (line.startsWith(QLatin1String("DEBUT import ")) || line.startsWith(QLatin1String("FIN import ")))
            runLines << line;
    EXPECT_EQ(runLines.size(), 32);
    EXPECT_EQ(runLines, expected);
    EXPECT_FALSE(LogLines(window).contains(Utf8("ligne d'une action précédente")));

    EXPECT_FALSE(window.Busy());
    EXPECT_FALSE(window.WaitWindow().isVisible());
    EXPECT_TRUE(Find<QPushButton>(window, "btnImportation")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(window, "btnTest")->isEnabled());
}

TEST(guiMainWindow, TheResumeBoxFinishesTheFoldersInterruptedImportOrSaysWhyNot) {
    TestDatabase database;
    TempDir sources;
    TFMain window;
    Find<QLineEdit>(window, "edPathNameDatabase")->setText(QString::fromStdString(database.Path()));
    window.ScanSourceFolder(QString::fromStdString(sources.Folder()));
    auto *resume = Find<QCheckBox>(window, "cbReprise");
    EXPECT_EQ(resume->text(), Utf8("Reprendre l'importation interrompue"));
    resume->setChecked(true);
    {
        // No run of this folder yet: refused before the question.
        ModalAnswerer answerer({PressKey(Qt::Key_Return)});
        QTest::mouseClick(Find<QPushButton>(window, "btnImportation"), Qt::LeftButton);
        ASSERT_EQ(answerer.texts.size(), 1u);
        EXPECT_TRUE(answerer.texts[0].contains(Utf8("Reprise impossible : aucun journal d'importation"))) 
            << answerer.texts[0].toStdString();
    }
    resume->setChecked(false);
    sources.Write("VILLES.TXT", "CODE_POSTAL\tVILLE\r\n17000\tLa Rochelle\r\n");
    window.ScanSourceFolder(QString::fromStdString(sources.Folder()));
    {
        ModalAnswerer answerer({PressKey(Qt::Key_Return), PressKey(Qt::Key_Return)});
        QTest::mouseClick(Find<QPushButton>(window, "btnImportation"), Qt::LeftButton);
        ASSERT_EQ(answerer.texts.size(), 2u);
    }
    resume->setChecked(true);
    {
        ModalAnswerer answerer({PressKey(Qt::Key_Return)});
        QTest::mouseClick(Find<QPushButton>(window, "btnImportation"), Qt::LeftButton);
        ASSERT_EQ(answerer.texts.size(), 1u);
        EXPECT_TRUE(answerer.texts[0].contains(Utf8("allée à son terme"))) << answerer.texts[0].toStdString();
    }
    EXPECT_FALSE(window.Busy());
}

TEST(guiMainWindow, RefusedImportAndFailedConnectionLeaveTheWindowUsable) {
    TempDir sources;
    TFMain window;
    window.ScanSourceFolder(QString::fromStdString(sources.Folder()));
    Find<QLineEdit>(window, "edPathNameDatabase")->setText(QString::fromStdString(sources.File("ABSENTE.FDB")));
    Find<QPlainTextEdit>(window, "Memo")->setPlainText(QStringLiteral("ancienne ligne"));

    {
        ModalAnswerer answerer({PressKey(Qt::Key_Escape)});
        QTest::mouseClick(Find<QPushButton>(window, "btnImportation"), Qt::LeftButton);
        ASSERT_EQ(answerer.texts.size(), 1u) << "\"Non\" ends the run at the question";
        EXPECT_TRUE(LogLines(window).isEmpty());
    }
    {
        // The connection fails: its reason is shown in the plain box titled with the program's name.
        ModalAnswerer answerer({PressKey(Qt::Key_Return), PressKey(Qt::Key_Return)});
        QTest::mouseClick(Find<QPushButton>(window, "btnImportation"), Qt::LeftButton);
        ASSERT_EQ(answerer.texts.size(), 2u);
        EXPECT_FALSE(answerer.texts[1].isEmpty());
        EXPECT_EQ(answerer.titles[1], QStringLiteral("ClinovaImportation"));
        EXPECT_EQ(answerer.unexpected, 0);
    }
    EXPECT_FALSE(window.Busy());
    for (const char *name : kWiredButtons)
        EXPECT_TRUE(Find<QPushButton>(window, name)->isEnabled()) << name;
    EXPECT_TRUE(Find<QPushButton>(window, "btnImportation")->isEnabled());
}

TEST(guiMainWindow, AccessTestUsesThePathTypedInTheWindow) {
    TestDatabase database;
    TFMain window;
    Find<QLineEdit>(window, "edPathNameDatabase")->setText(QString::fromStdString(database.Path()));
    ModalAnswerer answerer({PressKey(Qt::Key_Return)});
    QTest::mouseClick(Find<QPushButton>(window, "btnTest"), Qt::LeftButton);
    ASSERT_EQ(answerer.texts.size(), 1u);
    EXPECT_EQ(answerer.texts[0], Utf8("\n\nAccès à la base de données : OK"));
}

TEST(guiMainWindow, CleaningButtonsAskTwiceAndReportTheirProgress) {
    TestDatabase database;
    database.Exec("insert into CLIENTS (ID) values (1)");
    TFMain window;
    Find<QLineEdit>(window, "edPathNameDatabase")->setText(QString::fromStdString(database.Path()));
    {
        // "Non" to the second question: nothing is deleted.
        ModalAnswerer answerer({PressKey(Qt::Key_Return), PressKey(Qt::Key_Escape)});
        QTest::mouseClick(Find<QPushButton>(window, "btnDelete"), Qt::LeftButton);
        ASSERT_EQ(answerer.texts.size(), 2u);
        EXPECT_EQ(answerer.texts[0], Utf8("\n\nAvez-vous fermé Clinova ?"));
        EXPECT_EQ(database.Scalar("select count(*) from CLIENTS"), "1");
    }
    {
        // Enter twice does not empty the database: "Non" is the second question's default button, and the
        // question names the database.
        QString defaultCaption;
        ModalAnswerer answerer({PressKey(Qt::Key_Return), [&](QWidget *modal) {
                                    defaultCaption = qobject_cast<TFEditMessage *>(modal)->DefaultButton()->text();
                                    PressKey(Qt::Key_Return)(modal);
                                }});
        QTest::mouseClick(Find<QPushButton>(window, "btnDelete"), Qt::LeftButton);
        ASSERT_EQ(answerer.texts.size(), 2u);
        EXPECT_EQ(defaultCaption, QStringLiteral("Non"));
        EXPECT_TRUE(answerer.texts[1].contains(Utf8("Base de données : ") + QString::fromStdString(database.Path())))
            << answerer.texts[1].toStdString();
        EXPECT_TRUE(answerer.texts[1].contains(Utf8("vont être supprimées définitivement.")));
        EXPECT_EQ(database.Scalar("select count(*) from CLIENTS"), "1");
    }
    const auto pressOui = [](QWidget *modal) {
        QTest::mouseClick(qobject_cast<TFEditMessage *>(modal)->LeftButton(), Qt::LeftButton);
    };
    {
        ModalAnswerer answerer({PressKey(Qt::Key_Return), pressOui, PressKey(Qt::Key_Return)});
        QTest::mouseClick(Find<QPushButton>(window, "btnDelete"), Qt::LeftButton);
        EXPECT_EQ(database.Scalar("select count(*) from CLIENTS"), "0");
    }
    {
        ModalAnswerer answerer({PressKey(Qt::Key_Return), pressOui, PressKey(Qt::Key_Return)});
        QTest::mouseClick(Find<QPushButton>(window, "XiButton4"), Qt::LeftButton);
        EXPECT_FALSE(Find<QLabel>(window, "lbEtape")->text().isEmpty()) << "the purge shows its progress";
    }
    EXPECT_FALSE(window.Busy());
}

TEST(guiMainWindow, CitiesButtonFillsTheTownsTableOfTheDatabaseInTheWindow) {
    TestDatabase database;
    database.Exec(FromUtf8("insert into CLIENTS (ID, VILLE1, CP1) values (1, 'Aytré', '17440')"));
    TFMain window;
    Find<QLineEdit>(window, "edPathNameDatabase")->setText(QString::fromStdString(database.Path()));
    auto *button = Find<QPushButton>(window, "XiButton1");
    ASSERT_TRUE(button->isEnabled());
    {
        // "Non": the table is not touched.
        ModalAnswerer answerer({PressKey(Qt::Key_Escape)});
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_EQ(answerer.texts.size(), 1u);
        EXPECT_EQ(answerer.texts[0], Utf8("\n\nAvez-vous fermé Clinova ?"));
        EXPECT_EQ(database.Scalar("select count(*) from VILLES"), "0");
    }
    ModalAnswerer answerer({PressKey(Qt::Key_Return), PressKey(Qt::Key_Return)});
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(answerer.texts.size(), 2u);
    EXPECT_EQ(answerer.texts[1], Utf8("\n\nFin de l'opération"));
    EXPECT_EQ(answerer.unexpected, 0);
    EXPECT_EQ(ToUtf8(database.Scalar("select VILLE || '/' || CODEPOSTAL from VILLES")), "AYTRÉ/17440");
    EXPECT_FALSE(window.Busy());
    EXPECT_TRUE(button->isEnabled());
}

// Each button of the maintenance actions' table starts its action with the button's options: it asks what the
// table says, its second question names what that button deletes, and "Non" leaves the database as it was.
TEST(guiMainWindow, EveryButtonOfTheActionsTableAsksWhatItsActionAsks) {
    TestDatabase database;
    database.Exec(FromUtf8("insert into CLIENTS (ID, VILLE1, CP1) values (1, 'Aytré', '17440')"));
    TFMain window;
    Find<QLineEdit>(window, "edPathNameDatabase")->setText(QString::fromStdString(database.Path()));
    Find<QSpinBox>(window, "edIDSITECompta")->setValue(4);
    const std::map<std::string, QString> deleted{
        {"btnDelete", Utf8("clients, animaux, dossiers médicaux")}, {"XiButton2", Utf8("de tous les sites")},
        {"XiButton4", Utf8("antérieurs au 01/01/2019")},           {"XiButton5", Utf8("du site 4 ")},
        {"XiButton6", Utf8("du site 1 ")}};
    const QString closed = Utf8("\n\nAvez-vous fermé Clinova ?");
    std::size_t buttons = 0;
    for (const MaintenanceAction &action : MaintenanceActions()) {
        for (const ActionButton &button : action.buttons) {
            SCOPED_TRACE(button.name);
            ++buttons;
            auto *widget = Find<QPushButton>(window, button.name);
            ASSERT_NE(widget, nullptr);
            ASSERT_TRUE(widget->isEnabled());
            // "Non" (Escape) to the last question; Enter to the others and to a box that only says.
            const auto asks = action.questions;
            ModalAnswerer answerer(asks == ActionQuestions::None            ? std::vector{PressKey(Qt::Key_Return)}
                                   : asks == ActionQuestions::ProductClosed ? std::vector{PressKey(Qt::Key_Escape)}
                                   : std::vector{PressKey(Qt::Key_Return), PressKey(Qt::Key_Escape)});
            QTest::mouseClick(widget, Qt::LeftButton);
            EXPECT_EQ(answerer.unexpected, 0);
            switch (asks) {
            case ActionQuestions::None:
                ASSERT_EQ(answerer.texts.size(), 1u);
                EXPECT_EQ(answerer.texts[0], Utf8("\n\nAccès à la base de données : OK"));
                break;
            case ActionQuestions::ProductClosed:
                EXPECT_EQ(answerer.texts, std::vector<QString>{closed});
                break;
            case ActionQuestions::ProductClosedThenWhatGoes:
                ASSERT_EQ(answerer.texts.size(), 2u);
                EXPECT_EQ(answerer.texts[0], closed);
                EXPECT_TRUE(answerer.texts[1].contains(deleted.at(button.name))) << answerer.texts[1].toStdString();
                break;
            }
            EXPECT_FALSE(window.Busy());
        }
    }
    EXPECT_EQ(buttons, 8u);
    EXPECT_EQ(database.Scalar("select count(*) from CLIENTS"), "1");
    EXPECT_EQ(database.Scalar("select count(*) from VILLES"), "0");
}

TEST(guiMainWindow, ChoosersFillTheirSettingsAndCancellingChangesNothing) {
    TempDir folder;
    TFMain window;
    auto *colour = Find<QPushButton>(window, "panCouleur");
    auto *path = Find<QLineEdit>(window, "edPathNameDatabase");
    const QString before = path->text();

    {
        ModalAnswerer answerer({[](QWidget *modal) {
                                    auto *chooser = qobject_cast<QColorDialog *>(modal);
                                    ASSERT_NE(chooser, nullptr);
                                    chooser->setCurrentColor(QColor(1, 2, 3));
                                    chooser->accept();
                                },
                                [](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); }});
        QTest::mouseClick(colour, Qt::LeftButton);
        EXPECT_EQ(colour->text(), QStringLiteral("197121")) << "red in the low byte, then green, then blue";
        QTest::mouseClick(colour, Qt::LeftButton);
        EXPECT_EQ(colour->text(), QStringLiteral("197121"));
        EXPECT_EQ(window.ReadOptions().panCouleur, "197121");
    }
    {
        // The database file: the default extension is added to a name typed without one.
        const QString typed = QString::fromStdString(folder.File("AUTRE"));
        ModalAnswerer answerer({TypeFileName(QString::fromStdString(folder.path().string()), QStringLiteral("AUTRE")),
                                [](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); }});
        QTest::mouseClick(Find<QPushButton>(window, "btnChangePath"), Qt::LeftButton);
        EXPECT_EQ(path->text(), QDir::toNativeSeparators(typed + QStringLiteral(".cn2")));
        path->setText(before);
        QTest::mouseClick(Find<QPushButton>(window, "btnChangePath"), Qt::LeftButton);
        EXPECT_EQ(path->text(), before);
    }
    {
        ModalAnswerer answerer({[&](QWidget *modal) {
            auto *chooser = qobject_cast<QFileDialog *>(modal);
            ASSERT_NE(chooser, nullptr);
            chooser->setDirectory(QString::fromStdString(folder.path().string()));
            static_cast<QDialog *>(chooser)->accept();
        }});
        QTest::mouseClick(Find<QPushButton>(window, "SpeedButton1"), Qt::LeftButton);
        for (const char *name : {"CLIENTS.TXT", "ANIMAUX.TXT", "CONSULTATIONS.TXT"})
            EXPECT_TRUE(std::filesystem::exists(folder.path() / name)) << name;
        EXPECT_EQ(answerer.texts.size(), 1u) << "no message when the files are written";
    }
}

TEST(guiMainWindow, CheckButtonReadsTheTickedFilesOfTheScannedFolderIntoTheLog) {
    TempDir sources;
    sources.Write("CLIENTS.TXT", FromUtf8("ID_CLIENT\tNOM\tDATE_CREATION\r\nC1\tLEFÈVRE\t31/02/2020\r\n"));
    sources.Write("ANIMAUX.TXT", "ID_ANIMAL\tID_CLIENT\tDCD\tNOM\r\nA1\tC9\t0\tRex\r\n");
    sources.Write("VILLES.TXT", "CODE_POSTAL\r\n17000\r\n");
    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto *check = Find<QPushButton>(window, "btnCheckSources");
    EXPECT_FALSE(check->isEnabled());
    window.ScanSourceFolder(QString::fromStdString(sources.Folder()));
    ASSERT_TRUE(check->isEnabled());
    QTest::mouseClick(Find<QCheckBox>(window, "cbANIMAUX"), Qt::LeftButton);
    Find<QPlainTextEdit>(window, "Memo")->setPlainText(QStringLiteral("ligne d'une action précédente"));

    ModalAnswerer answerer({});
    QTest::mouseClick(check, Qt::LeftButton);

    EXPECT_EQ(LogLines(window),
              (QStringList{Utf8("CLIENTS.TXT/ligne 1/DATE_CREATION : '31/02/2020' n'est pas une date correcte"),
                           Utf8("VILLES.TXT/manque colonne obligatoire \"VILLE\""), Utf8("Résumé de la vérification :"),
                           Utf8("CLIENTS.TXT : 1 lues, 1 à corriger"),
                           Utf8("VILLES.TXT : 1 lues, 0 à corriger, 1 problème(s) de fichier"),
                           Utf8("1 ligne(s) à corriger, 1 problème(s) de fichier")}));
    EXPECT_EQ(answerer.unexpected, 0) << "the check shows no message box";
    EXPECT_FALSE(window.WaitWindow().isVisible());
    EXPECT_TRUE(check->isEnabled());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sources.path()), {}), 5)
        << "its findings and its report alone written";
    EXPECT_TRUE(std::filesystem::exists(sources.path() / "VERIFICATION.TXT"));
    EXPECT_TRUE(std::filesystem::exists(sources.path() / "RAPPORT_IMPORTATION.html"));
}

TEST(guiMainWindow, LogIsSavedAsUtf8IntoTheChosenFile) {
    TempDir folder;
    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.Op().AddToLog(FromUtf8("CLIENTS.TXT/ligne 5/'31/02/2020' n'est pas une date correcte"));
    window.Op().AddToLog(FromUtf8("Résumé de l'importation : 2 en échec"));

    const std::string saved = folder.File("journal.txt");
    window.SaveLog(QString::fromStdString(saved));
    EXPECT_EQ(folder.Read("journal.txt"), "CLIENTS.TXT/ligne 5/'31/02/2020' n'est pas une date correcte\n"
                                          "Résumé de l'importation : 2 en échec\n");
    EXPECT_THROW(window.SaveLog(QString::fromStdString(folder.File("absent/journal.txt"))), FileError);

    // From the button: the chosen file receives the log; cancelling the chooser writes nothing.
    {
        ModalAnswerer answerer(
            {TypeFileName(QString::fromStdString(folder.path().string()), QStringLiteral("copie.txt")),
             [](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); }});
        QTest::mouseClick(Find<QPushButton>(window, "btnSaveLog"), Qt::LeftButton);
        EXPECT_EQ(folder.Read("copie.txt"), folder.Read("journal.txt"));
        QTest::mouseClick(Find<QPushButton>(window, "btnSaveLog"), Qt::LeftButton);
        EXPECT_EQ(answerer.unexpected, 0);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
    }
}

TEST(guiMainWindow, AddressBoxesTakeAnAddressAsItIsTypedOrPasted) {
    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto *ip = Find<QRadioButton>(window, "RadioButtonIP");
    QLineEdit *const parts[] = {Find<QLineEdit>(window, "edIP1"), Find<QLineEdit>(window, "edIP2"),
                                Find<QLineEdit>(window, "edIP3"), Find<QLineEdit>(window, "edIP4")};
    const auto texts = [&] {
        return QStringList{parts[0]->text(), parts[1]->text(), parts[2]->text(), parts[3]->text()};
    };
    ASSERT_FALSE(ip->isChecked());

    // Typed as an address is typed: each key goes where the keyboard is; "." and a third digit move on.
    QTest::mouseClick(parts[0], Qt::LeftButton);
    EXPECT_TRUE(ip->isChecked()) << "choosing a box selects the IP mode";
    for (const QChar c : QStringLiteral("192.168.1.10"))
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    EXPECT_EQ(texts(), (QStringList{"192", "168", "1", "10"}));
    EXPECT_EQ(QApplication::focusWidget(), parts[3]);
    const ImportOptions options = window.ReadOptions();
    EXPECT_TRUE(options.RadioButtonIP);
    EXPECT_FALSE(options.RadioButtonLocal);
    EXPECT_EQ(options.edIP1 + "." + options.edIP2 + "." + options.edIP3 + "." + options.edIP4, "192.168.1.10");

    // Pasted into the first box: the four parts, whatever the boxes held.
    Find<QRadioButton>(window, "RadioButtonLocal")->setChecked(true);
    QGuiApplication::clipboard()->setText(QStringLiteral(" 10.0.12.7 "));
    parts[0]->setFocus();
    parts[0]->selectAll();
    parts[0]->paste();
    EXPECT_EQ(texts(), (QStringList{"10", "0", "12", "7"}));
    EXPECT_TRUE(ip->isChecked());
    // Into the third box, the end of an address; an address that cannot be one changes nothing.
    parts[2]->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("5.6"));
    parts[2]->paste();
    EXPECT_EQ(texts(), (QStringList{"10", "0", "5", "6"}));
    for (const char *wrong : {"192.168.1.300", "1.2.3.4.5", "abc", "1..2"}) {
        parts[0]->selectAll();
        QGuiApplication::clipboard()->setText(QLatin1String(wrong));
        parts[0]->paste();
        EXPECT_EQ(texts(), (QStringList{"10", "0", "5", "6"})) << wrong;
    }
    // Tabbing into a box selects the IP mode too; the window giving the focus at its opening does not.
    Find<QRadioButton>(window, "RadioButtonLocal")->setChecked(true);
    parts[0]->setFocus();
    QTest::keyClick(parts[0], Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), parts[1]);
    EXPECT_TRUE(ip->isChecked());
    TFMain fresh;
    fresh.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fresh));
    EXPECT_FALSE(Find<QRadioButton>(fresh, "RadioButtonIP")->isChecked());
}

TEST(guiMainWindow, AfterAnActionAndItsBoxesTheKeyboardIsBackOnItsButton) {
    TestDatabase database;
    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Find<QLineEdit>(window, "edPathNameDatabase")->setText(QString::fromStdString(database.Path()));
    auto *test = Find<QPushButton>(window, "btnTest");
    test->setFocus();
    ModalAnswerer answerer({PressKey(Qt::Key_Return)});
    QTest::keyClick(test, Qt::Key_Space);
    ASSERT_EQ(answerer.texts.size(), 1u);
    // The window's own focus, which its next activation gives back to the operator's keyboard.
    EXPECT_EQ(window.focusWidget(), test) << "not on the Log tab";
}

TEST(guiMainWindow, AFailedConnectionIsShownInFrenchAsAnError) {
    TempDir folder;
    TFMain window;
    Find<QLineEdit>(window, "edPathNameDatabase")->setText(QString::fromStdString(folder.File("ABSENTE.FDB")));
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    ModalAnswerer answerer({[&](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            icon = box->icon();
        PressKey(Qt::Key_Return)(modal);
    }});
    QTest::mouseClick(Find<QPushButton>(window, "btnTest"), Qt::LeftButton);
    ASSERT_EQ(answerer.texts.size(), 1u);
    const QString leadIn = Utf8("Connexion impossible à la base de données : ");
    EXPECT_TRUE(answerer.texts[0].startsWith(leadIn)) << answerer.texts[0].toStdString();
    // What happened and what to do, then the server's own message.
    EXPECT_TRUE(answerer.texts[0].startsWith(leadIn + Utf8("le fichier de la base de données est introuvable")))
        << answerer.texts[0].toStdString();
    EXPECT_TRUE(answerer.texts[0].contains(Utf8("\nMessage du serveur : "))) << answerer.texts[0].toStdString();
    EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST(guiMainWindow, QtsOwnTextsAreFrench) {
    TFMain window;
    // The captions, without the shortcut Qt writes after a tab.
    const auto captions = [](QMenu &menu) {
        QStringList texts;
        for (const QAction *action : menu.actions())
            if (!action->isSeparator())
                texts << action->text().section(QLatin1Char('\t'), 0, 0);
        return texts;
    };
    std::unique_ptr<QMenu> edit(Find<QLineEdit>(window, "edPathNameDatabase")->createStandardContextMenu());
    ASSERT_FALSE(captions(*edit).isEmpty());
    EXPECT_EQ(captions(*edit).first(), QStringLiteral("&Annuler")) << "not \"&Undo\"";
    EXPECT_TRUE(captions(*edit).contains(QStringLiteral("Co&ller")))
        << captions(*edit).join(QLatin1Char('|')).toStdString();
    window.Op().AddToLog("une ligne");
    std::unique_ptr<QMenu> log(Find<QPlainTextEdit>(window, "Memo")->createStandardContextMenu());
    EXPECT_EQ(captions(*log), (QStringList{QStringLiteral("Cop&ier"), Utf8("Tout sélectionner")}))
        << captions(*log).join(QLatin1Char('|')).toStdString();
}
