#pragma once
// The results of the last import or check, shown when it ends: the backup made before the import (the file
// written, its size), a table with one row per file (what it holds, its counts, its time, and a mark when it
// was interrupted or left aside) and, always in view below it, the total row; then the files the run wrote,
// each with buttons that open it or its folder with the system's viewer (a double-click on its name opens it):
// the rejects, warnings, lines left aside and duplicates first, the correspondence lists and the journal folded
// under one line. "Enregistrer" saves the results as text. Not modal: the log stays at hand.

#include "app/ImportStep.h"
#include "run/PreflightCheck.h"

#include <QDialog>
#include <QUrl>

#include <functional>
#include <string>
#include <vector>

class QGridLayout;
class QLabel;
class QPushButton;
class QScrollArea;
class QTableWidget;
class QWidget;

namespace clinova {

class ResultsWindow : public QDialog {
    Q_OBJECT
public:
    explicit ResultsWindow(QWidget *parent = nullptr);

    // After an import: the summaries of the files read, the files written and the backup made before it, if
    // any (engine texts).
    void ShowImport(const std::vector<StepSummary> &summaries, const std::vector<std::string> &writtenFiles,
                    const std::string &sourceFolder, const std::string &backup = {});
    // After a check: the counts of the files read, and its report.
    void ShowCheck(const PreflightResult &result);

    // The rows of the files; the total has a table of its own below it, never scrolled out of view.
    QTableWidget *Table() const { return table_; }
    QTableWidget *TotalTable() const { return total_; }
    // "Sauvegarde avant l'importation : ..." (hidden when no backup was made).
    QLabel *BackupLabel() const { return backup_; }
    // The line that shows or folds the correspondence lists and the journal; nullptr when there is none.
    QPushButton *FoldButton() const { return foldButton_; }
    QWidget *FoldedFiles() const { return folded_; }
    QLabel *FileLabel(int file) const;
    // The results as "Enregistrer" saves them: UTF-8 text, one line per row.
    QString ResultsText() const { return text_; }
    QPushButton *SaveButton() const { return saveButton_; }
    // The files listed, whole paths, in the order they were written.
    const QStringList &Files() const { return files_; }
    QPushButton *OpenButton(int file) const;
    QPushButton *FolderButton(int file) const;
    // "Ouvrir le rapport": the run's report in the system's viewer; disabled when the run wrote none.
    QPushButton *ReportButton() const { return reportButton_; }

    // How a file or folder is opened: the system's viewer unless told otherwise.
    using Opener = std::function<bool(const QUrl &)>;
    void SetOpener(Opener opener) { opener_ = std::move(opener); }
    // Where "Enregistrer" saves: the file chooser unless told otherwise; an empty path saves nothing.
    using SaveChooser = std::function<QString(const QString &proposed)>;
    void SetSaveChooser(SaveChooser chooser) { saveChooser_ = std::move(chooser); }

private:
    struct Row {
        QString name;
        QStringList cells; // one per count column; empty for a file left aside
        QString mark;
        bool total = false;
        bool warn = false; // lines failed, or the file was left aside or interrupted
    };
    void Fill(const QString &title, const QStringList &columns, const std::vector<Row> &rows);
    void ListFiles(const QStringList &files, const QString &folder);
    void Open(const QString &path, bool folder);
    void Save();
    void FitToScreen();

    QLabel *title_;
    QLabel *backup_;
    QTableWidget *table_;
    QTableWidget *total_;
    QPushButton *foldButton_ = nullptr;
    QWidget *folded_ = nullptr;
    std::vector<QLabel *> fileLabels_;
    QPushButton *saveButton_;
    SaveChooser saveChooser_;
    QString text_;
    QString folder_;
    QLabel *filesCaption_;
    QScrollArea *filesScroll_;
    QWidget *filesBox_;
    QGridLayout *filesLayout_;
    QStringList files_;
    std::vector<QPushButton *> openButtons_;
    std::vector<QPushButton *> folderButtons_;
    Opener opener_;
    QPushButton *reportButton_;
    QString report_;
};

} // namespace clinova
