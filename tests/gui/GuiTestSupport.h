#pragma once
// Helpers of the window tests: answering the modal windows the code opens, reading widgets by name.

#include "gui/TFEditMessage.h"
#include "gui/TFMain.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <utility>
#include <vector>

// Test messages show texts as text.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

namespace clinova::test {

// The text a modal window shows: the styled box's message or the message box's text.
inline QString ModalText(QWidget *modal) {
    if (auto *styled = qobject_cast<TFEditMessage *>(modal))
        return styled->MessageLabel()->text();
    if (auto *box = qobject_cast<QMessageBox *>(modal))
        return box->text();
    return modal->metaObject()->className();
}

// Answers the modal windows opened while it lives, one answer per window, in order. A window beyond the
// script is counted in `unexpected` and closed.
class ModalAnswerer {
public:
    using Answer = std::function<void(QWidget *modal)>;

    explicit ModalAnswerer(std::vector<Answer> answers) : answers_(std::move(answers)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(20);
    }

    std::vector<QString> texts;
    std::vector<QString> titles;
    int unexpected = 0;

private:
    void Poll() {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal->property("answered").toBool())
            return;
        modal->setProperty("answered", true);
        texts.push_back(ModalText(modal));
        titles.push_back(modal->windowTitle());
        if (next_ < answers_.size()) {
            answers_[next_++](modal);
        } else {
            ++unexpected;
            modal->close();
        }
    }

    std::vector<Answer> answers_;
    std::size_t next_ = 0;
    QTimer timer_;
};

// The file chooser, opened in the folder given, receives a typed file name and is accepted.
inline ModalAnswerer::Answer TypeFileName(const QString &folder, const QString &fileName) {
    return [folder, fileName](QWidget *modal) {
        auto *chooser = qobject_cast<QFileDialog *>(modal);
        ASSERT_NE(chooser, nullptr);
        chooser->setDirectory(folder);
        auto *name = chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(fileName);
        static_cast<QDialog *>(chooser)->accept();
    };
}

// A key pressed where the operator's keyboard goes: the box's focused control.
inline ModalAnswerer::Answer PressKey(Qt::Key key) {
    return [key](QWidget *modal) {
        QWidget *target = modal->focusWidget() ? modal->focusWidget() : modal;
        QTest::keyClick(target, key);
    };
}

template <typename T> T *Find(QWidget &window, const char *name) {
    T *widget = window.findChild<T *>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// A picture of a window for a person to look at, in the build folder's screenshots/.
inline void Save(QWidget &widget, const QString &name) {
    const QString folder = QStringLiteral(CLINOVA_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    const QString file = folder + QLatin1Char('/') + name;
    EXPECT_TRUE(widget.grab().save(file)) << file.toStdString();
}

inline QStringList LogLines(TFMain &window) {
    return Find<QPlainTextEdit>(window, "Memo")->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace clinova::test
