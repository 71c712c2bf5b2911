// The main window on the screen of a small laptop (1366x768 less its task bar; the same screen at 125 %
// when QT_SCALE_FACTOR says so): it fits, and every control of every page can be brought into view.
#include "GuiTestSupport.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <algorithm>

using namespace clinova;
using namespace clinova::test;

namespace {

// What the operator clicks, types into or reads by scrolling; the parts of a spin box are the spin box.
bool IsControl(QWidget *widget) {
    if (qobject_cast<QAbstractSpinBox *>(widget->parentWidget()))
        return false;
    return qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLineEdit *>(widget) ||
           qobject_cast<QAbstractSpinBox *>(widget) || qobject_cast<QPlainTextEdit *>(widget);
}

QRect GlobalRect(QWidget *widget) {
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

QString WidgetCaption(QWidget *widget) {
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    return QString::fromLatin1(widget->metaObject()->className());
}

QScrollArea *EnclosingScrollArea(QWidget *widget, QWidget *window) {
    for (QWidget *up = widget->parentWidget(); up && up != window; up = up->parentWidget())
        if (auto *area = qobject_cast<QScrollArea *>(up))
            return area;
    return nullptr;
}

// Scrolled to as the operator would scroll, the control is on the screen, inside the window, and shown
// whole, or filling its scroll area when it is larger than that.
void ExpectReachable(QWidget &window, QWidget *control, const QRect &screen) {
    const QString name = control->objectName().isEmpty() ? QString::fromLatin1(control->metaObject()->className())
                                                         : control->objectName();
    QRect room = GlobalRect(&window) & screen;
    if (QScrollArea *area = EnclosingScrollArea(control, &window)) {
        // Scrolled so that the whole control shows, or as much of it as the area holds.
        const QPoint centre = control->mapTo(area->widget(), control->rect().center());
        area->ensureVisible(centre.x(), centre.y(), std::min(control->width() / 2 + 1, area->viewport()->width() / 2),
                            std::min(control->height() / 2 + 1, area->viewport()->height() / 2));
        QApplication::processEvents();
        room &= GlobalRect(area->viewport());
    }
    const QRect shown = GlobalRect(control) & room;
    EXPECT_EQ(shown.size(), control->size().boundedTo(room.size()))
        << name.toStdString() << " at " << GlobalRect(control).x() << "," << GlobalRect(control).y() << " "
        << control->width() << "x" << control->height() << ", room " << room.x() << "," << room.y() << " "
        << room.width() << "x" << room.height();
}

} // namespace

TEST(guiLaptopScreen, TheWindowFitsAndEveryControlOfEveryPageCanBeReached) {
    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect screen = window.screen()->availableGeometry();
    SCOPED_TRACE(QStringLiteral("screen %1x%2").arg(screen.width()).arg(screen.height()).toStdString());
    ASSERT_LE(screen.height(), 728) << "the tests run on a laptop's screen";
    EXPECT_TRUE(screen.contains(window.frameGeometry()))
        << window.frameGeometry().width() << "x" << window.frameGeometry().height() << " at "
        << window.frameGeometry().x() << "," << window.frameGeometry().y();
    EXPECT_LT(window.minimumSize().height(), window.maximumSize().height()) << "the window can be resized";

    // The sections keep their order from the top, the pages their captions and order.
    const char *const sections[] = {"RadioButtonLocal",     "btnTest",        "btnDelete",
                                    "btnSelectPathSources", "btnImportation", "XiButton1"};
    int previous = -1;
    for (const char *name : sections) {
        QWidget *control = Find<QWidget>(window, name);
        const int top = control->mapTo(Find<QWidget>(window, "Sections"), QPoint(0, 0)).y();
        EXPECT_GT(top, previous) << name;
        previous = top;
    }
    auto *pages = Find<QTabWidget>(window, "PageControl1");
    ASSERT_EQ(pages->count(), 4);
    EXPECT_EQ(pages->tabText(0), QStringLiteral("Log"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Aide"));
    EXPECT_EQ(pages->tabText(2), QStringLiteral("Options 1"));
    EXPECT_EQ(pages->tabText(3), QStringLiteral("Options 2"));

    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QApplication::processEvents();
        SCOPED_TRACE(pages->tabText(page).toStdString());
        int controls = 0;
        for (QWidget *control : window.findChildren<QWidget *>()) {
            if (!IsControl(control) || !control->isVisibleTo(&window))
                continue;
            ExpectReachable(window, control, screen);
            ++controls;
        }
        EXPECT_GT(controls, 30) << "the sections and the page";
    }
}

// "Options 1" shows whole across: no sideways scrolling, every caption and every date as wide as it asks, inside the
// page's view.
TEST(guiLaptopScreen, OptionsOnePageShowsWithoutSidewaysScrolling) {
    TFMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Find<QTabWidget>(window, "PageControl1")->setCurrentIndex(2);
    QApplication::processEvents();
    auto *area = Find<QScrollArea>(window, "ScrollOptions1");
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0) << "page " << area->widget()->width() << " wide, view "
                                                         << area->viewport()->width();
    const QRect view = GlobalRect(area->viewport());
    int shown = 0;
    for (QWidget *widget : area->widget()->findChildren<QWidget *>()) {
        const bool captioned = qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLabel *>(widget);
        if (!widget->isVisibleTo(&window) || !(captioned || qobject_cast<QDateEdit *>(widget)))
            continue;
        const QString name = widget->objectName().isEmpty() ? WidgetCaption(widget) : widget->objectName();
        const QRect at = GlobalRect(widget);
        EXPECT_TRUE(at.left() >= view.left() && at.right() <= view.right())
            << name.toStdString() << " from " << at.left() << " to " << at.right() << ", view " << view.left()
            << " to " << view.right();
        // A caption that wraps may be narrower than on one line, as long as it is as tall as its lines; nothing else
        // may be narrower than it asks.
        if (widget->hasHeightForWidth())
            EXPECT_GE(widget->height(), widget->heightForWidth(widget->width())) << name.toStdString();
        else
            EXPECT_GE(widget->width(), widget->sizeHint().width()) << name.toStdString();
        ++shown;
    }
    EXPECT_GT(shown, 25);
}
