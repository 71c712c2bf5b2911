#include "normalized/TestFileGenerator.h"
#include "normalized/Conversions.h"
#include "normalized/DateTime.h"
#include "normalized/Errors.h"
#include "normalized/NormalizedFile.h"
#include "normalized/TColList.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace clinova;
using clinova::testutil::TempFolder;

namespace {

// The lines of a generated file, cut like an import step cuts them.
struct GeneratedFile {
    explicit GeneratedFile(const std::string &path) {
        const std::string content = ReadWholeFile(path);
        crlfOnly = std::count(content.begin(), content.end(), '\n') == std::count(content.begin(), content.end(), '\r');
        lines = SplitLines(content).lines;
        columns.LoadHeader(path);
        cut.Separator = "\t";
    }
    const std::string &Field(std::size_t line, std::string_view name) {
        cut.Line = lines.at(line);
        cut.PrepareFromLine();
        cut.Cut();
        return FieldOf(columns, cut, name);
    }
    bool crlfOnly;
    std::vector<std::string> lines;
    TColList columns;
    TCut cut;
};

} // namespace

TEST(TestFileGenerator, ColumnListsAsDefined) {
    EXPECT_EQ(ColonnesClients().size(), 51u);
    EXPECT_EQ(ColonnesAnimaux().size(), 38u);
    EXPECT_EQ(ColonnesConsultations().size(), 4u);
    EXPECT_EQ(ColonnesClients()[18], "KILOMETRAGE\tINTEGER");
    EXPECT_EQ(ColonnesClients()[50], "DATE_CREATION\tDATE");
    EXPECT_EQ(ColonnesAnimaux()[30], "POIDS\tINTEGER100");
}

TEST(TestFileGenerator, ThreeFilesOfElevenLines) {
    TempFolder folder;
    GenerateTestFiles(folder.Path());
    const struct {
        const char *name;
        int fields;
    } files[] = {{"CLIENTS.TXT", 51}, {"ANIMAUX.TXT", 38}, {"CONSULTATIONS.TXT", 4}};
    for (const auto &f : files) {
        GeneratedFile file(folder.File(f.name));
        EXPECT_TRUE(file.crlfOnly) << f.name;
        ASSERT_EQ(file.lines.size(), 11u) << f.name;
        EXPECT_EQ(file.columns.Count(), f.fields);
        for (const auto &line : file.lines)
            EXPECT_EQ(std::count(line.begin(), line.end(), '\t') + 1, f.fields) << f.name;
        for (std::size_t i = 1; i <= 10; ++i)
            EXPECT_EQ(file.Field(i, "ID_CLIENT"), std::to_string(i)) << f.name;
    }

    GeneratedFile clients(folder.File("CLIENTS.TXT"));
    EXPECT_EQ(clients.Field(3, "KILOMETRAGE"), "3");
    EXPECT_EQ(clients.Field(3, "REMISE_ACTES"), "3");
    EXPECT_EQ(clients.Field(3, "TELFAXLR11"), "0");
    const std::string nom = clients.Field(3, "NOM");
    EXPECT_EQ(nom.size(), 60u);
    EXPECT_TRUE(std::all_of(nom.begin(), nom.end(), [](char c) { return c >= 'a' && c <= 'z'; })) << nom;
    EXPECT_EQ(clients.Field(3, "CLE_RIB").size(), 2u);
    EXPECT_EQ(clients.Field(3, "NOTES"), "ligne1\vligne2\vligne3");
    EXPECT_NO_THROW(ParseDateDMY(clients.Field(3, "DATE_CREATION")));

    GeneratedFile animals(folder.File("ANIMAUX.TXT"));
    EXPECT_EQ(animals.Field(7, "POIDS"), "700");
    EXPECT_EQ(animals.Field(7, "ID_ANIMAL"), "7");
    EXPECT_EQ(animals.Field(7, "DCD"), "0");
}

TEST(TestFileGenerator, DefinitionsAndPartialContentOnError) {
    TempFolder folder;
    const std::string path = folder.File("T.TXT");
    WriteTestFile({"  A\tINTEGER ", "", "NO_TAB", " \t ", "B \t\tAUTRE", "ID_EVENEMENT\tTEXTE(3)"}, path);
    const auto lines = SplitLines(ReadWholeFile(path)).lines;
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], "A\tB\tID_EVENEMENT");
    EXPECT_EQ(lines[4], "4\t\t4");

    // A length that is not an integer fails the first data line; the header is still written.
    EXPECT_THROW(WriteTestFile({"A\tINTEGER", "B\tTEXTE(x)"}, path), ConversionError);
    EXPECT_EQ(ReadWholeFile(path), "A\tB\r\n");

    EXPECT_THROW(GenerateTestFiles(folder.File("ABSENT")), FileError);
}
