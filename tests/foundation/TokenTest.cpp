// The line tokenizer with the settings file's set-up (TAB, quote ', comment ;).
#include <gtest/gtest.h>

#include "AppError.h"
#include "clsToken.h"

#include <random>

using namespace qv;

namespace {
clsToken SettingsTokenizer() {
    clsToken t;
    t.ClearComments();
    t.ClearDelimiters();
    t.ClearStrings();
    t.AddComments(";");
    t.AddDelimiters("\t");
    t.AddStrings("'");
    return t;
}
}  // namespace

TEST(Tokenizer, SplitsKeysValuesAndComments) {
    clsToken t = SettingsTokenizer();
    t.SetSource("Execute Count\t5");
    ASSERT_EQ(t.TokenCount(), 2);
    EXPECT_EQ(t.Tokens(0), "Execute Count");
    EXPECT_EQ(t.Tokens(1), "5");

    t.SetSource(";comment line");
    EXPECT_EQ(t.TokenCount(), 0);
    EXPECT_EQ(t.Tokens(0), "comment line");

    t.SetSource("key\tvalue\t;remark");
    EXPECT_EQ(t.TokenCount(), 2);
    EXPECT_EQ(t.Tokens(2), "remark");

    t.SetSource("key\tvalue;remark");  // the value is dropped: no delimiter closed it
    EXPECT_EQ(t.TokenCount(), 1);
    EXPECT_EQ(t.Tokens(1), "remark");
}

TEST(Tokenizer, QuotesAndEmptyFields) {
    clsToken t = SettingsTokenizer();
    t.SetSource("a\t\tb\t''\t'x\t;y'");
    ASSERT_EQ(t.TokenCount(), 4);
    EXPECT_EQ(t.Tokens(1), "b");
    EXPECT_EQ(t.Tokens(2), "");
    EXPECT_EQ(t.Tokens(3), "x\t;y");

    t.SetSource("abc'def'");
    ASSERT_EQ(t.TokenCount(), 1);
    EXPECT_EQ(t.Tokens(0), "def");

    t.SetSource("  MS Gothic  \tx");
    EXPECT_EQ(t.Tokens(0), "  MS Gothic  ");
}

TEST(Tokenizer, EarlierSlotsSurviveAShorterSplit) {
    clsToken t = SettingsTokenizer();
    t.SetSource("a\tb\tc");
    t.SetSource("z");
    EXPECT_EQ(t.TokenCount(), 1);
    EXPECT_EQ(t.Tokens(1), "b");
    EXPECT_EQ(t.Tokens(2), "c");
    t.SetSource("");
    EXPECT_EQ(t.TokenCount(), 0);
    EXPECT_EQ(t.Tokens(0), "z");
}

TEST(Tokenizer, ListsAndIndexesAreBounded) {
    clsToken t;
    for (int i = 0; i < 12; ++i)
        t.AddDelimiters(QString(QChar('a' + i)));
    EXPECT_EQ(t.DelimiterCount(), 10);
    EXPECT_EQ(t.Delimiters(9), "j");
    EXPECT_EQ(t.Delimiters(10), "");
    EXPECT_EQ(t.Delimiters(-1), "");
    t.SetDelimiters(10, "z");  // ignored
    t.AddComments("a");        // a later list wins: "a" is now a comment character
    t.SetSource("xxaYY");
    EXPECT_EQ(t.TokenCount(), 0);
    EXPECT_EQ(t.Tokens(0), "YY");
    EXPECT_EQ(t.Tokens(50), "");
    EXPECT_EQ(t.Tokens(-3), "");
    EXPECT_THROW(t.SetTokens(51, "x"), AppError);
}

TEST(Tokenizer, MoreFieldsThanSlotsStayInside) {
    clsToken t = SettingsTokenizer();
    QString line;
    for (int i = 0; i < 80; ++i)
        line += QString::number(i) + "\t";
    line += ";tail";
    t.SetSource(line);
    EXPECT_EQ(t.TokenCount(), clsToken::kSlots);
    EXPECT_EQ(t.Tokens(49), "49");
}

TEST(Tokenizer, RandomTextNeverCrashes) {
    clsToken t = SettingsTokenizer();
    t.AddDelimiters(",");
    std::mt19937 rng(7);
    const QString alphabet = QStringLiteral("ab ,\t';\"\r\n~");
    for (int i = 0; i < 5000; ++i) {
        QString s;
        const int n = static_cast<int>(rng() % 200);
        for (int k = 0; k < n; ++k)
            s += alphabet[static_cast<int>(rng() % alphabet.size())];
        t.SetSource(s);
        EXPECT_LE(t.TokenCount(), clsToken::kSlots);
    }
}
