// The data view page at the window's default size, in English and in Japanese: every kind of log
// as a table and the trends as a graph show their captions, headings and values whole.
#include "DataViewPage.h"
#include "Dates.h"
#include "FixtureDatabase.h"
#include "TextFitWindow.h"
#include "modDatabase.h"

namespace qv::test {
namespace {

TEST_F(TextFit, DataViewCaptionsAndCellsAreWholeInTableAndGraph) {
    for (const CatalogueLanguage language :
         {CatalogueLanguage::English, CatalogueLanguage::Japanese}) {
        auto main = Start(language);
        const QDateTime may = rt::MakeDate(2024, 5, 14, 10, 0, 0);
        std::vector<std::pair<int32_t, int32_t>> logs;
        {
            FixtureBuilder b(DatabasePath);
            const FixtureIdentity id = FixtureDatabase::A();
            logs = {{TypeInterval, b.AddInterval(id, "iv14100000", may, 100, 60, 3)},
                    {TypeAlarmTrend, b.AddAlarmTrend(id, "al14120000", may, 731, {1, 2, 3, 4})},
                    {TypeCalHistory, b.AddHistory(id, {may, may.addDays(3)})},
                    {TypeAlarmEvents, b.AddAlarmEvents(id, may, 4)},
                    {TypeTroubleEvents, b.AddTroubleEvents(id, may, 6, {0, 1, 2, 3, 4})},
                    {TypePowerEvents, b.AddPowerEvents(id, may, 2)}};
        }
        DataViewPage& page = *main->pageDataView;
        for (const auto& [kind, seqNo] : logs) {
            const std::string what = std::string(Name(language)) + " kind " + std::to_string(kind);
            main->CurDataType = kind;
            main->CurSeqNo = seqNo;
            page.cmdDetail_Click();
            page.optBrowse[0]->click();
            QCoreApplication::processEvents();
            ASSERT_TRUE(page.vfgBrowse->isVisible()) << what;
            EXPECT_EQ(CutCaptions(page), QStringList()) << what;
            EXPECT_EQ(CutCells(*page.vfgBrowse), QStringList()) << what;
            EXPECT_EQ(CutCells(*page.vfgSummary), QStringList()) << what;
            if (kind != TypeInterval && kind != TypeAlarmTrend) continue;
            page.optBrowse[1]->click();
            QCoreApplication::processEvents();
            ASSERT_TRUE(page.vtmGraph->isVisible()) << what;
            EXPECT_EQ(CutCaptions(page), QStringList()) << what << " graph";
        }
        QFile::remove(DatabasePath);
        MakeDatabase(DatabasePath);
    }
}

}  // namespace
}  // namespace qv::test
