#include "app/ImportStep.h"
#include "app/RunState.h"
#include "normalized/Conversions.h"
#include "normalized/Errors.h"
#include "normalized/NormalizedFile.h"
#include "support/ScriptedOperator.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace clinova;

namespace {

// A small step over VILLES.TXT: each line's N must be an integer; a line whose NOM is "skip" is skipped.
struct FakeStep {
    test::TempDir dir;
    test::ScriptedOperator op;
    RunState state{op};
    std::vector<int> seen;
    StepDefinition def{.fileName = "VILLES.TXT",
                       .checkBox = &ImportOptions::cbVILLES,
                       .waitText = "Importation des villes",
                       .progressText = "Importation villes ",
                       .mandatoryColumns = {"CODE_POSTAL", "VILLE", "N"},
                       .interruptionKind = "VILLES",
                       .logPrefix = {},
                       .logsInterruption = true};

    FakeStep() {
        state.PathSources = dir.Folder();
        state.options.cbVILLES = {true, true};
    }

    StepSummary Run() {
        return RunImportStep(state, def, [this](const StepLine &line) {
            if (line.Field("VILLE") == "skip")
                return line.Skip(FromUtf8("ville à ignorer"));
            seen.push_back(StrToInt(line.Field("N")));
            return LineOutcome::Imported;
        });
    }
};

} // namespace

TEST(ImportStep, MissingColumnsAreLoggedInTheStepsOrder) {
    FakeStep s;
    s.dir.Write("VILLES.TXT", "N\tAUTRE\r\n1\tx\r\n");
    const auto summary = s.Run();
    EXPECT_EQ(s.op.log, (std::vector<std::string>{"VILLES.TXT/manque colonne obligatoire \"CODE_POSTAL\"",
                                                  "VILLES.TXT/manque colonne obligatoire \"VILLE\""}));
    EXPECT_TRUE(s.seen.empty());
    EXPECT_FALSE(summary.ran);
    EXPECT_EQ(s.op.waitShown, 1);
    EXPECT_EQ(s.op.waitHidden, 1);
}

TEST(ImportStep, MissingOrEmptyFileReportsEveryMandatoryColumn) {
    for (bool create : {false, true}) {
        FakeStep s;
        if (create)
            s.dir.Write("VILLES.TXT", "");
        s.Run();
        EXPECT_EQ(s.op.log.size(), 3u);
    }
}

TEST(ImportStep, AFailingLineIsLoggedWithItsNumberAndTheNextLinesGoOn) {
    FakeStep s;
    s.dir.Write("VILLES.TXT", "CODE_POSTAL\tVILLE\tN\r\n"
                              "17000\tLa Rochelle\t1\r\n"
                              "\r\n"
                              "17300\tRochefort\tdeux\r\n"
                              "17100\tskip\t0\r\n"
                              "  17200 \t Royan \t 4 \r\n");
    const auto summary = s.Run();
    EXPECT_EQ(s.seen, (std::vector<int>{1, 4}));
    ASSERT_EQ(s.op.log.size(), 1u);
    EXPECT_EQ(s.op.log[0], "VILLES.TXT/ligne 3/'deux' n'est pas une valeur entière correcte");
    EXPECT_EQ(s.op.waitMessage, "Importation villes 5/5...");
    EXPECT_EQ(summary.read, 4);
    EXPECT_EQ(summary.imported, 2);
    EXPECT_EQ(summary.skipped, 1);
    EXPECT_EQ(summary.failed, 1);

    // The failed line, exactly as read, with its reason in a column of its own, naming the column of the value
    // that did not convert: ready to be corrected.
    EXPECT_EQ(ToUtf8(s.dir.Read("REJETS_VILLES.TXT")),
              "CODE_POSTAL\tVILLE\tN\tMOTIF_DU_REJET\r\n"
              "17300\tRochefort\tdeux\tN : 'deux' n'est pas une valeur entière correcte\r\n");
    // The line left aside likewise, with the reason the work gave.
    EXPECT_EQ(ToUtf8(s.dir.Read("IGNOREES_VILLES.TXT")),
              "CODE_POSTAL\tVILLE\tN\tMOTIF_IGNOREE\r\n17100\tskip\t0\tville à ignorer\r\n");
    EXPECT_EQ(s.state.writtenFiles,
              (std::vector<std::string>{s.dir.File("REJETS_VILLES.TXT"), s.dir.File("IGNOREES_VILLES.TXT")}));
    s.dir.Write("VILLES.TXT", "CODE_POSTAL\tVILLE\tN\r\n17000\tLa Rochelle\t1\r\n");
    s.Run();
    EXPECT_FALSE(std::filesystem::exists(s.dir.path() / "REJETS_VILLES.TXT")) << "no rejects file when no line failed";
    EXPECT_FALSE(std::filesystem::exists(s.dir.path() / "IGNOREES_VILLES.TXT"));
}

