#include "normalized/Win1252.h"

#include <gtest/gtest.h>

using namespace clinova;

TEST(Win1252, UpperCaseCoversAccentedLettersAndTheHighBlock) {
    EXPECT_EQ(UpperCase1252(FromUtf8("élève àçœÿš")), FromUtf8("ÉLÈVE ÀÇŒŸŠ"));
    // ß and the division sign have no upper-case form in the code page.
    EXPECT_EQ(UpperCase1252(FromUtf8("ß÷µ")), FromUtf8("ß÷µ"));
}

TEST(Win1252, SameTextIgnoresCaseButNotAccents) {
    EXPECT_TRUE(SameText1252("A12", "a12"));
    EXPECT_TRUE(SameText1252(FromUtf8("Hélène"), FromUtf8("HÉLÈNE")));
    EXPECT_FALSE(SameText1252(FromUtf8("Helene"), FromUtf8("Hélène")));
    EXPECT_FALSE(SameText1252("abc", "abcd"));
    EXPECT_LT(CompareText1252("abc", "ABD"), 0);
}

TEST(Win1252, Utf8RoundTripKeepsEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    EXPECT_EQ(FromUtf8(ToUtf8(all)), all);
    EXPECT_EQ(ToUtf8("\x80"), "\xE2\x82\xAC");
}

TEST(Win1252, MalformedOrUnmappableUtf8BecomesQuestionMark) {
    EXPECT_EQ(FromUtf8("a\xC3"), "a?");
    EXPECT_EQ(FromUtf8("\xE4\xB8\xAD"), "?"); // a Chinese character
    EXPECT_TRUE(LooksLikeUtf8("caf\xC3\xA9"));
    EXPECT_FALSE(LooksLikeUtf8("caf\xE9"));
    EXPECT_FALSE(LooksLikeUtf8("plain"));
}
