#include "document/RVFReader.h"
#include "document/RVFWriter.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

using namespace clinova;

namespace {

std::string Le32(std::uint32_t n) {
    std::string s;
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
    return s;
}

std::string Utf16(std::u16string_view text) {
    std::string s;
    for (const char16_t u : text) {
        s.push_back(static_cast<char>(u & 0xFF));
        s.push_back(static_cast<char>(u >> 8));
    }
    return s;
}

std::string Hex(std::string_view bytes) {
    static const char *digits = "0123456789ABCDEF";
    std::string s;
    for (const char c : bytes) {
        s.push_back(digits[static_cast<unsigned char>(c) >> 4]);
        s.push_back(digits[static_cast<unsigned char>(c) & 15]);
    }
    return s;
}

// A document as the product may store it: a style sheet record, two text records, a picture whose raw
// body holds bytes that look like records, a checkpoint, a Unicode text written as hexadecimal, an
// unknown record, a tab, a table and a raw Unicode text record.
std::string ProductDocument() {
    const std::string pictureBody = "\x89PNG\r\n0 1 0 0 0 0\r\nfake\r\n" + std::string("\0\xFF", 2);
    return "-8 1 3\r\n"
           "-9 2 0 0 2 0 1\r\nRVStyle\r\n" +
           Le32(2) + std::string("\x0E\x00", 2) +
           "0 2 0 0 0 0\r\nPremier\r\n\r\n"
           "-3 3 -1 0 2 0 0\r\nphoto1\r\nTJPEGImage\r\n" +
           Le32(static_cast<std::uint32_t>(pictureBody.size())) + pictureBody +
           "-2 1 0 0 0 0 0 0\r\nmarque\r\n"
           "14 1 -1 8 3 0\r\n" +
           Hex(Utf16(u" caf\u00E9 \u20AC\u4E2D")) +
           "\r\n"
           "-77 2 0 0 0 0\r\nunknown\r\n0 1 0 0 0 0\r\n"
           "-12 0 -1 0 0 0\r\n"
           "3 1 -1 0 0 0\r\nsuite\r\n"
           "-60 2 0 0 2 0\r\n\r\n" +
           Le32(5) + "12345" + "0 1 0 0 0 0\r\napres tableau\r\n" + "0 2 1 8 0 0\r\n" +
           Utf16(u"uni\u00E7ode\u2029fin\u2029");
}

} // namespace

