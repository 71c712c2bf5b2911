#include "normalized/Conversions.h"
#include "normalized/Errors.h"
#include "normalized/Win1252.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

using namespace clinova;

TEST(Rounding, TwoDecimalsFirstThenHalfToEven) {
    const struct {
        float x;
        int rounded;
    } cases[] = {{2.5f, 2}, {3.5f, 4}, {2.51f, 3}, {-2.5f, -2}, {2.499f, 2}, {0.5f, 0}, {1.5f, 2}, {-3.5f, -4}};
    for (const auto &c : cases)
        EXPECT_EQ(RoundToInt(c.x), c.rounded) << c.x;
}

TEST(Rounding, HundredthsFollowTheSinglePrecisionValue) {
    const struct {
        float x;
        int hundredths;
    } cases[] = {{12.345f, 1235}, {1.005f, 100},  {2.675f, 267}, {0.125f, 12},
                 {-0.125f, -12},  {19.99f, 1999}, {0.0f, 0},     {7.0f, 700}};
    for (const auto &c : cases)
        EXPECT_EQ(FloatToInt100(c.x), c.hundredths) << c.x;
}

TEST(Rounding, OutOfRangeIsAConversionError) {
    EXPECT_THROW(RoundToInt(3e9f), ConversionError);
    EXPECT_THROW(FloatToInt100(3e7f), ConversionError);
    EXPECT_THROW(RoundToInt(std::numeric_limits<float>::quiet_NaN()), ConversionError);
    EXPECT_FLOAT_EQ(AddPercentage(20, 50), 60);
}

TEST(Phone, TenCharactersBecomeFivePairs) {
    EXPECT_EQ(FormatPhoneNumber("01.23.45.67.89"), "01 23 45 67 89");
    EXPECT_EQ(FormatPhoneNumber(" 0123456789 "), "01 23 45 67 89");
    EXPECT_EQ(FormatPhoneNumber("abcdefghij"), "ab cd ef gh ij");
    EXPECT_EQ(FormatPhoneNumber("+33123456789"), "+33123456789");
    EXPECT_EQ(FormatPhoneNumber("01-23-45-67-89"), "01-23-45-67-89");
    EXPECT_EQ(FormatPhoneNumber(" 01.23 "), " 01.23 "); // unchanged means untrimmed too
}

TEST(Texts, TrimCutJoinRemoveQuote) {
    EXPECT_EQ(Trim("\t\x01 a b \r\n"), "a b");
    EXPECT_EQ(Trim(" \xA0 "), "\xA0"); // a non-breaking space is not a blank byte
    EXPECT_EQ(TrimAndCut("  abcdef", 3), "abc");
    EXPECT_EQ(TrimAndCut("abc", 0), "");
    EXPECT_EQ(JoinNonBlank({"  Jean", "", "Dupont "}), "Jean Dupont");
    EXPECT_EQ(JoinNonBlank({" ", ""}), "");
    EXPECT_EQ(RemoveAllChars("a|b||c", '|'), "abc");
    EXPECT_EQ(QuoteForSQL("l'a'"), "l''a''");
    EXPECT_EQ(OneToTF("1"), "T");
    EXPECT_EQ(OneToTF(" 1"), "F");
    EXPECT_EQ(ReminderChannelCode(true, false, true), 10);
    EXPECT_EQ(ReminderChannelCode(false, false, false), 111);
}

TEST(Texts, ReplaceAllTextRepeatsUntilNoneRemains) {
    EXPECT_EQ(ReplaceAllText("a     b  c", "  ", " "), "a b c");
    EXPECT_EQ(ReplaceAllText("aaab", "ab", "b"), "b"); // each replacement makes a new occurrence
    EXPECT_EQ(ReplaceAllText("xabcx", "abc", ""), "xx");
    EXPECT_EQ(ReplaceAllText("abc", "", "z"), "abc");
    // A replacement holding the searched text would never end: one pass, left to right.
    EXPECT_EQ(ReplaceAllText("a b  c", " ", "  "), "a  b    c");
    EXPECT_EQ(ReplaceAllText("aaa", "a", "aa"), "aaaaaa");
}

TEST(Texts, TrailingSeparatorOnlyWhenMissing) {
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(AddTrailingBackslash(""), "");
    EXPECT_EQ(AddTrailingBackslash("dir"), "dir" + sep);
    EXPECT_EQ(AddTrailingBackslash("dir" + sep), "dir" + sep);
}

TEST(MultiLine, VerticalTabsBecomeSingleCRs) {
    EXPECT_EQ(VerticalTabsToLines("plain"), "plain");
    EXPECT_EQ(VerticalTabsToLines("\v\v\v"), "");
    EXPECT_EQ(VerticalTabsToLines("un\v\vdeux"), "un\r\rdeux");
    EXPECT_EQ(VerticalTabsToLines("\vun\v"), "un");
    EXPECT_EQ(VerticalTabsToLines("un\v\v"), "un\r");
}

