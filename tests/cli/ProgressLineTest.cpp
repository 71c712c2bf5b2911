// The progress line of an import on a terminal, drawn on a stream with a clock the test moves.
#include "cli/ProgressLine.h"
#include "cli/ConsoleOperator.h"
#include "support/TempDir.h"
#include "normalized/Win1252.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace clinova;
using namespace std::chrono_literals;

namespace {

// The text of the last drawing: what the terminal's row shows.
std::string LastDrawn(const std::string &terminal) {
    const auto start = terminal.rfind('\r');
    if (start == std::string::npos)
        return {};
    const std::string drawn = terminal.substr(start + 1);
    const std::string erase = "\033[K";
    return drawn.size() >= erase.size() ? drawn.substr(0, drawn.size() - erase.size()) : drawn;
}

} // namespace

TEST(ProgressLine, StepFileCountPaceAndTimeLeftForTheStepAndTheRun) {
    test::TempDir dir;
    dir.Write("CLIENTS.TXT", std::string(1000, 'x'));
    dir.Write("ANIMAUX.TXT", std::string(3000, 'x'));
    const std::string clients = dir.File("CLIENTS.TXT");
    const std::string animals = dir.File("ANIMAUX.TXT");
    std::ostringstream tty;
    ProgressLine line(tty, 200);
    const ProgressLine::Clock::time_point t0 = ProgressLine::Clock::time_point{} + 1h;

    // The step is drawn as it begins, in place: back to the row's start, the text, the rest of the row erased.
    line.Report(StepProgressReport::Step(3, 16, "Clients", 4000), t0);
    EXPECT_EQ(tty.str(), "\rétape 3/16 Clients\033[K");
    // A file is drawn as its first line is read; then at most ten drawings a second.
    line.Report(StepProgressReport::Line("CLIENTS.TXT", clients, 1, 100), t0);
    EXPECT_EQ(LastDrawn(tty.str()), "étape 3/16 CLIENTS.TXT 1/100");
    const std::string drawn = tty.str();
    line.Report(StepProgressReport::Line("CLIENTS.TXT", clients, 2, 100), t0 + 99ms);
    EXPECT_EQ(tty.str(), drawn);
    line.Report(StepProgressReport::Line("CLIENTS.TXT", clients, 3, 100), t0 + 100ms);
    EXPECT_EQ(LastDrawn(tty.str()), "étape 3/16 CLIENTS.TXT 3/100") << "no pace before a second of work";

    // 50 lines in 2 s: 25 lines a second, 50 lines (2 s) left in the step; a quarter of the first file's bytes
    // for 500 of the run's 4000 in 2 s: 3500 bytes (14 s) left in the run.
    line.Report(StepProgressReport::Line("CLIENTS.TXT", clients, 51, 100), t0 + 2s);
    EXPECT_EQ(LastDrawn(tty.str()), "étape 3/16 CLIENTS.TXT 51/100 25 lignes/s restant 2 s (import 14 s)");

    // The next step reads the next file: its pace is its own, the run counts the first file as read.
    line.Report(StepProgressReport::Step(4, 16, "Animaux", 4000), t0 + 3s);
    EXPECT_EQ(LastDrawn(tty.str()), "étape 4/16 Animaux");
    line.Report(StepProgressReport::Line("ANIMAUX.TXT", animals, 1, 300), t0 + 3s);
    line.Report(StepProgressReport::Line("ANIMAUX.TXT", animals, 101, 300), t0 + 5s);
    EXPECT_EQ(LastDrawn(tty.str()), "étape 4/16 ANIMAUX.TXT 101/300 50 lignes/s restant 4 s (import 5 s)");
    EXPECT_EQ(line.Text(t0 + 5s), LastDrawn(tty.str()));

    // Erased once, not twice; the next report draws again.
    line.Erase();
    EXPECT_TRUE(tty.str().ends_with("\r\033[K"));
    const auto length = tty.str().size();
    line.Erase();
    EXPECT_EQ(tty.str().size(), length);
}

TEST(ProgressLine, CutToTheTerminalsWidthAndTimesLeftToTheSecond) {
    std::ostringstream tty;
    ProgressLine line(tty, 24);
    line.Report(StepProgressReport::Step(12, 16, "Tarifs des actes", 0), ProgressLine::Clock::now());
    line.Report(StepProgressReport::Line("CATEGORIES_ACTES.TXT", "", 1, 5), ProgressLine::Clock::now() + 1s);
    EXPECT_EQ(LastDrawn(tty.str()), "étape 12/16 CATEGORIES_") << "one column short of the row: no wrapping";

    EXPECT_EQ(ProgressLine::RemainingText(0.2), "1 s");
    EXPECT_EQ(ProgressLine::RemainingText(59.5), "1 min 00 s");
    EXPECT_EQ(ProgressLine::RemainingText(125), "2 min 05 s");
    EXPECT_EQ(ProgressLine::RemainingText(4200), "1 h 10 min");
}

TEST(ProgressLine, TheConsoleErasesItBeforeEveryLogLineAndMessage) {
    std::ostringstream out, err;
    ConsoleOperator op(out, err);
    // Not the program's stderr: no progress line unless asked for.
    op.StepProgress(StepProgressReport::Step(1, 16, "Utilisateurs", 0));
    EXPECT_EQ(err.str(), "");

    op.SetProgressLine(true);
    op.StepProgress(StepProgressReport::Step(1, 16, "Utilisateurs", 0));
    EXPECT_EQ(err.str(), "\rétape 1/16 Utilisateurs\033[K");
    op.AddToLog("DEBUT import doImportationUsers");
    EXPECT_EQ(err.str(), "\rétape 1/16 Utilisateurs\033[K\r\033[K");
    EXPECT_EQ(out.str(), "DEBUT import doImportationUsers\n");
    op.ShowMessage("Fin");
    EXPECT_EQ(err.str(), "\rétape 1/16 Utilisateurs\033[K\r\033[Kmessage: Fin\n")
        << "nothing left to erase before the message";
}

TEST(ProgressLine, TheBackupsTablesInPlaceThenTheRunUntilItEnds) {
    std::ostringstream tty;
    ProgressLine line(tty, 200);
    const auto t0 = ProgressLine::Clock::now();
    line.Report(ServiceProgressReport{FromUtf8("Sauvegarde : table 2/5 CLIENTS : 300 lignes (310 en tout)"), 2, 5}, t0);
    EXPECT_EQ(LastDrawn(tty.str()), "Sauvegarde : table 2/5 CLIENTS : 300 lignes (310 en tout)");
    line.Report(StepProgressReport::Step(1, 16, "Utilisateurs", 0), t0);
    EXPECT_EQ(LastDrawn(tty.str()), "étape 1/16 Utilisateurs") << "the run takes the line over";
    // Its end takes the line off: nothing is left to draw.
    line.Report(StepProgressReport::RunEnded(), t0 + 1s);
    EXPECT_TRUE(tty.str().ends_with("\r\033[K"));
    EXPECT_EQ(line.Text(t0 + 1s), "");
}