TEST(RVFReader, WrittenDocumentReadsBackWithItsTextsAndStyles) {
    const std::vector<std::string> lines = {"Motif : vaccination", "", FromUtf8("Poids 4,2 kg — état général bon")};
    const RichViewDocument doc = LoadDocumentRVF(ConsultationDocumentRVF(lines));
    ASSERT_EQ(doc.ItemCount(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(doc.ItemText(i), lines[i]);
        EXPECT_EQ(doc.Item(i).styleNo, 0);
        EXPECT_EQ(doc.Item(i).paraNo, 0);
        EXPECT_TRUE(doc.Item(i).StartsNewParagraph());
    }
    EXPECT_EQ(DocumentPlainText(ConsultationDocumentRVF(lines)), lines[0] + "\r\n\r\n" + lines[2]);
}

TEST(RVFReader, ProductDocumentGivesItsTextsInOrderAndSkipsTheRest) {
    const std::string rvf = ProductDocument();
    const RichViewDocument doc = LoadDocumentRVF(rvf);
    EXPECT_EQ(doc.Texts(), (std::vector<std::string>{"Premier", "", FromUtf8(" café €?"), "suite", "apres tableau",
                                                     FromUtf8("uniçode"), "fin"}));
    EXPECT_EQ(DocumentPlainText(rvf),
              FromUtf8("Premier\r\n café €?\r\n\tsuite\r\n\r\napres tableau\r\nuniçode\r\nfin"));
    ASSERT_EQ(doc.ItemCount(), 11u);
    EXPECT_EQ(doc.Item(2).kind, RVItemKind::Picture);
    EXPECT_THROW(doc.ItemText(2), Error);
    EXPECT_EQ(doc.Item(3).styleNo, 14);
    EXPECT_TRUE(doc.Item(3).sameAsPrev);
    EXPECT_EQ(doc.Item(4).kind, RVItemKind::Other);
    EXPECT_EQ(doc.Item(7).kind, RVItemKind::Table);
    EXPECT_EQ(doc.Item(10).paraNo, 1);
}

TEST(RVFReader, HeadersOfOlderFormatsAndStylesSavedByName) {
    // Without a version record the format is 1.0, whose headers carry no item options.
    EXPECT_EQ(DocumentTexts("0 1 0 0 0\r\nancien\r\n"), std::vector<std::string>{"ancien"});
    // Styles by name, a tag in quotes holding blanks and doubled quotes; an unknown name is style 0.
    const RichViewDocument doc = LoadDocumentRVF("-8 1 3\r\n\"_STYLE_DCD\" 1 \"Centered\" 0 0 \"a \"\"b\"\" c\"\r\n"
                                                 "DCD\r\n\"Inconnu\" 1 0 0 0 0\r\nx\r\n");
    ASSERT_EQ(doc.ItemCount(), 2u);
    EXPECT_EQ(doc.Item(0).styleNo, 13);
    EXPECT_EQ(doc.Item(0).paraNo, 1);
    EXPECT_EQ(doc.ItemText(0), "DCD");
    EXPECT_EQ(doc.Item(1).styleNo, 0);
    // A record without data line is one empty text item; CR alone and LF alone end lines too.
    EXPECT_EQ(DocumentTexts("-8 1 3\n0 0 0 0 0 0\n0 2 0 0 0 0\ra\rb"), (std::vector<std::string>{"", "a", "b"}));
}

TEST(RVFReader, WhatIsNoDocumentGivesNoText) {
    EXPECT_TRUE(LoadDocumentRVF("").Empty());
    // The plain tab-marked form of a consultation text.
    EXPECT_TRUE(LoadDocumentRVF("\t0/Vaccin\t-1\t-1\t0/  RAS\t-1").Empty());
    EXPECT_EQ(DocumentPlainText("bonjour\r\n12 abc\r\n"), "");
}

TEST(RVFReader, UnreadableRecordsAreSkippedAndTheRestIsRead) {
    const std::string rvf = "-8 1 3\r\n"
                            "0 1 0 8 3 0\r\nABC\r\n"          // hexadecimal of odd length
                            "0 1 0 8 3 0\r\n00GG\r\n"         // not hexadecimal
                            "0 99999999999 0 0 0 0\r\nlu\r\n" // count out of range: the line is no header
                            "0 1 0 0 0\r\nsans tag\r\n"       // a field missing
                            "-5 -3 0 0 0 0\r\n"               // negative count
                            "0 1 0 0 0 0\r\nfin\r\n";
    const RichViewDocument doc = LoadDocumentRVF(rvf);
    EXPECT_EQ(doc.Texts(), (std::vector<std::string>{"fin"}));
}

TEST(RVFReader, BlockRunningPastTheEndKeepsWhatCameBefore) {
    const std::string head = "-8 1 3\r\n0 1 0 0 0 0\r\navant\r\n-3 2 0 0 2 0\r\nimage\r\n";
    EXPECT_EQ(DocumentTexts(head + Le32(0x7FFFFFF0) + "abc\r\n0 1 0 0 0 0\r\napres\r\n"),
              std::vector<std::string>{"avant"});
    EXPECT_EQ(DocumentTexts(head + Le32(0xFFFFFFFF) + "0 1 0 0 0 0\r\napres\r\n"), std::vector<std::string>{"avant"});
    EXPECT_EQ(DocumentTexts(head + "\x01\x00"), std::vector<std::string>{"avant"});
    // A huge line count reads the lines there are.
    EXPECT_EQ(DocumentTexts("0 2147483647 0 0 0 0\r\na\r\nb"), (std::vector<std::string>{"a", "b"}));
    // Raw Unicode cut in the middle of a character, or stopped by a NUL character.
    EXPECT_EQ(DocumentTexts("-8 1 3\r\n0 2 0 8 0 0\r\n" + Utf16(u"ab") + "c"), (std::vector<std::string>{"ab"}));
    EXPECT_EQ(DocumentTexts("-8 1 3\r\n0 2 0 8 0 0\r\n" + Utf16(u"ab") + std::string("\0\0", 2) + Utf16(u"\xD800z")),
              (std::vector<std::string>{"ab", "?z"}));
}

TEST(RVFReader, NoByteStringMakesTheReaderFail) {
    const std::string valid = ProductDocument();
    for (std::size_t n = 0; n <= valid.size(); ++n)
        EXPECT_NO_THROW(LoadDocumentRVF(valid.substr(0, n))) << "prefix of " << n << " bytes";

    std::mt19937 random(20240607);
    const std::string alphabet = std::string("0123456789- \r\n\"ABCDEF\x29\x20", 23) + std::string("\0\xFF\x7F", 3);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = valid;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int k = 0; k < changes; ++k) {
            const std::size_t at = random() % bytes.size();
            switch (random() % 3) {
            case 0:
                bytes[at] = alphabet[random() % alphabet.size()];
                break;
            case 1:
                bytes.erase(at, 1 + random() % 16);
                break;
            default:
                bytes.insert(at, 1, static_cast<char>(random() & 0xFF));
                break;
            }
            if (bytes.empty())
                bytes = "0";
        }
        EXPECT_NO_THROW(DocumentPlainText(bytes));
        std::string noise(random() % 200, '\0');
        for (auto &c : noise)
            c = static_cast<char>(random() & 0xFF);
        EXPECT_NO_THROW(DocumentPlainText(noise));
    }
}