TEST(MultiLine, OuterBlankLinesGoInnerOnesStay) {
    const std::vector<std::string> lines{"", "a", "", "b", "  "};
    EXPECT_EQ(StringsToText(lines), "a\r\n\r\nb");
    EXPECT_EQ(lines.size(), 5u); // the caller's list is not changed
    EXPECT_EQ(StringsToText({" ", "\t"}), "");
    EXPECT_EQ(TrimTextBlankLines("\r\n  \na\rb\r\n\r\n"), "a\r\nb");
    EXPECT_EQ(StripFinalLineBreak("a\r\n\r\n"), "a\r\n");
    EXPECT_EQ(StripFinalLineBreak("a\n"), "a\n");
    // The one-pass form of a field's lines gives what the two conversions give.
    for (const char *field : {"", "plain", "\v\v\v", "un\v\vdeux", "\vun\v", "un\v\v", " \v un \v\v deux \v ", "a\v \v\vb"})
        EXPECT_EQ(VerticalTabLinesText(field), TrimTextBlankLines(VerticalTabsToLines(field))) << field;
}

TEST(Numbers, IntegersAreSignAndDigitsOnly) {
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt64("9000000000"), 9000000000LL);
    for (const char *bad : {"", "-", "+", "+-1", "--1", " 1", "1 ", "1.0", "0x1F", "2147483648", "abc"})
        EXPECT_FALSE(TryStrToInt(bad)) << bad;
    try {
        StrToInt("abc");
        FAIL();
    } catch (const ConversionError &e) {
        EXPECT_EQ(e.what(), FromUtf8("'abc' n'est pas une valeur entière correcte"));
    }
}

TEST(Numbers, DecimalsUseAPointWhateverTheLocale) {
    EXPECT_DOUBLE_EQ(StrToFloat("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(StrToFloat("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("+3"), 3);
    EXPECT_DOUBLE_EQ(StrToFloat("1e3"), 1000);
    for (const char *bad : {"", "12,5", "inf", "nan", "-", "+-1", "1.5 ", "1e999"})
        EXPECT_FALSE(TryStrToFloat(bad)) << bad;
    EXPECT_THROW(StrToFloat("12,5"), ConversionError);
}

TEST(Dates, DayMonthYearOnly) {
    EXPECT_EQ(ParseDateDMY("01/02/2003"), (Date{2003, 2, 1}));
    EXPECT_EQ(ParseDateDMY("1/2/2003"), (Date{2003, 2, 1}));
    EXPECT_EQ(ParseDateDMY("29/02/2024"), (Date{2024, 2, 29}));
    EXPECT_EQ(ParseDateDMY("12/03/20"), (Date{20, 3, 12}));
    for (const char *bad : {"31/02/2020", "2003-02-01", "01/02/2003 10:00", "", "01/13/2003", "00/01/2003", "01/02",
                            "01/02/2003/4", "/02/2003"})
        EXPECT_THROW(ParseDateDMY(bad), ConversionError) << bad;
    try {
        ParseDateDMY("31/02/2020");
        FAIL();
    } catch (const ConversionError &e) {
        EXPECT_EQ(std::string(e.what()), "'31/02/2020' n'est pas une date correcte");
    }
}

#ifndef _WIN32
// The zone as TZ sets it, which the POSIX systems read; Windows gives its own settings.
class TimeZoneTest : public ::testing::Test {
protected:
    void SetZone(const char *zone) {
        setenv("TZ", zone, 1);
        tzset();
    }
    void TearDown() override {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> saved_ =
        std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt;
};

TEST_F(TimeZoneTest, BiasOfTheZoneAsItIsNow) {
    const DateTime ten{{2021, 6, 15}, 10, 0, 0, 0};
    SetZone("CET-1"); // one hour east, no daylight saving
    EXPECT_EQ(LocalTimeToUTC(ten), (DateTime{{2021, 6, 15}, 9, 0, 0, 0}));
    EXPECT_EQ(LocalTimeToUTC(DateTime{{2021, 1, 1}, 0, 30, 0, 0}), (DateTime{{2020, 12, 31}, 23, 30, 0, 0}));
    SetZone("EST5");
    EXPECT_EQ(LocalTimeToUTC(ten), (DateTime{{2021, 6, 15}, 15, 0, 0, 0}));
    SetZone("IST-5:30");
    EXPECT_EQ(LocalTimeToUTC(ten), (DateTime{{2021, 6, 15}, 4, 30, 0, 0}));

    // Paris: one or two hours, by today's state rather than by the date converted.
    SetZone("Europe/Paris");
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const int hour = local.tm_isdst > 0 ? 8 : 9;
    EXPECT_EQ(LocalTimeToUTC(ten), (DateTime{{2021, 6, 15}, hour, 0, 0, 0}));
    EXPECT_EQ(LocalTimeToUTC(DateTime{{2021, 1, 15}, 10, 0, 0, 0}), (DateTime{{2021, 1, 15}, hour, 0, 0, 0}));
}
#endif
