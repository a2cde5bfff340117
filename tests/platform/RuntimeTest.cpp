// Number test, conversions, Format, Single text, string cutting, dates and the keyed collection.
#include <gtest/gtest.h>

#include "AppError.h"
#include "Dates.h"
#include "KeyedCollection.h"
#include "Runtime.h"

#include <random>

using namespace qv;
using namespace qv::rt;

TEST(NumberTest, AcceptsPlainDecimalsOnly) {
    for (const char* ok : {"5", " 12 ", "-3", "+0.5", ".5", "5.", "007"})
        EXPECT_TRUE(IsNumeric(QString::fromLatin1(ok))) << ok;
    for (const char* bad : {"", "  ", "-", ".", "1,5", "1e2", "&H10", "1.2.3", "12a", "- 5", "\t5"})
        EXPECT_FALSE(IsNumeric(QString::fromLatin1(bad))) << bad;
}

TEST(NumberTest, TextsReadAsTheirExactValue) {
    EXPECT_EQ(ToDouble("20.9"), 20.9);
    EXPECT_EQ(ToDouble(" 0.05 "), 0.05);
    EXPECT_EQ(ToDouble("-12.5"), -12.5);
    EXPECT_EQ(ToDouble("+.5"), 0.5);
    EXPECT_EQ(ToDouble("7."), 7.0);
    EXPECT_EQ(CSng(QStringLiteral("20.6")), 20.6f);
    EXPECT_EQ(CInt(QStringLiteral("1.5")), 2);
    // Beyond a Double's range: an overflow where a whole number or Single is asked for; a
    // fraction below its smallest reads as zero.
    EXPECT_TRUE(std::isinf(ToDouble(QString(400, u'9'))));
    EXPECT_THROW(CSng(QString(400, u'9')), AppError);
    EXPECT_EQ(ToDouble("-0." + QString(400, u'0') + "1"), 0.0);
}

TEST(NumberTest, WholeNumberConversionsRoundHalfToEvenAndOverflow) {
    EXPECT_EQ(CInt(0.5), 0);
    EXPECT_EQ(CInt(1.5), 2);
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(-2.5), -2);
    EXPECT_EQ(CInt(2.6), 3);
    EXPECT_EQ(CInt(32767.4), 32767);
    EXPECT_THROW(CInt(32767.5), AppError);  // rounds to 32768
    EXPECT_THROW(CInt(-32769.0), AppError);
    EXPECT_EQ(CLng(2147483647.0), 2147483647);
    EXPECT_THROW(CLng(2147483648.0), AppError);
    EXPECT_THROW(CLng(std::nan("")), AppError);
    EXPECT_THROW(CSng(1e39), AppError);
    try {
        CInt(QStringLiteral("abc"));
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), ErrTypeMismatch);
    }
}

TEST(NumberTest, FormatRoundsHalfAwayFromZero) {
    EXPECT_EQ(Format(2.5, "#0"), "3");
    EXPECT_EQ(Format(-2.5, "#0"), "-3");
    EXPECT_EQ(Format(0.125, "#0.00"), "0.13");
    EXPECT_EQ(Format(1234.5, "#0.0"), "1234.5");
    EXPECT_EQ(Format(0.05f, "#0.00"), "0.05");
    EXPECT_EQ(Format(9.995, "#0.00"), "9.99");  // 9.995 is held just below the half
    EXPECT_EQ(Format(99.96, "#0.0"), "100.0");
    EXPECT_EQ(Format(5, "00"), "05");
    EXPECT_EQ(Format(-0.004, "#0.00"), "0.00");
    EXPECT_EQ(Format(0.5, "#.0"), ".5");
    EXPECT_THROW(Format(1, "#,##0"), AppError);
}

TEST(NumberTest, SingleTextHasSevenSignificantDigits) {
    EXPECT_EQ(SingleText(0.5f), "0.5");
    EXPECT_EQ(SingleText(-1.0f), "-1");
    EXPECT_EQ(SingleText(100.0f), "100");
    EXPECT_EQ(SingleText(0.05f), "0.05");
    EXPECT_EQ(SingleText(12.5f), "12.5");
    EXPECT_EQ(SingleText(1.0f / 3.0f), "0.3333333");
    EXPECT_EQ(SingleText(12345678.0f), "1.234568E+07");
    EXPECT_EQ(SingleText(20.9f), "20.9");
    EXPECT_EQ(DoubleText(20.9), "20.9");
    EXPECT_EQ(DoubleText(1e20), "1E+20");
    EXPECT_EQ(SingleText(0.00001f), "1E-05");
    EXPECT_EQ(SingleText(-0.0f), "0");
}

