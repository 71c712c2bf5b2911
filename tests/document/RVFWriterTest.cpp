#include "document/RVFWriter.h"
#include "document/RVFReader.h"
#include "document/RVStyle.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <gtest/gtest.h>

using namespace clinova;

namespace {

std::string Le32(std::uint32_t n) {
    std::string s;
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
    return s;
}

// The records every non-empty document starts with, up to its first text record.
std::string StyleSheetRecords() {
    return "-8 1 3\r\n"
           "-9 2 0 0 2 0 1\r\nRVStyle\r\n" +
           Le32(2561) + TextStylesStream() + "-9 2 0 0 2 0 2\r\nRVStyle\r\n" + Le32(88) + ParaStylesStream() +
           "-9 2 0 0 2 0 4\r\nRVStyle\r\n" + Le32(2) + std::string("\x0E\x00", 2);
}

} // namespace

TEST(RVStyle, CollectionsHaveTheSizesTheProductExpects) {
    EXPECT_EQ(TextStylesStream().size(), 2561u);
    EXPECT_EQ(ParaStylesStream().size(), 88u);
    EXPECT_EQ(ListStylesStream(), std::string("\x0E\x00", 2));
}

TEST(RVStyle, ParagraphStylesAreStreamedAsComponentProperties) {
    const std::string expected = std::string("\x0E\x01", 2) + "\x09StyleName\x06\x0FParagraph Style" + "\x04Tabs" +
                                 std::string("\x0E\x00\x00\x01", 4) + "\x09StyleName\x06\x08" + "Centered" + "\x09" +
                                 "Alignment\x07\x09rvaCenter" + "\x04Tabs" + std::string("\x0E\x00\x00\x00", 4);
    EXPECT_EQ(ParaStylesStream(), expected);
}

TEST(RVStyle, TextStylesEncodeIntegersIdentsSetsAndBooleans) {
    const std::string styles = TextStylesStream();
    // First style: integer colour 6250335 needs four bytes.
    EXPECT_EQ(styles.substr(0, 56), std::string("\x0E\x01", 2) + "\x09StyleName\x06\x0D_KEYWORD_NONE" + "\x08" +
                                        "FontName\x06\x06Tahoma" + "\x05" + "Color\x04" + Le32(6250335) +
                                        std::string("\x00", 1));
    EXPECT_NE(styles.find("\x05"
                          "Color\x07\x06"
                          "clBlue"),
              std::string::npos);
    // Size 12 fits one byte; 12615680 four.
    EXPECT_NE(styles.find(std::string("\x04Size\x02\x0C\x05Style\x0B\x06"
                                      "fsBold\x00\x05"
                                      "Color\x04",
                                      29) +
                          Le32(12615680)),
              std::string::npos);
    EXPECT_NE(styles.find(std::string("\x04Jump\x09\x0A"
                                      "JumpCursor\x07\x0B"
                                      "crHandPoint")),
              std::string::npos);
    EXPECT_NE(styles.find(std::string("\x12ModifiedProperties\x0B\x08rvfiJump\x0ErvfiJumpCursor\x00\x00", 46)),
              std::string::npos);
    EXPECT_EQ(styles.substr(styles.size() - 2), std::string("\x00\x00", 2));
    EXPECT_EQ(TextStyleIndex("_STYLE_NORMAL_10_BLACK"), 14);
    EXPECT_EQ(ParaStyleIndex("Centered"), 1);
    EXPECT_EQ(TextStyleIndex("Normal"), -1);
}

TEST(RVFWriter, ThreeLinesGiveOneTextRecord) {
    const std::string rvf = ConsultationDocumentRVF({"Vaccin", "", "RAS"});
    EXPECT_EQ(rvf, StyleSheetRecords() + "0 3 0 0 0 0\r\nVaccin\r\n\r\nRAS\r\n");
    EXPECT_EQ(rvf.size(), 8u + 16 + 9 + 4 + 2561 + 16 + 9 + 4 + 88 + 16 + 9 + 4 + 2 + 13 + 8 + 2 + 5);
}

TEST(RVFWriter, NoLineGivesNoBytes) {
    EXPECT_TRUE(ConsultationDocumentRVF({}).empty());
}

TEST(RVFWriter, SingleByteAccentsAreWrittenUnchanged) {
    const std::string line = FromUtf8("Vérifié à 10h, température 38,5° — œdème");
    const std::string rvf = ConsultationDocumentRVF({line});
    EXPECT_EQ(rvf.substr(rvf.size() - line.size() - 2), line + "\r\n");
    EXPECT_EQ(DocumentTexts(rvf), std::vector<std::string>{line});
}

// A line break inside a line would make the product read every later record wrongly; a NUL would stop
// its reading. The break starts a new paragraph and the NUL is dropped.
TEST(RVFWriter, LineBreaksInsideALineBecomeParagraphsAndNulsAreDropped) {
    const std::string rvf = ConsultationDocumentRVF({"a\r\nb\rc\nd", std::string("e\0f", 3)});
    EXPECT_EQ(rvf, StyleSheetRecords() + "0 5 0 0 0 0\r\na\r\nb\r\nc\r\nd\r\nef\r\n");
}

TEST(RVFWriter, ItemsOfOtherStylesOrContinuingAParagraphGetTheirOwnRecords) {
    RichViewDocument doc;
    doc.AddParagraph("a");
    doc.AddParagraph("b");
    doc.AddParagraph("t", 10, 1);
    RVItem cont;
    cont.text = "c";
    cont.sameAsPrev = true;
    doc.AddItem(cont);
    doc.AddParagraph("d");
    const std::string rvf = SaveDocumentRVF(doc);
    EXPECT_EQ(rvf.substr(StyleSheetRecords().size()),
              "0 2 0 0 0 0\r\na\r\nb\r\n10 1 1 0 0 0\r\nt\r\n0 1 -1 0 0 0\r\nc\r\n0 1 0 0 0 0\r\nd\r\n");

    const RichViewDocument back = LoadDocumentRVF(rvf);
    ASSERT_EQ(back.ItemCount(), 5u);
    EXPECT_EQ(back.Item(2).styleNo, 10);
    EXPECT_EQ(back.Item(2).paraNo, 1);
    EXPECT_TRUE(back.Item(3).sameAsPrev);
    EXPECT_EQ(back.Item(3).paraNo, 1);
    EXPECT_EQ(back.PlainText(), "a\r\nb\r\ntc\r\nd");
}

TEST(RVFWriter, RefusesWhatATextRecordCannotHold) {
    RichViewDocument doc;
    RVItem picture;
    picture.kind = RVItemKind::Picture;
    doc.AddItem(picture);
    EXPECT_THROW(SaveDocumentRVF(doc), Error);

    RichViewDocument broken;
    RVItem text;
    text.text = "a\nb";
    broken.AddItem(text);
    EXPECT_THROW(SaveDocumentRVF(broken), Error);
}