// A fault of the program inside a line (here a line left aside without its reason) is not that line's failure: it
// ends the step, and the run with it, and rejects nothing. An error of the data that is a logic_error by its type
// (an index outside a list) still fails its line alone.
TEST(ImportStep, AFaultOfTheProgramEndsTheStepInsteadOfRejectingItsLine) {
    FakeStep s;
    s.dir.Write("VILLES.TXT", "CODE_POSTAL\tVILLE\tN\r\n"
                              "17000\tindex\t1\r\n"
                              "17300\tsans motif\t2\r\n"
                              "17100\tRoyan\t3\r\n");
    int reached = 0;
    const auto work = [&](const StepLine &line) {
        reached = line.Number();
        if (line.Field("VILLE") == "index")
            return static_cast<LineOutcome>(std::vector<int>{}.at(3));
        return LineOutcome::Skipped;
    };
    EXPECT_THROW(RunImportStep(s.state, s.def, work), ProgramError);
    EXPECT_EQ(reached, 2);
    ASSERT_EQ(s.op.log.size(), 1u);
    EXPECT_EQ(s.op.log[0].rfind("VILLES.TXT/ligne 1/", 0), 0u) << s.op.log[0];
    EXPECT_EQ(SplitLines(s.dir.Read("REJETS_VILLES.TXT")).lines.size(), 2u);
    EXPECT_EQ(s.op.waitHidden, 1);
}

TEST(ImportStep, InterruptionIsSeenAfterTheCurrentLine) {
    FakeStep s;
    s.dir.Write("VILLES.TXT", "CODE_POSTAL\tVILLE\tN\n1\ta\t1\n2\tb\t2\n3\tc\t3\n4\td\t4\n");
    s.op.interruptAtWaitMessage = "Importation villes 2/";
    const auto summary = s.Run();
    EXPECT_EQ(s.seen, (std::vector<int>{1, 2}));
    EXPECT_TRUE(s.state.StopRequested);
    EXPECT_TRUE(summary.interrupted);
    EXPECT_EQ(s.op.log, (std::vector<std::string>{"VILLES/interruption de la procédure"}));
    EXPECT_EQ(s.op.waitHidden, 1);

    // Every later step of the run does nothing.
    s.seen.clear();
    s.op.interruptAtWaitMessage.clear();
    s.Run();
    EXPECT_TRUE(s.seen.empty());
}

TEST(ImportStep, UntickedFileDoesNothing) {
    FakeStep s;
    s.dir.Write("VILLES.TXT", "CODE_POSTAL\tVILLE\tN\n1\ta\t1\n");
    s.state.options.cbVILLES.checked = false;
    s.Run();
    EXPECT_EQ(s.op.waitShown, 0);
    EXPECT_TRUE(s.seen.empty());
}

TEST(ImportStep, NulByteIsReportedBeforeTheLinesAndEndsTheContent) {
    FakeStep s;
    std::string content = "CODE_POSTAL\tVILLE\tN\r\n1\ta\t1\r\n2\tb\tx\r\n3\tc";
    content += '\0';
    content += "\t3\r\n4\td\t4\r\n";
    s.dir.Write("VILLES.TXT", content);
    const auto summary = s.Run();
    ASSERT_EQ(s.op.log.size(), 3u);
    EXPECT_EQ(s.op.log[0], "VILLES.TXT/caractère NUL ligne 3 : la suite du fichier est ignorée, 1 ligne non lue");
    EXPECT_EQ(s.op.log[1].rfind("VILLES.TXT/ligne 2/", 0), 0u);
    EXPECT_EQ(s.op.log[2].rfind("VILLES.TXT/ligne 3/", 0), 0u); // "3\tc": N is empty
    EXPECT_EQ(s.seen, (std::vector<int>{1}));
    // Every line is accounted for: 3 read, 1 never read.
    EXPECT_EQ(summary.read, 3);
    EXPECT_EQ(summary.notRead, 1);
    EXPECT_TRUE(summary.Incomplete());
}

