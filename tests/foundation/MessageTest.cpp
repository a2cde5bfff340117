// The message catalogue: both tables, placeholder substitution, language and date display.
#include <gtest/gtest.h>

#include "AppError.h"
#include "Dates.h"
#include "modMessage.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <random>
#include <set>

using namespace qv;

namespace {
struct English : ::testing::Test {
    void SetUp() override { SetCatalogueLanguage(CatalogueLanguage::English); }
    void TearDown() override { FollowSystemLanguage(); }
};
}  // namespace

TEST(Catalogue, BothTablesHoldTheSameIds) {
    const auto en = CatalogueIds(CatalogueLanguage::English);
    const auto ja = CatalogueIds(CatalogueLanguage::Japanese);
    EXPECT_GT(en.size(), 3u);
    EXPECT_EQ(en, ja);
    EXPECT_EQ(RawMessage(101, CatalogueLanguage::English), "EN");
    EXPECT_EQ(RawMessage(101, CatalogueLanguage::Japanese), "JP");
}

TEST(Catalogue, EveryIdTheCodeAsksForExists) {
    // Every literal message number passed to GetMessage anywhere in the sources.
    const QRegularExpression call(QStringLiteral(R"(GetMessage\(\s*(\d+))"));
    std::set<int> asked;
    QDirIterator it(QStringLiteral(QV_SOURCE_DIR), {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        for (auto m = call.globalMatch(text); m.hasNext();)
            asked.insert(m.next().captured(1).toInt());
    }
    for (int id : asked) {
        EXPECT_TRUE(HasMessage(id, CatalogueLanguage::English)) << id;
        EXPECT_TRUE(HasMessage(id, CatalogueLanguage::Japanese)) << id;
    }
}

TEST_F(English, SubstitutesArgumentsBreaksAndTabs) {
    EXPECT_EQ(GetMessage(4001, {"LogA"}), "New Data! Name - LogA");
    EXPECT_EQ(GetMessage(4001), "New Data! Name - ");
    EXPECT_THROW(GetMessage(4), AppError);
}

TEST_F(English, ArgumentsAreInsertedAsTheyAre) {
    // 4001 is "New Data! Name - ~1": markers inside an argument stay as typed.
    EXPECT_EQ(GetMessage(4001, {"a~tb"}), "New Data! Name - a~tb");
    EXPECT_EQ(GetMessage(4001, {"a~Cb"}), "New Data! Name - a~Cb");
    EXPECT_EQ(GetMessage(4001, {"x~0y~7z"}), "New Data! Name - x~0y~7z");
    EXPECT_EQ(GetMessage(4001, {"end~"}), "New Data! Name - end~");
    EXPECT_EQ(GetMessage(4001, {"~1"}), "New Data! Name - ~1");
    EXPECT_EQ(GetMessage(4001, {"~2", "other"}), "New Data! Name - ~2");
    // A gas name with a marker in the calibration-history header keeps the ten columns.
    const QStringList names{"CH4", "O2~1", "H2S~c", "CO ", "~t"};
    const QStringList columns = GetMessage(5661, names).split(u'|');
    ASSERT_EQ(columns.size(), 10);
    EXPECT_EQ(columns.mid(4, 5), names);
    EXPECT_EQ(columns[9], "Last Download");
    // The message's own markers are still substituted.
    EXPECT_EQ(GetMessage(8001), "This instrument would not accept the command. \r\n Check the "
                                "software version number.");
}

TEST_F(English, AnyArgumentComesBackWhole) {
    std::mt19937 rng(99);
    const QString alphabet = QStringLiteral("~~~0123456789cCtTxa |");
    for (int i = 0; i < 3000; ++i) {
        QStringList args;
        for (int a = 0; a < 3; ++a) {
            QString s;
            for (int k = 0; k < 6; ++k)
                s += alphabet[static_cast<int>(rng() % alphabet.size())];
            args << s;
        }
        ASSERT_EQ(GetMessage(4001, args), "New Data! Name - " + args[0]);
    }
}

TEST(Catalogue, FollowsTheChosenLanguage) {
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    EXPECT_EQ(GetMessage(101), "JP");
    SetCatalogueLanguage(CatalogueLanguage::English);
    EXPECT_EQ(GetMessage(101), "EN");
    FollowSystemLanguage();
}

TEST(Catalogue, GeneralDateHasOneFormPerLanguage) {
    const QDateTime afternoon = rt::MakeDate(2014, 5, 3, 14, 5, 9);
    const QDateTime midnight = rt::MakeDate(2014, 5, 3);
    SetCatalogueLanguage(CatalogueLanguage::English);
    EXPECT_EQ(GeneralDate(afternoon), "5/3/2014 2:05:09 PM");
    EXPECT_EQ(GeneralDate(rt::MakeDate(2014, 5, 3, 0, 0, 1)), "5/3/2014 12:00:01 AM");
    EXPECT_EQ(GeneralDate(midnight), "5/3/2014");
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    EXPECT_EQ(GeneralDate(afternoon), "2014/05/03 14:05:09");
    EXPECT_EQ(GeneralDate(midnight), "2014/05/03");
    FollowSystemLanguage();
}
