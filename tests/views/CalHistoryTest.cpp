// Calibration due dates at the edges of the rule, and the calibration history page through a
// test host on the shared fixture database with latest calibrations added (layouts, colours,
// Null cells, selection, print lookup, Delete, database failures, a screenshot per layout);
// then on the main window after a download from the simulator. "Now" is fixed.
#include "CalHistoryPage.h"
#include "Dates.h"
#include "FixtureDatabase.h"
#include "InstrumentSimulator.h"
#include "ShellFixture.h"
#include "TextFitWindow.h"
#include "frmPassword.h"
#include "modCalDue.h"
#include "modDatabase.h"

#include <QDir>

namespace qv::test {
namespace {

const QDateTime kNow = rt::MakeDate(2024, 6, 15, 12, 0, 0);
struct FixedNow : rt::Clock {
    QDateTime now() const override { return kNow; }
};
QDateTime DaysAgo(double days) {
    return rt::AddSeconds(kNow, static_cast<qint64>(-days * 86400));
}
constexpr double kCleared = -1;  // the date of a channel never calibrated
constexpr int32_t kRed = CalOverdueColor, kOrange = CalDueSoonColor;
constexpr int32_t kPink = ui::RGB(255, 64, 224);

// One latest calibration: interval 180 days, gas names CH4 OXY H2S "CO " CH4 unless given, one
// decimal place, before 12.34, after -8 (CALIB.), span 20; gas 5 all Null when asked.
void AddLatestCal(const FixtureIdentity& id, double writtenAgo, std::array<double, 5> calAgo,
                  bool nullGas5 = false,
                  const QStringList& names = {"CH4", "OXY", "H2S", "CO ", "CH4"}) {
    Database db(DatabasePath);
    QString columns = "SeqNo,SerialNo,StationID,UserID,WriteDates,CalLimit";
    QVariantList values{NextSeqNo(db, "cLatestHist"), id.serial, id.station, id.user,
                        DaysAgo(writtenAgo),          180};
    for (int g = 1; g <= (nullGas5 ? 4 : 5); ++g) {
        const double ago = calAgo[static_cast<size_t>(g - 1)];
        columns += QString(
                       ",Gas%1Name,Gas%1Point,Gas%1CalDate,Gas%1Before,Gas%1After,"
                       "Gas%1AutoCal")
                       .arg(g);
        values << names[g - 1] << 1 << (ago == kCleared ? rt::MakeDate(1900, 1, 1) : DaysAgo(ago))
               << 12.34 << -8.0 << 20.0;
    }
    db.execute(QString("Insert Into cLatestHist (%1) Values (?%2)")
                   .arg(columns, QString(",?").repeated(values.size() - 1)),
               values);
}

class CalHistory : public ::testing::Test {
  protected:
    void SetUp() override {
        rt::SetClock(std::make_shared<FixedNow>());
        SetCatalogueLanguage(CatalogueLanguage::English);
        LimitDays = 30;
        // Latest download first: A, D, B, C.
        AddLatestCal(FixtureDatabase::A(), 1, {200, 170, 10, kCleared, 0}, true);
        AddLatestCal(FixtureDatabase::D(), 2, {kCleared, 5, 5, 5, 5});
        AddLatestCal(FixtureDatabase::B(), 3, {5, 5, 5, 5, 181});
        AddLatestCal(FixtureDatabase::C(), 100, {10, 10, 10, 10, 10});
        page.Bind({firstActivate, inSelChange, [this] { PasswordOK = password; },
                   [this](int32_t s, const ui::TextTable&) { printed << s; }});
        page.SetCaptions();
    }
    void TearDown() override {
        LimitDays = 0;
        FollowSystemLanguage();
        rt::SetClock(nullptr);
    }
    // Choosing another layout fills the page; the page button fills it again.
    void Show(int layout) {
        QRadioButton* button = page.optHistory[static_cast<size_t>(layout)];
        button->isChecked() ? page.ShowCalHistory() : button->setChecked(true);
    }
    QStringList Texts(int row, int from = 0) const {
        QStringList texts;
        for (int c = from; c < grid.Cols(); ++c)
            texts << grid.TextMatrix(row, c);
        return texts;
    }
    std::vector<int32_t> Colors(int row, int from) {
        std::vector<int32_t> colors;
        for (int c = from; c < grid.Cols(); ++c) {
            grid.SetRow(row);
            grid.SetCol(c);
            colors.push_back(grid.CellBackColor());
        }
        return colors;
    }
    void Delete(int row, bool withPassword, int answer = vbYes) {
        grid.SetRow(row);
        password = withPassword;
        if (withPassword) dialogs.AnswerMsgBox(answer);
        page.mnuHistDel_Click(2);
    }