TEST(ImportStep, ErrorOutsideTheLinesEscapesAfterHidingTheWaitWindow) {
    FakeStep s;
    s.dir.Write("VILLES.TXT", "CODE_POSTAL\tVILLE\tN\n1\ta\t1\n");
    EXPECT_THROW(RunImportStep(s.state, s.def, [](const StepLine &) { return LineOutcome::Imported; },
                               [] { throw std::runtime_error("base indisponible"); }),
                 std::runtime_error);
    EXPECT_EQ(s.op.waitHidden, 1);
}

TEST(ImportStep, GarbageAndHugeLinesFailAloneAndAnUnreadableFileEndsTheStep) {
    FakeStep s;
    std::string garbage = "CODE_POSTAL\tVILLE\tN\r\n";
    garbage += std::string(10 * 1024 * 1024, 'x') + "\t\t7\r\n"; // one 10 MB line
    for (int c = 1; c < 256; ++c)
        garbage.push_back(static_cast<char>(c == '\n' || c == '\r' ? ' ' : c));
    garbage += "\r\n1\ta\t5\r\n";
    s.dir.Write("VILLES.TXT", garbage);
    const auto summary = s.Run();
    EXPECT_EQ(s.seen, (std::vector<int>{7, 5}));
    EXPECT_EQ(summary.failed, 1);
    ASSERT_EQ(s.op.log.size(), 1u);
    EXPECT_EQ(s.op.log[0].rfind("VILLES.TXT/ligne 2/", 0), 0u);

    // A folder at the file's name is not read and not taken for a missing file: the file is left aside, said
    // so, and the run goes on.
    FakeStep folder;
    std::filesystem::create_directory(folder.dir.path() / "VILLES.TXT");
    const auto aside = folder.Run();
    EXPECT_EQ(folder.op.log, (std::vector<std::string>{
                                 "VILLES.TXT/c'est un dossier, pas un fichier ordinaire"}));
    EXPECT_EQ(aside.leftAside, "pas un fichier ordinaire");
    EXPECT_TRUE(aside.Incomplete());
    EXPECT_EQ(folder.op.waitHidden, 1);
}

