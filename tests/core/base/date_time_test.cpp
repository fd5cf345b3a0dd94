#include "core/base/date_time.h"

#include <gtest/gtest.h>

#include "core/base/text_utils.h"

using namespace tunecrest;

TEST(DateTime, DayNumbersMatchTheStoredEpoch) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
    for (double d : {-600000.0, -1.0, 0.0, 1.0, 36526.0, 59.0, 60.0, 61.0, 2958465.0}) {
        const TdateParts p = DecodeDate(d);
        EXPECT_EQ(EncodeDate(p.Year, p.Month, p.Day), d) << d;
    }
    EXPECT_EQ(DayOfWeek(0), 7);                          // Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 6)), 1);     // a Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1);
    TDateTime out;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, out));
    EXPECT_TRUE(TryEncodeDate(2024, 2, 29, out));
}

TEST(DateTime, TimeStampsAndTimes) {
    const TDateTime t = EncodeDate(2026, 3, 4) + EncodeTime(5, 6, 7, 89);
    EXPECT_EQ(FormatTimeStamp(t), "20260304050607089");
    const TtimeParts p = DecodeTime(t);
    EXPECT_EQ(p.Hour, 5);
    EXPECT_EQ(p.Minute, 6);
    EXPECT_EQ(p.Second, 7);
    EXPECT_EQ(p.Millisecond, 89);
    EXPECT_EQ(UnixToDateTime(DateTimeToUnix(t)), EncodeDate(2026, 3, 4) + EncodeTime(5, 6, 7, 0));
}

TEST(DateTime, LocaleFormsWrittenAndReadBackWithTheIsoForm) {
    const TDateTime evening = EncodeDate(2024, 5, 1) + EncodeTime(20, 7, 9, 0);
    const TDateTime midnight = EncodeDate(1999, 12, 31);
    // The formats come from LC_TIME: the C locale's here.
    EXPECT_EQ(LocaleDateFormats().ShortDate, "%m/%d/%y");
    EXPECT_EQ(FormatLocaleDateTime(evening), "05/01/24 20:07:09");
    EXPECT_EQ(FormatLocaleDateTime(midnight), "12/31/99");  // no time at midnight
    TDateTime back = 0;
    ASSERT_TRUE(ParseLocaleDateTime("05/01/24 20:07:09", back));
    EXPECT_EQ(back, evening);
    struct Tcase {
        const char *Date, *Time, *Written;
    };
    for (const Tcase& c : {Tcase{"%d.%m.%Y", "%H:%M:%S", "01.05.2024 20:07:09"},
                           Tcase{"%d/%m/%Y", "%I:%M:%S %p", "01/05/2024 08:07:09 PM"},
                           Tcase{"%Y-%m-%d", "%H:%M:%S", "2024-05-01 20:07:09"}}) {
        SetLocaleDateFormats(TlocaleDateFormats{c.Date, c.Time});
        EXPECT_EQ(FormatLocaleDateTime(evening), c.Written);
        back = 0;
        ASSERT_TRUE(ParseLocaleDateTime(c.Written, back)) << c.Written;
        EXPECT_EQ(back, evening);
        // The ISO form always reads, with or without a time.
        ASSERT_TRUE(ParseLocaleDateTime(" 2024-05-01 20:07:09 ", back));
        EXPECT_EQ(back, evening);
        ASSERT_TRUE(ParseLocaleDateTime(FormatLocaleDate(midnight), back));
        EXPECT_EQ(back, midnight);
        for (const char* bad : {"", "31.02.2024", "yesterday", "2024-05-01 25:00:00", "01.05.2024 x"})
            EXPECT_FALSE(ParseLocaleDateTime(bad, back)) << c.Date << " " << bad;
    }
    SetLocaleDateFormats(std::nullopt);
    EXPECT_EQ(LocaleDateFormats().LongTime, "%H:%M:%S");
}

TEST(TextUtils, CaseFoldingIsAsciiOnly) {
    EXPECT_TRUE(SameText("ABC", "abc"));
    EXPECT_FALSE(SameText("É", "é"));
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_EQ(StrToIntDef(" 42 ", 0), 42);
    EXPECT_EQ(StrToIntDef("4x", 7), 7);
    EXPECT_EQ(StrToIntDef("99999999999", 7), 7);
    EXPECT_EQ(StrToInt64Def("-9223372036854775808", 0), INT64_MIN);
}

TEST(TextUtils, LegacyTextBecomesUtf8) {
    EXPECT_EQ(LegacyTextToUtf8("Caf\xE9"), "Café");
    EXPECT_EQ(LegacyTextToUtf8("Café"), "Café");
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "€");
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));  // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
}
