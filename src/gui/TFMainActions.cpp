// The actions of the main window's buttons, one at a time: the maintenance actions wired from their table, the
// choosers, the folder scan, the test files and the saved log.
#include "gui/TFMain.h"

#include "app/RunState.h"
#include "gui/DocumentationUrl.h"
#include "gui/FocusKeeper.h"
#include "gui/MainWindowParts.h"
#include "gui/QtOperator.h"
#include "gui/QtText.h"
#include "gui/WaitWindow.h"
#include "import/ImportSteps.h"
#include "normalized/Errors.h"
#include "normalized/TestFileGenerator.h"
#include "run/MaintenanceActions.h"
#include "run/SourceFolder.h"

#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QUrl>

#include <algorithm>

namespace clinova {

using window::Utf8;

namespace {

const char *const kOtherDatabasePath = "C:\\Program Files\\Clinova 2\\Database\\BASE.CN2";

} // namespace

void TFMain::RunAction(const std::function<void()> &action) {
    if (busy_)
        return;
    // The button that started the action has the keyboard again once the buttons are enabled again.
    const FocusKeeper focus;
    busy_ = true;
    UpdateActionButtons();
    try {
        action();
    } catch (const std::exception &e) {
        operator_->ShowMessage(e.what());
    } catch (...) {
        operator_->ShowMessage(FromQString(Utf8("Erreur inattendue")));
    }
    // An action that ended early must not leave the please-wait window on the screen.
    waitWindow_->hide();
    busy_ = false;
    UpdateActionButtons();
}

void TFMain::UpdateActionButtons() {
    for (QPushButton *button : actionButtons_)
        button->setEnabled(!busy_ && ((button != btnImportation_ && button != btnCheckSources_ &&
                                       button != btnRepetition_) ||
                                      sourcesScanned_));
}

void TFMain::WireMaintenanceActions() {
    for (const MaintenanceAction &action : MaintenanceActions()) {
        for (const ActionButton &button : action.buttons) {
            auto *widget = findChild<QPushButton *>(QLatin1String(button.name));
            if (!widget)
                throw ProgramError(std::string("the window has no button ") + button.name + " for " + action.command);
            connect(widget, &QPushButton::clicked, this, [this, &action, &button] { RunMaintenance(action, button); });
        }
    }
}

void TFMain::RunMaintenance(const MaintenanceAction &action, const ActionButton &button) {
    // The actions ask their own questions and open their own connection, with the settings of the window.
    RunAction([&] {
        state_->options = ReadOptions();
        std::string error;
        if (action.prepare && !action.prepare(*state_, button.arguments, error)) {
            operator_->ShowMessage(error);
            return;
        }
        const ActionInput input{button.arguments, [this](const std::string &text) {
                                    lbEtape_->setText(ToQString(text));
                                    operator_->ProcessPendingMessages();
                                }};
        action.work(*state_, input);
    });
}

void TFMain::btnChangePathClick() {
    RunAction([this] {
        QFileDialog dialog(this, Utf8("Base de données de Clinova"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // The path is the one the server sees: it need not exist on this computer.
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("cn2"));
        dialog.setNameFilters({Utf8("Bases de données Clinova (*.cn2 *.CN2)"), Utf8("Tous les fichiers (*)")});
        // The path may be written the Windows way (the usual one is) whatever the system that runs the tool.
        const QFileInfo current(QString(edPathNameDatabase_->text()).replace(QLatin1Char('\\'), QLatin1Char('/')));
        if (current.absoluteDir().exists())
            dialog.setDirectory(current.absoluteDir());
        dialog.selectFile(current.fileName());
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            edPathNameDatabase_->setText(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
    });
}

void TFMain::Label1DblClick() {
    if (busy_)
        return;
    const QString usual = ToQString(ImportOptions{}.edPathNameDatabase);
    edPathNameDatabase_->setText(edPathNameDatabase_->text() != usual ? usual : QLatin1String(kOtherDatabasePath));
}

void TFMain::btnSelectPathSourcesClick() {
    RunAction([this] {
        const QString start = state_->PathSources.empty() ? QDir::homePath() : ToQString(state_->PathSources);
        const QString folder = QFileDialog::getExistingDirectory(
            this, Utf8("Choisir le répertoire dans lequel se trouvent les fichiers à importer"), start);
        if (!folder.isEmpty())
            ScanFolder(QDir::toNativeSeparators(folder));
    });
}

void TFMain::Label4DblClick() {
    RunAction([this] { ScanFolder(QGuiApplication::clipboard()->text()); });
}

void TFMain::ScanSourceFolder(const QString &folder) {
    RunAction([this, folder] { ScanFolder(folder); });
}

void TFMain::ScanFolder(const QString &folder) {
    state_->options = ReadOptions();
    clinova::ScanSourceFolder(*state_, FromQString(folder));
    for (const SourceFile &file : SourceFiles()) {
        auto *box = findChild<QCheckBox *>(QLatin1String(file.control));
        const FileCheckBox &offered = state_->options.*(file.box);
        box->setChecked(offered.checked);
        box->setEnabled(offered.enabled);
    }
    // A long path is shortened in its middle to fit the window; the tooltip holds it whole.
    const QString path = ToQString(state_->PathSources);
    const int room = std::max(lbPathSources_->width(), 100);
    lbPathSources_->setText(lbPathSources_->fontMetrics().elidedText(path, Qt::ElideMiddle, room));
    lbPathSources_->setToolTip(path);
    sourcesScanned_ = true;
}

void TFMain::panCouleurClick() {
    RunAction([this] {
        bool number = false;
        const uint value = panCouleur_->text().toUInt(&number);
        const QColor initial =
            number ? QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff) : QColor(Qt::white);
        const QColor chosen = QColorDialog::getColor(initial, this, QStringLiteral("Couleur des clients"));
        if (!chosen.isValid())
            return;
        panCouleur_->setText(QString::number(chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16)));
        ShowColour();
    });
}

void TFMain::btnWebClick() {
    RunAction([] { QDesktopServices::openUrl(QUrl(QStringLiteral(CLINOVA_DOCUMENTATION_URL))); });
}

void TFMain::SpeedButton1Click() {
    RunAction([this] {
        const QString usual = QStringLiteral("E:\\Test");
        const QString start = QDir(usual).exists() ? usual : QDir::homePath();
        const QString folder = QFileDialog::getExistingDirectory(
            this, Utf8("Répertoire où écrire les fichiers de test (CLIENTS.TXT, ANIMAUX.TXT, CONSULTATIONS.TXT)"),
            start);
        if (!folder.isEmpty())
            GenerateTestFiles(FromQString(QDir::toNativeSeparators(folder)));
    });
}


void TFMain::btnSaveLogClick() {
    RunAction([this] {
        const QString folder = state_->PathSources.empty() ? QDir::homePath() : ToQString(state_->PathSources);
        const QString path = QFileDialog::getSaveFileName(this, Utf8("Enregistrer le journal"),
                                                          QDir(folder).filePath(QStringLiteral("journal.txt")),
                                                          Utf8("Fichiers texte (*.txt);;Tous les fichiers (*)"));
        if (!path.isEmpty())
            SaveLog(path);
    });
}

void TFMain::SaveLog(const QString &path) const {
    // Written whole or not at all: an earlier log of that name is never left half replaced.
    QSaveFile file(path);
    QString text = memo_->toPlainText();
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(text.toUtf8()) < 0 || !file.commit())
        throw FileError(FromQString(Utf8("Impossible d'enregistrer le journal dans ") + QDir::toNativeSeparators(path) +
                                    QStringLiteral(" : ") + file.errorString()));
}

} // namespace clinova
