#include "normalized/NormalizedFile.h"
#include "normalized/Errors.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

using namespace clinova;
using clinova::testutil::TempFolder;

namespace {

using Lines = std::vector<std::string>;

struct SplitCase {
    std::string content;
    Lines lines;
    std::optional<std::size_t> nulLine;
};

const std::vector<SplitCase> &SplitCases() {
    using namespace std::string_literals;
    static const std::vector<SplitCase> cases = {
        {"", {}, {}},
        {"a", {"a"}, {}},
        {"a\r\nb\r\n", {"a", "b"}, {}},
        {"a\rb\r", {"a", "b"}, {}},
        {"a\nb\n", {"a", "b"}, {}},
        {"a\r\n\r\nb", {"a", "", "b"}, {}},
        {"a\n\rb", {"a", "", "b"}, {}}, // LF CR is two breaks
        {"a\r\r\nb\n\nc", {"a", "", "b", "", "c"}, {}},
        {"\r\n", {""}, {}},
        {"\n\n", {"", ""}, {}},
        {"h\r\nd1\r\nd\0x\r\nlost"s, {"h", "d1", "d"}, 2},
        {"h\r\n\0rest"s, {"h"}, 1},
        {"h\r\0"s, {"h"}, 1},
        {"\0"s, {}, 0},
    };
    return cases;
}

} // namespace

TEST(SplitLines, LineBreaksAndNul) {
    for (const auto &c : SplitCases()) {
        const TextLines got = SplitLines(c.content);
        EXPECT_EQ(got.lines, c.lines) << testing::PrintToString(c.content);
        EXPECT_EQ(got.nulLine, c.nulLine) << testing::PrintToString(c.content);
    }
}

TEST(LineReader, SameLinesWhateverTheBlockSize) {
    TempFolder folder;
    const std::string path = folder.File("LINES.TXT");
    for (const auto &c : SplitCases()) {
        WriteWholeFile(path, c.content);
        for (std::size_t block = 1; block <= c.content.size() + 1; ++block) {
            LineReader reader(path, block);
            Lines lines;
            for (std::string line; reader.Next(line);)
                lines.push_back(line);
            EXPECT_EQ(lines, c.lines) << testing::PrintToString(c.content) << " block " << block;
            EXPECT_EQ(reader.NulLine(), c.nulLine) << testing::PrintToString(c.content) << " block " << block;
            EXPECT_EQ(reader.LinesRead(), c.lines.size());
        }
        EXPECT_EQ(CountLines(path), c.lines.size());
    }
}

TEST(LineReader, CrAtTheEndOfABlockAndLfAtTheStartOfTheNextAreOneBreak) {
    TempFolder folder;
    const std::string path = folder.File("CRLF.TXT");
    WriteWholeFile(path, "abc\r\ndef\r\n");
    LineReader reader(path, 4); // "abc\r" | "\ndef" | "\r\n"
    std::string line;
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "abc");
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "def");
    EXPECT_FALSE(reader.Next(line));
    EXPECT_FALSE(reader.Next(line));
}

TEST(LineReader, LongLineAcrossManyBlocks) {
    TempFolder folder;
    const std::string path = folder.File("LONG.TXT");
    std::string longLine(5 * 1024 * 1024, 'x');
    longLine[12345] = '\t';
    WriteWholeFile(path, "HEADER\r\n" + longLine + "\r\nlast");
    LineReader reader(path, 64 * 1024);
    std::string line;
    ASSERT_TRUE(reader.Next(line));
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, longLine);
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(reader.Next(line));
    EXPECT_EQ(CountLines(path), 3u);
}

TEST(Files, WholeContentRoundTripAndErrorsNameTheFile) {
    TempFolder folder;
    const std::string path = folder.File("BYTES.TXT");
    const std::string bytes("a\0\xE9\r\n", 5);
    WriteWholeFile(path, bytes);
    EXPECT_EQ(ReadWholeFile(path), bytes);
    WriteWholeFile(path, "b");
    EXPECT_EQ(ReadWholeFile(path), "b"); // replaced, not appended

    const std::string missing = folder.File("ABSENT.TXT");
    try {
        ReadWholeFile(missing);
        FAIL();
    } catch (const FileError &e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("Impossible d'ouvrir le fichier"), std::string::npos) << message;
        EXPECT_NE(message.find(missing), std::string::npos) << message;
    }
    EXPECT_THROW(LineReader{missing}, FileError);
    EXPECT_THROW(CountLines(missing), FileError);
    EXPECT_THROW(WriteWholeFile(folder.File("NO/SUCH/FOLDER.TXT"), "x"), FileError);
}

