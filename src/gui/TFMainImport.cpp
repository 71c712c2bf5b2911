// The import started from the main window: the check of the scanned folder, the import with its question to
// finish an interrupted run, the rehearsal into a throwaway copy, each ending with its results window.
#include "gui/TFMain.h"

#include "app/ImportJournal.h"
#include "app/RunState.h"
#include "gui/MainWindowParts.h"
#include "gui/QtOperator.h"
#include "gui/QtText.h"
#include "gui/ResultsWindow.h"
#include "run/ImportRun.h"
#include "run/PreflightCheck.h"
#include "run/Rehearsal.h"

#include <QCheckBox>

namespace clinova {

using window::Utf8;

void TFMain::btnCheckSourcesClick() {
    RunAction([this] {
        state_->options = ReadOptions();
        const PreflightResult result = CheckSourceFolder(*operator_, state_->PathSources, state_->options);
        results_->ShowCheck(result);
        ShowResults();
    });
}

void TFMain::btnImportationClick() {
    RunAction([this] {
        state_->options = ReadOptions();
        state_->repeat = RepeatPolicy::Ask;
        auto *resume = findChild<QCheckBox *>(QStringLiteral("cbReprise"));
        for (;;) {
            results_->hide();
            const RunOutcome outcome = clinova::btnImportationClick(*state_);
            // The box follows the folder: ticked while the run the operator chose to finish is unfinished,
            // unticked once it went to its end.
            const bool unfinished = ResumableImportIn(state_->PathSources);
            resume->setChecked(state_->options.cbReprise && unfinished);
            // Also after an error that ended the run: what the steps before it did is shown.
            if (!state_->summaries.empty()) {
                results_->ShowImport(state_->summaries, state_->writtenFiles, state_->PathSources, state_->backupWritten);
                ShowResults();
            }
            if ((outcome != RunOutcome::Interrupted && outcome != RunOutcome::Failed) || !unfinished ||
                operator_->AskConfirmation(FromQString(Utf8("Reprendre l'importation interrompue ?")), 2, mbOui,
                                           mbNon) != mbOui)
                break;
            resume->setChecked(true);
            state_->options = ReadOptions();
        }
    });
}

void TFMain::btnRepetitionClick() {
    RunAction([this] {
        state_->options = ReadOptions();
        results_->hide();
        RehearseImport(*state_);
        if (!state_->summaries.empty()) {
            results_->ShowImport(state_->summaries, state_->writtenFiles, state_->PathSources, state_->backupWritten);
            ShowResults();
        }
    });
}

void TFMain::ShowResults() {
    results_->show();
    results_->raise();
    results_->activateWindow();
}

} // namespace clinova
