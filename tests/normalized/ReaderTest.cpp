#include "normalized/Errors.h"
#include "normalized/NormalizedFile.h"
#include "normalized/TColList.h"
#include "normalized/TCut.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

using namespace clinova;
using clinova::testutil::TempFolder;

namespace {

TCut TabCutter(const std::string &header) {
    TCut cut;
    cut.Separator = "\t";
    cut.Line = header;
    cut.PrepareFromLine();
    return cut;
}

std::vector<std::string> CutLine(TCut &cut, const std::string &line) {
    cut.Line = line;
    if (cut.Cut())
        cut.TrimFields();
    return cut.Fields;
}

using Fields = std::vector<std::string>;

} // namespace

TEST(TCut, PiecesAgainstPreparedFields) {
    TCut cut = TabCutter("ID_CLIENT\tNOM");
    ASSERT_EQ(cut.Fields.size(), 2u);

    EXPECT_EQ(CutLine(cut, "12\tDUPONT\tEXTRA"), (Fields{"12", "DUPONT"}));
    EXPECT_EQ(cut.Status, TCut::kStatusTooManyPieces);

    // Fields a piece does not reach are emptied, not left from the previous line.
    EXPECT_EQ(CutLine(cut, "13"), (Fields{"13", ""}));
    EXPECT_EQ(cut.Status, TCut::kStatusOk);

    EXPECT_EQ(CutLine(cut, " \x01 DUPONT \t   "), (Fields{"DUPONT", ""}));
    EXPECT_EQ(CutLine(cut, "12\t"), (Fields{"12", ""}));
    EXPECT_EQ(cut.Status, TCut::kStatusOk);

    // A line of blanks is not empty: one field, which trims to empty.
    EXPECT_EQ(CutLine(cut, "   "), (Fields{"", ""}));
    EXPECT_EQ(cut.Status, TCut::kStatusOk);

    cut.Line.clear();
    EXPECT_FALSE(cut.Cut());
    EXPECT_EQ(cut.Status, TCut::kStatusEmptyLine);
}

TEST(TCut, CountAndPrepare) {
    TCut cut;
    EXPECT_EQ(cut.CountFields(), 0);
    cut.Line = "a;b;;c";
    EXPECT_EQ(cut.CountFields(), 4);
    cut.PrepareFromLine();
    EXPECT_TRUE(cut.Cut());
    EXPECT_EQ(cut.Fields, (Fields{"a", "b", "", "c"}));

    TCut unprepared;
    unprepared.Line = "a";
    EXPECT_TRUE(unprepared.Cut());
    EXPECT_EQ(unprepared.Status, TCut::kStatusTooManyPieces);
}

TEST(TCut, SeparatorOfSeveralCharactersIsPassedOverWhole) {
    TCut cut;
    cut.Separator = "||";
    cut.Line = "a||b||c";
    EXPECT_EQ(cut.CountFields(), 3);
    cut.PrepareFromLine();
    cut.Cut();
    EXPECT_EQ(cut.Fields, (Fields{"a", "b", "c"}));
}

TEST(TCut, QuotesAroundAPieceAreRemovedOnce) {
    TCut cut = TabCutter("a\tb\tc\td\te");
    cut.Quote = "\"";
    EXPECT_EQ(CutLine(cut, "\"mot\"\t\"\t\"\"\t\"\"x\"\"\tsans"), (Fields{"mot", "\"", "", "\"x\"", "sans"}));
}

TEST(TCut, LongLineIsCutInLinearTime) {
    std::string header, line;
    for (int i = 0; i < 200000; ++i) {
        header += (i ? "\tC" : "C") + std::to_string(i);
        line += (i ? "\t" : "") + std::to_string(i);
    }
    TCut cut = TabCutter(header);
    ASSERT_TRUE(CutLine(cut, line).size() == 200000u);
    EXPECT_EQ(cut.Fields[199999], "199999");
    EXPECT_EQ(cut.Status, TCut::kStatusOk);
}

TEST(TColList, CapacityGrowsBy4Then16ThenAQuarter) {
    TColList list;
    std::vector<int> capacities;
    for (int i = 0; i < 120; ++i) {
        list.Add(TCol{"C" + std::to_string(i), i});
        if (capacities.empty() || capacities.back() != list.Capacity())
            capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
    EXPECT_EQ(list.Count(), 120);
    EXPECT_EQ(list[119].Name, "C119");
    EXPECT_THROW(list[120], ListError);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
}

TEST(TColList, HeaderFromFile) {
    TempFolder folder;
    const std::string path = folder.File("CLIENTS.TXT");
    WriteWholeFile(path, "ID_CLIENT\tNom\tNOM\tNOM\t VILLE\r\n1\ta\tb\tc\td\r\n");

    TColList columns;
    columns.LoadHeader(path);
    ASSERT_EQ(columns.Count(), 5);
    EXPECT_EQ(columns.FindColumn("Nom")->Index, 1);
    EXPECT_EQ(columns.FindColumn("NOM")->Index, 2); // the first of the repeated names
    EXPECT_EQ(columns.FindColumn("nom"), nullptr);
    EXPECT_EQ(columns.FindColumn("VILLE"), nullptr); // names are not trimmed
    EXPECT_EQ(columns.FindColumn(" VILLE")->Index, 4);

    TCut cut = TabCutter(ReadLines(path).lines[0]);
    CutLine(cut, "12\tDurand\tDUPONT");
    EXPECT_EQ(FieldOf(columns, cut, "NOM"), "DUPONT");
    EXPECT_EQ(FieldOf(columns, cut, " VILLE"), "");
    EXPECT_EQ(FieldOf(columns, cut, "ABSENT"), "");

    // A byte-order mark stays part of the first name.
    WriteWholeFile(path, "\xEF\xBB\xBFID_CLIENT\tNOM\n");
    columns.LoadHeader(path);
    EXPECT_EQ(columns.Count(), 2);
    EXPECT_EQ(columns.FindColumn("ID_CLIENT"), nullptr);
    EXPECT_NE(columns.FindColumn("NOM"), nullptr);
}

TEST(TColList, MissingOrEmptyFileGivesAnEmptyMap) {
    TempFolder folder;
    TColList columns;
    columns.Add(TCol{"OLD", 0});
    columns.LoadHeader(folder.File("ABSENT.TXT"));
    EXPECT_EQ(columns.Count(), 0);

    WriteWholeFile(folder.File("EMPTY.TXT"), "");
    columns.LoadHeader(folder.File("EMPTY.TXT"));
    EXPECT_EQ(columns.Count(), 0);

    // Header only: the columns, and no data line to read.
    WriteWholeFile(folder.File("HEADER.TXT"), "ID_CLIENT\tNOM");
    columns.LoadHeader(folder.File("HEADER.TXT"));
    EXPECT_EQ(columns.Count(), 2);
    EXPECT_EQ(ReadLines(folder.File("HEADER.TXT")).lines.size(), 1u);
}
