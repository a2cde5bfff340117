// The status log, the progress dialog, and the download steps where a store fails or the
// latest calibration cannot be read.
#include "Database.h"
#include "PageRig.h"

#include <gtest/gtest.h>

#include <QTextCursor>

namespace qv::test {
namespace {

TEST(StatusLog, LinesGoAtTheEndInTheirColourWhateverIsSelected) {
    PageRig rig;
    rig.page->AddLogLine(GetMessage(5420), LogColor::Progress);  // ends in a line break
    QTextCursor selection(rig.page->rtbLog->document());
    selection.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    rig.page->rtbLog->setTextCursor(selection);
    rig.page->AddLogLine(QStringLiteral("second"), LogColor::Failure);
    const auto lines = rig.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "QV-4170 Interval Trend Download Complete.");
    EXPECT_EQ(lines[0].color, ui::RGB(0, 192, 0));
    EXPECT_EQ(lines[1].text, "");
    EXPECT_EQ(lines[2].text, "second");
    EXPECT_EQ(lines[2].color, ui::RGB(255, 0, 0));
}

TEST(ProgressDialog, TextsSizeAndASingleCancelFollowTheOperation) {
    PageRig rig;
    // Calibrations cannot be cancelled; without the button the window is shorter.
    const struct {
        int16_t mode;
        int text;
        bool cancel;
    } cases[] = {{OpIdle, 6004, false},
                 {OpSingleDownload, 6001, true},
                 {OpZeroCalibration, 6002, false},
                 {OpSpanCalibration, 6003, false},
                 {OpCompleteDownload, 6004, true},
                 {OpAutomatic, 6004, true}};
    for (const auto& c : cases) {
        OperationMode = c.mode;
        frmUpload dialog([] {});
        dialog.Form_Load();
        EXPECT_EQ(dialog.lblUpload->text(), GetMessage(c.text)) << c.mode;
        EXPECT_EQ(!dialog.cmdUpload->isHidden(), c.cancel) << c.mode;
        dialog.resize(500, 500);
        dialog.Form_Resize();
        EXPECT_NEAR(
            ui::Height(&dialog),
            64 * ui::TwipsPerPixelY() + (c.cancel ? 2.6 : 2.0) * ui::Height(dialog.lblUpload),
            ui::TwipsPerPixelY())
            << c.mode;
    }
    // Every frame of the animation is drawn inside its area: its top row stays background.
    {
        frmUpload dialog([] {});
        dialog.Form_Load();
        FileMoveAnimation* animation = dialog.amnUpload;
        for (int frame = 0; frame < FileMoveAnimation::Frames; ++frame) {
            animation->ShowFrame(frame);
            const QImage image = animation->grab().toImage();
            for (int x = 0; x < image.width(); ++x)
                ASSERT_EQ(image.pixel(x, 0), image.pixel(0, 0)) << frame << " " << x;
        }
    }
    frmUpload* dialog = rig.page->Upload();
    dialog->show();
    dialog->cmdUpload->click();
    dialog->reject();  // Escape does not take it away
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(rig.link.cancel);
    EXPECT_TRUE(dialog->Canceled());
    EXPECT_EQ(dialog->lblUpload->text(), "Now Cancel Processing");
    EXPECT_FALSE(dialog->cmdUpload->isEnabled());
}

TEST(Steps, AStoreThatFailsIsReportedAndLeavesNoHalfLog) {
    PageRig rig;
    Database(DatabasePath).execute(QStringLiteral("Drop Table Interval_Data"));
    bool ok = true;
    EXPECT_NO_THROW(ok = rig.page->DownloadIntervalTrend());
    EXPECT_FALSE(ok);
    const QStringList& written = rig.journal;
    ASSERT_EQ(written.size(), 4);
    EXPECT_EQ(written[1], PageRig::Text(5419));
    EXPECT_TRUE(written[2].contains("Interval_Data")) << written[2].toStdString();
    EXPECT_EQ(rig.ColorOf(written[2]), LogColor::Failure);
    EXPECT_EQ(written[3], PageRig::Text(5421));
    // The header went with the rolled-back transaction.
    EXPECT_EQ(rig.db.count(QStringLiteral("Log_head")), 0);
}

// Each step that stored logs tells the window, so that a page on show lists them; a step that
// stored nothing does not.
TEST(Steps, AStepThatStoredLogsSaysSo) {
    PageRig rig;
    EXPECT_TRUE(rig.page->DownloadIntervalTrend());
    EXPECT_GT(rig.db.count(QStringLiteral("Log_head")), 0);
    EXPECT_EQ(rig.logsStored, 1);
    rig.link.lines["DJ"] = {};
    EXPECT_TRUE(rig.page->DownloadAlarmTrend());
    rig.link.results["VE"] = false;
    EXPECT_FALSE(rig.page->DownloadAlarmEvents());
    rig.link.connected = false;
    EXPECT_FALSE(rig.page->DownloadTroubleEvents());
    EXPECT_EQ(rig.logsStored, 1);
    rig.link.connected = true;
    const long long before = rig.db.count(QStringLiteral("Log_head"));
    EXPECT_TRUE(rig.page->DownloadInstrument());
    EXPECT_GT(rig.db.count(QStringLiteral("Log_head")), before);  // the calibration histories
    EXPECT_EQ(rig.logsStored, 2);
}

// The latest calibration or a channel's history that did not arrive fails the step, as every
// other failed transfer does; the history that did arrive is stored.
TEST(Steps, InstrumentStepFailsWhenACalibrationDidNotArrive) {
    PageRig rig;
    ServiceMode = true;
    rig.link.results["SO"] = false;
    EXPECT_FALSE(rig.page->DownloadInstrument());
    EXPECT_EQ(rig.link.calls, (QStringList{"Instrument", "SO"}));  // no history asked for
    EXPECT_TRUE(rig.CurInstrument->CommFlags());
    const QStringList& written = rig.journal;
    EXPECT_EQ(written.last(), PageRig::Text(5416));
    EXPECT_EQ(rig.ColorOf(PageRig::Text(5416)), LogColor::Failure);
    EXPECT_FALSE(written.contains(PageRig::Text(5415)));
    EXPECT_TRUE(written.contains("ch1 O2 AMP\t: -0.005V"));
    EXPECT_TRUE(written.contains("ch2 CO AMP\t: 0.000V"));
    EXPECT_EQ(rig.ColorOf("ch1 O2 AMP\t: -0.005V"), ui::RGB(0, 128, 64));
    EXPECT_TRUE(rig.link.log.contains(GetMessage(5520)));
    EXPECT_FALSE(rig.LogTreeChanged);

    // Gas 3's history does not come.
    rig.link.results["SO"] = true;
    rig.link.results["IH"] = false;
    rig.link.lines["IH3"].clear();
    rig.link.log.clear();
    rig.journal.clear();
    EXPECT_FALSE(rig.page->DownloadInstrument());
    EXPECT_EQ(rig.journal.last(), PageRig::Text(5416));
    const QStringList& log = rig.link.log;
    const qsizetype header = log.indexOf(GetMessage(5520));
    ASSERT_GE(header, 0);
    EXPECT_EQ(log.value(header + 1), QStringLiteral("a channel is missing\r\n"));
    EXPECT_TRUE(log.value(header + 2).startsWith("---Instrument Download Failed---. Date = "));
    EXPECT_FALSE(log.join(u'|').contains("Instrument Download Finished"));
    Database db(DatabasePath);
    EXPECT_EQ(rig.db.count(QStringLiteral("cHistory")), 3);
    EXPECT_EQ(db.scalar(QStringLiteral("Select Count(*) From cHistory Where Gas3After=-1 And "
                                       "Gas4After=40"))
                  .toInt(),
              3);

    // A cancel while the histories come is reported as a cancel.
    rig.link.during = [&](const QString& op) {
        if (op == "IH") rig.link.cancel = true;
    };
    rig.journal.clear();
    EXPECT_FALSE(rig.page->DownloadInstrument());
    EXPECT_EQ(rig.journal.last(), "Cominucation Canceled.");
}

}  // namespace
}  // namespace qv::test