TEST(StringCutting, CountsFromOne) {
    EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Mid("abc", 3), "c");
    EXPECT_EQ(Mid("abc", 4, 2), "");
    EXPECT_EQ(Mid("abc", 2, 10), "bc");
    EXPECT_THROW(Mid("abc", 0, 1), AppError);
    EXPECT_EQ(InStr("a b c", " "), 2);
    EXPECT_EQ(InStr("a b c", " ", 3), 4);
    EXPECT_EQ(InStr("abc", "x"), 0);
    EXPECT_EQ(Left("abc", 5), "abc");
    EXPECT_EQ(Right("abc", 2), "bc");
    EXPECT_EQ(Trim(" \ta  "), "\ta");
    EXPECT_EQ(PadCut("ab", 4), "ab  ");
    EXPECT_EQ(PadCut("abcdef", 4), "abcd");
}

TEST(DateTest, AssemblyCarriesOver) {
    EXPECT_EQ(DateSerial(2014, 13, 1), MakeDate(2015, 1, 1));
    EXPECT_EQ(DateSerial(2014, 2, 30), MakeDate(2014, 3, 2));
    EXPECT_EQ(DateSerial(2014, 3, 0), MakeDate(2014, 2, 28));
    EXPECT_EQ(DateSerial(2014, 0, 1), MakeDate(2013, 12, 1));
    EXPECT_EQ(AddSeconds(DateSerial(2014, 5, 13), TimeSerial(25, 0, 61)),
              MakeDate(2014, 5, 14, 1, 1, 1));
    EXPECT_EQ(ZeroDate(), MakeDate(1899, 12, 30));
}

TEST(DateTest, FormatsWithThePatternLetters) {
    const QDateTime d = MakeDate(2014, 8, 8, 12, 30, 5);
    EXPECT_EQ(FormatDate(d, "mm/yy"), "08/14");
    EXPECT_EQ(FormatDate(d, "ddhhnnss"), "08123005");
    EXPECT_EQ(FormatDate(d, "hh:nn:ss"), "12:30:05");
    EXPECT_EQ(FormatDate(d, "hh:mm:ss"), "12:30:05");
    EXPECT_EQ(FormatDate(d, "mm/dd hh:nn:ss"), "08/08 12:30:05");
    EXPECT_EQ(FormatDate(d, "yyyy/mm/dd"), "2014/08/08");
    EXPECT_EQ(FormatDate(d, "mm\"/\"dd\"/\"yy"), "08/08/14");
    EXPECT_EQ(IsoText(d), "2014-08-08 12:30:05");
    EXPECT_EQ(FromIsoText("2014-08-08 12:30:05"), d);
    EXPECT_FALSE(FromIsoText("garbage").isValid());
}

TEST(DateTest, NowComesFromTheInstalledClock) {
    struct Fixed : Clock {
        QDateTime now() const override { return MakeDate(2020, 1, 2, 3, 4, 5); }
    };
    SetClock(std::make_shared<Fixed>());
    EXPECT_EQ(Now(), MakeDate(2020, 1, 2, 3, 4, 5));
    SetClock(nullptr);
    EXPECT_NE(Now(), MakeDate(2020, 1, 2, 3, 4, 5));
}

TEST(KeyedCollectionTest, KeepsOrderAndComparesKeysBlindToCase) {
    KeyedCollection<int> c;
    c.add(std::make_shared<int>(1), "01 L");
    c.add(std::make_shared<int>(2), "02 L");
    c.add(std::make_shared<int>(3));
    EXPECT_EQ(*c.item("01 l"), 1);
    EXPECT_EQ(*c.item(2), 2);
    EXPECT_EQ(c.item(0), nullptr);
    EXPECT_EQ(c.item(4), nullptr);
    EXPECT_EQ(c.item("zz"), nullptr);
    EXPECT_THROW(c.add(std::make_shared<int>(9), "01 L"), AppError);
    EXPECT_THROW(c.remove(QStringLiteral("zz")), AppError);
    c.remove(QStringLiteral("01 L"));
    std::vector<int> seen;
    for (const auto& p : c)
        seen.push_back(*p);
    EXPECT_EQ(seen, (std::vector<int>{2, 3}));
}

TEST(NumberTest, RandomTextNeverCrashesTheConversions) {
    std::mt19937 rng(1234);
    const QString alphabet = QStringLiteral(" +-.0123456789eE,&Hx~\t");
    for (int i = 0; i < 20000; ++i) {
        QString s;
        const int n = static_cast<int>(rng() % 12);
        for (int k = 0; k < n; ++k)
            s += alphabet[static_cast<int>(rng() % alphabet.size())];
        if (IsNumeric(s)) {
            const double v = ToDouble(s);
            EXPECT_FALSE(std::isnan(v));
            try {
                CInt(s);
                CLng(s);
            } catch (const AppError& e) {
                EXPECT_EQ(e.number(), ErrOverflow);
            }
        } else {
            EXPECT_THROW(ToDouble(s), AppError);
        }
    }
}
