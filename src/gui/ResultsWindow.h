#pragma once
// The results of the last import or check, shown when it ends: a table with one row per file (its counts,
// its time, and a mark when it was interrupted or left aside) and a total row, then the files the run wrote,
// each with buttons that open it or its folder with the system's viewer. Not modal: the log stays at hand.

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

    // After an import: the summaries of the files read and the files written (engine texts).
    void ShowImport(const std::vector<StepSummary> &summaries, const std::vector<std::string> &writtenFiles,
                    const std::string &sourceFolder);
    // After a check: the counts of the files read, and its report.
    void ShowCheck(const PreflightResult &result);

    QTableWidget *Table() const { return table_; }
    // The files listed, whole paths, in the order they were written.
    const QStringList &Files() const { return files_; }
    QPushButton *OpenButton(int file) const;
    QPushButton *FolderButton(int file) const;
    // "Ouvrir le rapport": the run's report in the system's viewer; disabled when the run wrote none.
    QPushButton *ReportButton() const { return reportButton_; }

    // How a file or folder is opened: the system's viewer unless told otherwise.
    using Opener = std::function<bool(const QUrl &)>;
    void SetOpener(Opener opener) { opener_ = std::move(opener); }

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
    void FitToScreen();

    QLabel *title_;
    QTableWidget *table_;
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
