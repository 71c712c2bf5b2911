#pragma once
// The main window: the numbered sections on the left, the pages "Log", "Aide", "Options 1" and
// "Options 2" on the right. Every setting is a control named as the engine names it; the settings reach
// the engine through ImportOptions, read from the controls with the table of control names when an
// action starts. Actions run one at a time: while one runs, the other action buttons are disabled. The
// window fits the screen it opens on: the sections and the pages scroll when the screen is too small.
// An import or a check ends with its results window. The maintenance actions' buttons are wired from their table
// (run/MaintenanceActions.h). The window is built in several files: its sections (TFMainSections.cpp), its pages
// (TFMainPages.cpp), its actions (TFMainActions.cpp) and the import's run (TFMainImport.cpp).

#include "app/ImportOptions.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QVBoxLayout;

namespace clinova {

struct ActionButton;
struct MaintenanceAction;
struct RunState;
class QtOperator;
class ResultsWindow;
class TFMessagePatienter;

class TFMain : public QWidget {
    Q_OBJECT
public:
    explicit TFMain(QWidget *parent = nullptr);
    ~TFMain() override;

    // The settings as the controls hold them, and back.
    ImportOptions ReadOptions() const;
    void WriteOptions(const ImportOptions &options);

    RunState &State() { return *state_; }
    QtOperator &Op() { return *operator_; }
    TFMessagePatienter &WaitWindow() { return *waitWindow_; }
    ResultsWindow &Results() { return *results_; }
    bool Busy() const { return busy_; }

    // The build number of this program's version, "0" when it has none.
    static QString NoBuild();

    // The actions of the window, named after their controls.
    void btnChangePathClick();
    void Label1DblClick();
    void btnSelectPathSourcesClick();
    void Label4DblClick();
    // Makes the folder the source folder and offers the files it holds (the folder browser's action).
    void ScanSourceFolder(const QString &folder);
    // Checks the ticked files of the source folder without any database (enabled once a folder is scanned).
    void btnCheckSourcesClick();
    void btnImportationClick();
    void btnRepetitionClick();
    void panCouleurClick();
    void btnWebClick();
    void SpeedButton1Click();
    // Asks for a file and saves the log into it.
    void btnSaveLogClick();
    // Writes the log's text into the file, UTF-8; throws FileError when the file cannot be written.
    void SaveLog(const QString &path) const;

    // Runs one action as the buttons do: the other action buttons are disabled until it ends, and an
    // error that escapes it is shown in the plain message box. Ignored while another action runs.
    void RunAction(const std::function<void()> &action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *BuildHeader();
    QWidget *BuildDatabaseSection();
    QWidget *BuildTestSection();
    QWidget *BuildCleaningSection();
    QWidget *BuildSourcesSection();
    QWidget *BuildImportSection();
    QWidget *BuildOptionsSection();
    QWidget *BuildLogPage();
    QWidget *BuildHelpPage();
    QWidget *BuildOptions1Page();
    QWidget *BuildOptions2Page();

    // The content in a scroll area of its own, for when the screen is too small for it.
    QScrollArea *Scrolled(QWidget *content, const char *name);
    // The size the contents ask for, within the screen's free area, and centred on it.
    void FitToScreen();
    void ShowResults();

    QCheckBox *AddCheckBox(const char *name, const QString &caption, QWidget *parent);
    // Names the button and makes it one of the action buttons, run one at a time; without an action, the button is
    // one of the maintenance actions', wired from their table.
    QPushButton *AddActionButton(QPushButton *button, const char *name, void (TFMain::*action)() = nullptr);
    // Connects each button of the maintenance actions' table to its action; throws ProgramError when the window
    // lacks one.
    void WireMaintenanceActions();
    // The action as its button starts it: the settings of the window, the button's options, the stage in lbEtape.
    void RunMaintenance(const MaintenanceAction &action, const ActionButton &button);

    void UpdateActionButtons();
    void ScanFolder(const QString &folder);
    void ShowColour();

    // The operator outlives the run state that refers to it.
    std::unique_ptr<QtOperator> operator_;
    std::unique_ptr<RunState> state_;
    TFMessagePatienter *waitWindow_ = nullptr;
    ResultsWindow *results_ = nullptr;
    QWidget *sectionsPanel_ = nullptr;
    QScrollArea *sections_ = nullptr;
    QTabWidget *pages_ = nullptr;

    QPlainTextEdit *memo_ = nullptr;
    QLabel *label1_ = nullptr;
    QLabel *label4_ = nullptr;
    QLabel *lbPathSources_ = nullptr;
    QLabel *lbEtape_ = nullptr;
    QLineEdit *edPathNameDatabase_ = nullptr;
    QPushButton *btnImportation_ = nullptr;
    QPushButton *btnCheckSources_ = nullptr;
    QPushButton *btnRepetition_ = nullptr;
    QPushButton *panCouleur_ = nullptr;
    std::vector<QPushButton *> actionButtons_;

    bool busy_ = false;
    // The import and check buttons wait for a first scan of a source folder.
    bool sourcesScanned_ = false;
    bool fitted_ = false;
};

} // namespace clinova