TEST(ImportStep, AStepThatMustRunToItsEndIgnoresTheInterruptButton) {
    FakeStep s;
    s.def.interruptible = false;
    s.dir.Write("VILLES.TXT", "CODE_POSTAL\tVILLE\tN\n1\ta\t1\n2\tb\t2\n3\tc\t3\n");
    s.op.interruptAtWaitMessage = "Importation villes 1/";
    const auto summary = s.Run();
    EXPECT_EQ(s.seen, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(s.state.StopRequested);
    EXPECT_FALSE(summary.interrupted);
    EXPECT_TRUE(s.op.log.empty());
}

TEST(ImportStep, RejectsImportAgainWithTheReasonInItsOwnColumn) {
    FakeStep s;
    // A line shorter than its header: its reason must not land in the missing data column.
    s.dir.Write("VILLES.TXT", "CODE_POSTAL\tVILLE\tN\tMOTIF\r\n17300\tRochefort\tdeux\r\n17000\tLa Rochelle\t1\tx\r\n");
    s.Run();
    EXPECT_EQ(ToUtf8(s.dir.Read("REJETS_VILLES.TXT")),
              "CODE_POSTAL\tVILLE\tN\tMOTIF\tMOTIF_DU_REJET\r\n"
              "17300\tRochefort\tdeux\t\tN : 'deux' n'est pas une valeur entière correcte\r\n");

    // The rejects file, corrected and imported again: MOTIF stays empty; a new failure takes the old reason's
    // place instead of adding a column.
    std::string corrected = s.dir.Read("REJETS_VILLES.TXT");
    s.dir.Write("VILLES.TXT", corrected.replace(corrected.find("deux"), 4, "2") + "17100\tSaintes\ttrois\r\n");
    s.seen.clear();
    const auto summary = s.Run();
    EXPECT_EQ(s.seen, (std::vector<int>{2}));
    EXPECT_EQ(summary.imported, 1);
    EXPECT_EQ(ToUtf8(s.dir.Read("REJETS_VILLES.TXT")),
              "CODE_POSTAL\tVILLE\tN\tMOTIF\tMOTIF_DU_REJET\r\n"
              "17100\tSaintes\ttrois\t\tN : 'trois' n'est pas une valeur entière correcte\r\n");
}

TEST(ImportStep, ALineWhoseMainRowStaysIsImportedWithAWarningNotRejected) {
    FakeStep s;
    s.dir.Write("VILLES.TXT", "CODE_POSTAL\tVILLE\tN\r\n17000\tLa Rochelle\t1\r\n17300\tRochefort\t2\r\n");
    const auto summary = RunImportStep(s.state, s.def, [](const StepLine &line) {
        // The main row is written; what follows it fails on the second line.
        line.AfterMainRow([&] {
            if (line.Number() == 2)
                throw ConversionError(FromUtf8("'31/02/2020' n'est pas une date correcte"));
        });
        return LineOutcome::Imported;
    });
    EXPECT_EQ(summary.imported, 2);
    EXPECT_EQ(summary.failed, 0);
    EXPECT_EQ(summary.warnings, 1);
    EXPECT_TRUE(summary.Incomplete());
    EXPECT_EQ(s.op.log, (std::vector<std::string>{
                            "VILLES.TXT/ligne 2/avertissement : '31/02/2020' n'est pas une date correcte"}));
    EXPECT_FALSE(std::filesystem::exists(s.dir.path() / "REJETS_VILLES.TXT"));
    EXPECT_EQ(s.dir.Read("AVERTISSEMENTS_VILLES.TXT"),
              "CODE_POSTAL\tVILLE\tN\tAVERTISSEMENT\r\n17300\tRochefort\t2\t'31/02/2020' n'est pas une date correcte\r\n");
    EXPECT_EQ(s.state.writtenFiles, (std::vector<std::string>{s.dir.File("AVERTISSEMENTS_VILLES.TXT")}));
}

TEST(ImportStep, AUtf8FileIsLeftAsideUnlessItIsToBeConverted) {
    FakeStep s;
    const std::string utf8 = "CODE_POSTAL\tVILLE\tN\r\n17138\tAytr\xC3\xA9\t1\r\n17000\tEmoji \xF0\x9F\x98\x80\t2\r\n";
    s.dir.Write("VILLES.TXT", utf8);
    std::vector<std::string> towns;
    const auto work = [&](const StepLine &line) {
        towns.push_back(line.Field("VILLE"));
        return LineOutcome::Imported;
    };
    auto summary = RunImportStep(s.state, s.def, work);
    EXPECT_TRUE(towns.empty()) << "nothing of a UTF-8 file is imported as Windows-1252";
    EXPECT_EQ(summary.leftAside, FromUtf8("codé en UTF-8"));
    EXPECT_TRUE(summary.Incomplete());
    ASSERT_EQ(s.op.log.size(), 1u);
    EXPECT_EQ(s.op.log[0].rfind("VILLES.TXT/le texte est codé en UTF-8 et non en Windows-1252 (ligne 1)", 0), 0u)
        << s.op.log[0];

    // Read as UTF-8: converted; a character without a Windows-1252 form fails its line, which goes to the
    // rejects as read (UTF-8, like the file it came from).
    s.op.log.clear();
    s.state.options.cbFichiersUTF8 = true;
    summary = RunImportStep(s.state, s.def, work);
    EXPECT_EQ(towns, (std::vector<std::string>{"Aytr\xE9"}));
    EXPECT_EQ(s.op.log.back(), "VILLES.TXT/ligne 2/caractère sans équivalent en Windows-1252 (U+1F600)");
    EXPECT_EQ(summary.imported, 1);
    EXPECT_EQ(summary.failed, 1);
    EXPECT_EQ(s.dir.Read("REJETS_VILLES.TXT"),
              "CODE_POSTAL\tVILLE\tN\tMOTIF_DU_REJET\r\n17000\tEmoji \xF0\x9F\x98\x80\t2\t"
              "caractère sans équivalent en Windows-1252 (U+1F600)\r\n");
}
