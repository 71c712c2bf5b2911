// Pictures of the windows for a person to look at (build folder, screenshots/), and the check that no
// caption is cut off at the window's own size.
#include "GuiTestSupport.h"

#include "gui/QtOperator.h"
#include "gui/WaitWindow.h"
#include "normalized/Win1252.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QScreen>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <algorithm>

using namespace clinova;
using namespace clinova::test;

namespace {

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

// The window as a technician sees it on a 1366x768 laptop: the window system's title bar above it and the
// task bar below; the window fits between them.
TEST(guiScreenshots, TheWindowOnALaptopScreen) {
    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (const char *line :
         {"DEBUT import doImportationClients", "CLIENTS.TXT/ligne 5/'31/02/2020' n'est pas une date correcte",
          "FIN import doImportationClients"})
        window.Op().AddToLog(FromUtf8(line));
    const QRect room = window.screen()->availableGeometry();
    const int taskBar = 768 - room.height();
    ASSERT_GE(taskBar, 0);

    // The offscreen platform draws no title bar: one in the room the window left for it above itself.
    const int title = std::clamp(room.height() - window.frameGeometry().height(), 0, 32);
    const QPoint at(window.geometry().left(), title + window.geometry().top() - window.frameGeometry().top());
    ASSERT_LE(at.y() + window.height(), room.bottom() + 1) << "the window ends above the task bar";

    QImage screen(room.width(), 768, QImage::Format_RGB32);
    screen.fill(QColor(0x2d, 0x4a, 0x6b));
    QPainter p(&screen);
    p.fillRect(QRect(0, room.height(), room.width(), taskBar), QColor(0x1f, 0x22, 0x28));
    for (int icon = 0; icon < 6; ++icon)
        p.fillRect(QRect(12 + icon * 44, room.height() + 8, 28, taskBar - 16), QColor(0x5a, 0x64, 0x74));
    const QRect titleBar(at.x(), at.y() - title, window.width(), title);
    p.fillRect(titleBar, QColor(0xe8, 0xea, 0xee));
    p.setPen(QColor(0x20, 0x20, 0x20));
    p.drawText(titleBar.adjusted(10, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft, window.windowTitle());
    p.drawPixmap(at, window.grab());
    p.end();
    const QString file = QStringLiteral(CLINOVA_BINARY_DIR "/screenshots/laptop-1366x768.png");
    QDir().mkpath(QFileInfo(file).absolutePath());
    EXPECT_TRUE(screen.save(file)) << file.toStdString();
}
