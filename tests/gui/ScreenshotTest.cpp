// Pictures of the windows for a person to look at (build folder, screenshots/), and the check that no
// caption is cut off at the window's own size.
#include "GuiTestSupport.h"

#include "gui/QtOperator.h"
#include "gui/WaitWindow.h"
#include "normalized/Win1252.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QDir>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace clinova;
using namespace clinova::test;

namespace {

QString ScreenshotFolder() {
    const QString folder = QStringLiteral(CLINOVA_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    return folder;
}

void Save(QWidget &widget, const QString &name) {
    const QString file = ScreenshotFolder() + QLatin1Char('/') + name;
    EXPECT_TRUE(widget.grab().save(file)) << file.toStdString();
}

// Every visible caption gets at least the room its text needs.
void ExpectNothingCutOff(QWidget &root) {
    for (QWidget *widget : root.findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(&root))
            continue;
        const QString name = widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                            : widget->objectName();
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            if (label->text().isEmpty() || !label->pixmap().isNull())
                continue;
            const int needed =
                label->wordWrap() ? label->heightForWidth(label->width()) : label->minimumSizeHint().height();
            EXPECT_GE(label->height(), needed) << name.toStdString() << ": " << label->text().toStdString();
            if (!label->wordWrap() && label->objectName() != QLatin1String("lbPathSources")) {
                EXPECT_GE(label->width(), label->minimumSizeHint().width())
                    << name.toStdString() << ": " << label->text().toStdString();
            }
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            EXPECT_GE(button->width(), button->sizeHint().width()) << name.toStdString();
            EXPECT_GE(button->height(), button->minimumSizeHint().height()) << name.toStdString();
        }
    }
}

} // namespace

TEST(guiScreenshots, WindowsAtTheirOwnSize) {
    TempDir sources;
    for (const char *name : {"CLIENTS.TXT", "ANIMAUX.TXT", "CONSULTATIONS.TXT"})
        sources.Write(name, "ID\r\n");
    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.ScanSourceFolder(QString::fromStdString(sources.Folder()));
    window.Op().AddToLog("DEBUT import doImportationUsers");
    window.Op().AddToLog("FIN import doImportationUsers");
    window.Op().AddToLog(FromUtf8("CLIENTS.TXT/ligne 12/Valeur numérique incorrecte : « douze »"));

    auto *pages = Find<QTabWidget>(window, "PageControl1");
    const char *const names[] = {"main-log.png", "main-aide.png", "main-options1.png", "main-options2.png"};
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QApplication::processEvents();
        SCOPED_TRACE(pages->tabText(page).toStdString());
        ExpectNothingCutOff(window);
        Save(window, QString::fromLatin1(names[page]));
    }
    pages->setCurrentIndex(0);
    EXPECT_LE(window.width(), 1280);
    EXPECT_LE(window.height(), 800) << "the window fits a small laptop screen";

    window.Op().ShowWait();
    window.Op().SetWaitMessage(FromUtf8("Importation clients 1250/4000..."));
    ExpectNothingCutOff(window.WaitWindow());
    Save(window.WaitWindow(), QStringLiteral("wait-window.png"));
    window.Op().HideWait();

    ModalAnswerer answerer({[](QWidget *modal) {
        ExpectNothingCutOff(*modal);
        Save(*modal, QStringLiteral("styled-box.png"));
        PressKey(Qt::Key_Return)(modal);
    }});
    window.Op().AskConfirmation(FromUtf8("Avez-vous fermé Clinova ?"), 2, mbOui, mbNon);
    EXPECT_EQ(answerer.texts.size(), 1u);
}
