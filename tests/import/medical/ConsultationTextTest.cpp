#include "import/medical/ConsultationText.h"

#include <gtest/gtest.h>

using namespace clinova;

using Lines = std::vector<std::string>;

TEST(ConsultationText, RichTextLinesSplitAtVerticalTabsAndKeepOneBlankLinePerRun) {
    EXPECT_EQ(RichTextConsultationLines("a\vb", true), (Lines{"a", "b"}));
    EXPECT_EQ(RichTextConsultationLines("a\v\v\v\vb", true), (Lines{"a", "", "b"}));
    EXPECT_EQ(RichTextConsultationLines("a\v", true), (Lines{"a"}));
    EXPECT_EQ(RichTextConsultationLines("", true), Lines{});
    // The first line of a blank run stays with its own content; blanks inside lines collapse first.
    EXPECT_EQ(RichTextConsultationLines("a\v \v\v  \vb\v\vc", false), (Lines{"a", " ", "b", "", "c"}));
    EXPECT_EQ(RichTextConsultationLines("a   b\vc  \v\vd", true), (Lines{"a b", "c ", "", "d"}));
    EXPECT_EQ(RichTextConsultationLines("a   b", false), (Lines{"a   b"}));
}

TEST(ConsultationText, PlainTabMarkedTextMarksEveryLine) {
    EXPECT_EQ(PlainTabMarkedText({"Vaccin", "", "RAS"}), "\t0/Vaccin\t-1\t-1\t0/  RAS\t-1");
    EXPECT_EQ(PlainTabMarkedText({}), "\t0/\t-1");
    // Blank lines before the first text do not count as its first line; blanks inside lines stay.
    EXPECT_EQ(PlainTabMarkedText(SplitVerticalTabLines(" \va   b\v\v\vc")), "\t-1\t0/a   b\t-1\t-1\t-1\t0/  c\t-1");
}