    FixtureDatabase fixture;
    ScriptedDialogs dialogs;
    bool firstActivate = false, inSelChange = false, password = false;
    QList<int32_t> printed;
    CalHistoryPage page;
    ui::FlexGrid& grid = *page.vfgHistory;
};

TEST_F(CalHistory, DueStateColourAndTextAtTheEdges) {
    const struct {
        QDateTime calDate;
        int calLimit, limitDays, state;
        const char* text;
    } cases[] = {
        {DaysAgo(180), 180, 30, CalDueSoon, "Remaining 0 Day"},  // due this moment
        {DaysAgo(150), 180, 30, CalNotDue, "Remaining 30 Day"},
        {DaysAgo(181), 180, 30, CalOverdue, "Now"},
        {DaysAgo(177.5), 180, 3, CalDueSoon, "Remaining 2 Day"},  // halves to even
        {DaysAgo(180), 180, 0, CalNotDue, "Remaining 0 Day"},     // LimitDays 0
        {DaysAgo(91), 91, 30, CalDueSoon, "Remaining 0 Day"},     // the last-download check
        {DaysAgo(92), 91, 0, CalOverdue, "Now"},
        {kNow, 40000, 30, CalNotDue, "Remaining 40000 Day"},
        {rt::MakeDate(1900, 1, 1), 0, 30, CalNotDue, ""},
    };
    for (const auto& c : cases) {
        LimitDays = static_cast<int16_t>(c.limitDays);
        const std::string what = c.calDate.toString().toStdString();
        EXPECT_EQ(GetCalDueState(c.calDate, c.calLimit), c.state) << what;
        EXPECT_EQ(GetCalDueColor(c.calDate, c.calLimit), (std::array{0, kOrange, kRed}[c.state]))
            << what;
        EXPECT_EQ(GetCalDueText(c.calDate, c.calLimit), c.text) << what;
        EXPECT_EQ(FormatValidDate(c.calDate).isEmpty(), QString(c.text).isEmpty()) << what;
    }
    EXPECT_EQ(FormatValidDate(rt::MakeDate(2000, 1, 1)), "1/1/2000");
}

TEST_F(CalHistory, OneRowPerInstrumentLayoutsColourDueCellsAndOldDownloads) {
    Show(1);
    EXPECT_FALSE(grid.Editable());
    EXPECT_EQ(grid.Rows(), 5);
    // The latest download stored no gas 5: the column is titled by the gas of the rows under it.
    EXPECT_EQ(Texts(0).join(u'|'),
              "No.|SerialNo|UserID|StationID|CH4|OXY|H2S|CO |CH4|Last Download");
    EXPECT_EQ(Texts(1), QStringList({"1", "SN1001", "Alice", "ST-1", GeneralDate(DaysAgo(200)),
                                     GeneralDate(DaysAgo(170)), GeneralDate(DaysAgo(10)), "", "",
                                     GeneralDate(DaysAgo(1))}));
    EXPECT_EQ(Texts(4).mid(1, 3), QStringList({"SN2002", "O'Brien", "x' Or ''='"}));
    const std::vector<std::vector<int32_t>> colors{{kRed, kOrange, 0, 0, 0, 0},
                                                   {0, 0, 0, 0, 0, 0},
                                                   {0, 0, 0, 0, kRed, 0},
                                                   {0, 0, 0, 0, 0, kPink}};
    for (int r = 1; r <= 4; ++r)
        EXPECT_EQ(Colors(r, 4), colors[static_cast<size_t>(r - 1)]) << r;

    Show(0);  // A and B only, keeping their numbers
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(grid.TextMatrix(2, 0), "3");

    // An instrument with H2S on the fourth channel, due soon there: that column's dates are of
    // two gases, and its title names both, not the latest download's alone.
    AddLatestCal(FixtureDatabase::E(), 50, {5, 5, 5, 175, 5}, false,
                 {"CH4", "OXY", "H2S", "H2S", "CH4"});
    for (int layout : {1, 0}) {
        Show(layout);
        EXPECT_EQ(Texts(0).mid(4, 5).join(u'|'), "CH4|OXY|H2S|CO/H2S|CH4") << layout;
    }
}

TEST_F(CalHistory, CalibrationRecordLayoutHasFiveRowsPerInstrument) {
    Show(2);
    EXPECT_EQ(grid.Rows(), 21);
    EXPECT_EQ(Texts(1), QStringList({"1", "SN1001", "Alice", "ST-1", "CH4", " 12.3", "CALIB.",
                                     " 20.0", "Now"}));
    EXPECT_EQ(Texts(2, 4).join(u'|'), "OXY| 12.3|CALIB.| 20.0|Remaining 10 Day");
    EXPECT_EQ(Texts(4, 8), QStringList{""});                                 // never calibrated
    EXPECT_EQ(Texts(5), QStringList({"", "", "", "", "", "", "", "", ""}));  // gas 5 Null
    EXPECT_EQ(grid.TextMatrix(6, 0), "2");
    for (int r = 1; r <= 5; ++r)
        EXPECT_EQ(Colors(r, 8)[0], (std::array{kRed, kOrange, 0, 0, 0}[r - 1])) << r;

    // Row numbers are not 16-bit: 6,554 instruments in 32,771 rows.
    Database(DatabasePath)
        .execute(
            "With Recursive n(i) As (Select 5 Union All Select i + 1 "
            "From n Where i < 6554) Insert Into cLatestHist (SeqNo, "
            "SerialNo) Select i, i From n");
    Show(2);
    EXPECT_EQ(grid.Rows(), 5 * 6554 + 1);
    EXPECT_EQ(grid.TextMatrix(5 * 6553 + 1, 0), "6554");
}

TEST_F(CalHistory, OneRowSelectedPrintFindsItsLogDeleteNeedsThePasswordAndTakesItsIdentity) {
    Show(1);
    page.mnuHistDel_Click(0);  // no row chosen yet
    grid.SetRow(1);
    grid.SetRowSel(3);
    EXPECT_EQ(grid.RowSel(), 1);
    for (int row : {4, 3}) {  // C has a calibration-history log, B none
        grid.SetRow(row);
        page.mnuHistDel_Click(0);
    }
    EXPECT_EQ(printed, QList<int32_t>({fixture.logs().historyC, 0}));
    Delete(4, false);
    Delete(4, true, vbNo);
    EXPECT_EQ(dialogs.messages(), QStringList{"Delete History : SerialNo=SN2002"});
    EXPECT_EQ(fixture.count("cLatestHist"), 4);
    Delete(4, true);  // C: quotes in its station and user
    Delete(2, true);  // D: stored as "*"
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(Texts(1, 1).mid(0, 3) + Texts(2, 1).mid(0, 3),
              QStringList({"SN1001", "Alice", "ST-1", "sn1001", "ALICE", "St-2"}));
    firstActivate = true;  // before the first activation a layout changes nothing
    page.optHistory[2]->setChecked(true);
    EXPECT_EQ(grid.Rows(), 3);
}

TEST_F(CalHistory, DatabaseFailuresGiveAMessageAndAnEmptyPage) {
    Show(1);
    Database(DatabasePath)
        .execute(
            "Create Trigger Locked Before Delete On cLatestHist Begin "
            "Select RAISE(ABORT, 'database is locked'); End");
    Delete(1, true);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(fixture.count("cLatestHist"), 4);
    Show(1);
    Database(DatabasePath).execute("Alter Table cLatestHist Drop Column Gas5After");
    Show(1);
    EXPECT_EQ(Texts(0), QStringList(9, ""));
    const QStringList m = dialogs.messages();
    ASSERT_EQ(m.size(), 3) << m.join(u'|').toStdString();
    EXPECT_TRUE(m[1].contains("database is locked") && m[2].contains("Gas5After"));
}

// The latest calibrations of two instruments as a download writes them: full dates, a long
// serial number and identities, values with decimals.
void AddDownloadedCalibrations() {
    Database db(DatabasePath);
    const QDateTime calibrated = rt::MakeDate(2014, 4, 1, 9, 30, 0);
    for (int i = 0; i < 2; ++i) {
        QString columns = "SeqNo,SerialNo,StationID,UserID,WriteDates,CalLimit";
        QVariantList values{i + 1,
                            QString("SN123456789%1").arg(i),
                            "STATION01",
                            "USER01",
                            rt::MakeDate(2014, 4, 11, 10, 45, 30).addDays(i),
                            180};
        for (int g = 1; g <= 5; ++g) {
            columns += QString(
                           ",Gas%1Name,Gas%1Point,Gas%1CalDate,Gas%1Before,Gas%1After,"
                           "Gas%1AutoCal")
                           .arg(g);
            values << QStringList{"CH4", "OXY", "H2S", "CO ", "CH4"}[g - 1] << 2
                   << calibrated.addSecs(3600 * g) << 123.45 << -8.0 << 50.25;
        }
        db.execute(QString("Insert Into cLatestHist (%1) Values (?%2)")
                       .arg(columns, QString(",?").repeated(values.size() - 1)),
                   values);
    }
}

// Each layout in the window at its default size, grabbed to calhistory_layout0..2.png (English)
// and calhistory_layout0..2_ja.png: no cell, caption or button shows its text cut.
TEST_F(TextFit, ScreenshotOfEachLayoutShowsEveryTextWhole) {
    QDir().mkpath(QV_SCREENSHOT_DIR);
    for (const CatalogueLanguage language :
         {CatalogueLanguage::English, CatalogueLanguage::Japanese}) {
        auto main = Start(language);
        AddDownloadedCalibrations();
        CalHistoryPage& page = *main->pageCalHistory;
        const bool ja = language == CatalogueLanguage::Japanese;
        for (int layout = 0; layout < 3; ++layout) {
            main->cmdInst_Click(3);
            page.optHistory[static_cast<size_t>(layout)]->setChecked(true);
            page.ShowCalHistory();
            QCoreApplication::processEvents();
            const std::string what =
                std::string(Name(language)) + " layout " + std::to_string(layout);
            ASSERT_GT(page.vfgHistory->Rows(), 1) << what;
            EXPECT_EQ(CutCells(*page.vfgHistory), QStringList()) << what;
            EXPECT_EQ(CutCaptions(page), QStringList()) << what;
            const QString path = QString(QV_SCREENSHOT_DIR "/calhistory_layout%1%2.png")
                                     .arg(layout)
                                     .arg(ja ? "_ja" : "");
            EXPECT_TRUE(page.grab().save(path, "PNG")) << path.toStdString();
        }
        QFile::remove(DatabasePath);
        MakeDatabase(DatabasePath);
    }
}

TEST_F(ShellTest, AnInstrumentDownloadedFromTheSimulatorIsListedAndDeleted) {
    sim::InstrumentSimulator sim;
    ASSERT_TRUE(sim.Start());
    auto main = std::make_unique<frmMain>(
        nullptr, std::make_unique<ListPortFinder>(QStringList{sim.Path()}));
    ASSERT_TRUE(main->Form_Load());
    main->show();
    main->Form_Activate();
    ASSERT_TRUE(WaitFor([&] { return main->uclQV4170.Connected(); }));
    main->pageDownload->cmdDown_Click(1);
    main->cmdInst_Click(3);
    ui::FlexGrid& grid = *main->pageCalHistory->vfgHistory;
    ASSERT_EQ(grid.Rows(), 2);  // calibrated in 2014: it needs calibration
    EXPECT_EQ(grid.TextMatrix(1, 1), "SN1234567890");
    EXPECT_EQ(grid.TextMatrix(1, 4), "4/1/2014 9:30:00 AM");

    // Delete from the pop-up menu, through the window's password dialog.
    grid.SetRow(1);
    dialogs_->AnswerMenu("Delete");
    dialogs_->AnswerModal([](QDialog& shown) {
        auto& dialog = dynamic_cast<frmPassword&>(shown);
        dialog.txtPass->setText("qzt");
        dialog.cmdPass_Click(0);
        return dialog.result();
    });
    dialogs_->AnswerMsgBox(vbYes);
    main->pageCalHistory->vfgHistory_MouseUp(ui::RightButton, 0, 300, 300);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(dialogs_->messages().last(), "Calibration data not found.");
}

}  // namespace
}  // namespace qv::test
