// Key helpers and the settings scrambler.
#include <gtest/gtest.h>

#include "AppError.h"
#include "modKeys.h"
#include "modScrambler.h"

#include <random>

using namespace qv;

TEST(Keys, IdentifierCharacters) {
    for (char c : {'a', 'Z', '5', ' ', '*', '-'})
        EXPECT_TRUE(IsIdChar(c)) << c;
    for (int c : std::initializer_list<int>{'_', '.', '/', '~', 8, 123, 0, -1})
        EXPECT_FALSE(IsIdChar(static_cast<int16_t>(c))) << c;
}

// What an edit of an identity keeps: the characters it brings in that the filter refuses, or
// that the field has no room for, go; what the text held before stays whatever it is.
TEST(Keys, AnIdentityEditKeepsWhatWasThere) {
    const struct {
        const char *before, *after;
        int longest;
        const char* kept;
        qsizetype cursor;
    } cases[] = {
        {"(a)[b]{c}", "(a)[b]{c}X", 10, "(a)[b]{c}X", 10},             // typed at the end
        {"u_s.r#1", "u_sQ_R.r#1", 10, "u_sQR.r#1", 5},                 // pasted into the middle
        {"u_s.r#1", "u_s._r#1", 10, "u_s.r#1", 4},                     // refused outright
        {"", "AB,C_D-e*0123456", 10, "ABCD-e*012", 10},                // pasted into an empty field
        {"ABCDEFGHIJ", "ABCDEFGHIJK", 10, "ABCDEFGHIJ", 10},           // no room
        {"ABCDEFGHIJ", "AXYJ", 10, "AXYJ", 3},                         // typed over a selection
        {"A_B_C_D_E_F_G", "A_B_C_D_E_F_GH", 10, "A_B_C_D_E_F_G", 13},  // longer as read
        {"(a)[b]", "(a)[", 10, "(a)[", 4},                             // deleting is always kept
        {"aa", "aaa", 10, "aaa", 3},
        {"ab", "a\u00e9b", 10, "ab", 1},  // no character beyond ASCII
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.before) + " -> " + c.after);
        const IdEdit kept =
            KeepIdEdit(QString::fromUtf8(c.before), QString::fromUtf8(c.after), c.longest);
        EXPECT_EQ(kept.text, QString::fromUtf8(c.kept));
        EXPECT_EQ(kept.cursor, c.cursor);
    }
}

TEST(Keys, EmptyIdentitiesBecomeAStar) {
    EXPECT_EQ(TrimOrStar("  AB  "), "AB");
    EXPECT_EQ(TrimOrStar(""), "*");
    EXPECT_EQ(TrimOrStar("   "), "*");
    EXPECT_EQ(TrimOrStar("\t"), "\t");
}

TEST(Keys, TreeKeysComeApart) {
    EXPECT_EQ(GetLeadingNumber("42 G"), 42);
    EXPECT_EQ(GetLeadingNumber(""), 0);
    EXPECT_THROW(GetLeadingNumber("42"), AppError);
    EXPECT_THROW(GetLeadingNumber("x G"), AppError);
    EXPECT_EQ(DropLastTwo("ab"), "");
    EXPECT_EQ(DropLastTwo("A S"), "A");
    EXPECT_EQ(DropLastTwo("12345 G"), "12345");
    EXPECT_EQ(GetLastWord("12345 G"), "G");
    EXPECT_EQ(GetLastWord("A B C"), "C");
    EXPECT_EQ(GetLastWord("word"), "word");
    EXPECT_EQ(GetLastWord("word "), "");
    EXPECT_EQ(GetLastWord("A B C  "), "C");
}

TEST(Scrambler, RoundTripsAndShiftsByPosition) {
    EXPECT_EQ(EncodeText(""), "");
    EXPECT_EQ(DecodeText(""), "");
    const QString twice = EncodeText(EncodeText("secret"));
    EXPECT_EQ(twice.size(), 24);
    EXPECT_EQ(DecodeText(DecodeText(twice)), "secret");
    const QString aa = EncodeText("aa");
    EXPECT_NE(aa.left(2), aa.mid(2, 2));
    for (QChar c : twice)
        EXPECT_TRUE(c >= u'F' && c <= u'U');
    EXPECT_EQ(DecodeText(EncodeText("ab") + "G"), "ab");  // an odd letter is ignored
}

TEST(Scrambler, ForeignTextRaisesInsteadOfCrashing) {
    EXPECT_THROW(DecodeText("AA"), AppError);  // second letter before "F"
    std::mt19937 rng(3);
    for (int i = 0; i < 5000; ++i) {
        QString s;
        const int n = static_cast<int>(rng() % 20);
        for (int k = 0; k < n; ++k)
            s += QChar(static_cast<char16_t>(rng() % 0x3000));
        try {
            DecodeText(s);
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), ErrInvalidCall);
        }
    }
}