TEST(FileSurvey, LinesAfterANulAreCountedEncodingAndLongestLineSeen) {
    using namespace std::string_literals;
    TempFolder folder;
    const std::string path = folder.File("SURVEY.TXT");
    struct Case {
        std::string content;
        std::size_t lines;
        std::optional<std::size_t> nulLine;
        std::size_t afterNul;
    };
    // The NUL's own line is read up to the NUL; only the lines after it are never read.
    for (const Case &c : std::vector<Case>{{"h\r\na\r\nb\0c\r\nd\r\ne"s, 3, 2, 2},
                                           {"h\r\na\0\r\n"s, 2, 1, 0},
                                           {"h\r\na\0"s, 2, 1, 0},
                                           {"h\r\n\0\r\n\r\nx\r\n"s, 1, 1, 2},
                                           {"h\r\na\r\n"s, 2, {}, 0}}) {
        WriteWholeFile(path, c.content);
        const FileSurvey survey = SurveyFile(path);
        EXPECT_EQ(survey.lines, c.lines) << testing::PrintToString(c.content);
        EXPECT_EQ(survey.nulLine, c.nulLine) << testing::PrintToString(c.content);
        EXPECT_EQ(survey.linesAfterNul, c.afterNul) << testing::PrintToString(c.content);
    }

    // UTF-8 only when no line holds a Windows-1252 accent that UTF-8 forbids.
    WriteWholeFile(path, "NOM\r\nAytr\xC3\xA9\r\nx\r\n" + std::string(300, 'y') + "\r\n");
    auto survey = SurveyFile(path);
    EXPECT_EQ(survey.utf8Line, 1u);
    EXPECT_EQ(survey.longestLine, 300u);
    WriteWholeFile(path, "NOM\r\nAytr\xC3\xA9\r\nAytr\xE9\r\n");
    EXPECT_FALSE(SurveyFile(path).utf8Line);
    WriteWholeFile(path, "NOM\r\nplain\r\n");
    EXPECT_FALSE(SurveyFile(path).utf8Line);
}

TEST(SourceLineReader, Utf8LinesConvertOrNameTheCharacterThatCannot) {
    TempFolder folder;
    const std::string path = folder.File("UTF8.TXT");
    WriteWholeFile(path, "\xEF\xBB\xBFNOM\tVILLE\r\nL\xC3\xA9o\tAytr\xC3\xA9 \xE2\x82\xAC\r\nEmoji \xF0\x9F\x98\x80\r\n");
    SourceLineReader reader(path, true);
    ASSERT_TRUE(reader.Next());
    EXPECT_EQ(reader.Text(), "NOM\tVILLE") << "the byte-order mark is dropped";
    ASSERT_TRUE(reader.Next());
    EXPECT_EQ(reader.Text(), "L\xE9o\tAytr\xE9 \x80");
    EXPECT_EQ(reader.Raw(), "L\xC3\xA9o\tAytr\xC3\xA9 \xE2\x82\xAC");
    EXPECT_FALSE(reader.Unmapped());
    ASSERT_TRUE(reader.Next());
    ASSERT_TRUE(reader.Unmapped());
    EXPECT_EQ(*reader.Unmapped(), U'\U0001F600');
    EXPECT_EQ(UnmappedCharacterMessage(*reader.Unmapped()),
              "caract\xE8re sans \xE9quivalent en Windows-1252 (U+1F600)");
    EXPECT_FALSE(reader.Next());

    // Read as Windows-1252, the bytes are taken as they are.
    SourceLineReader asIs(path, false);
    ASSERT_TRUE(asIs.Next());
    EXPECT_EQ(asIs.Text(), "\xEF\xBB\xBFNOM\tVILLE");
}
