// A sensor swapped between two downloads of one instrument: channel 4's CO (500 ppm, whole
// numbers) becomes H2S (50 ppm, one decimal place) and the month's events and the calibration
// history gather rows of both gases. Every view, the export and the printed report show each row
// under the gas it was stored with and with that gas's decimal places.
#include "Dates.h"
#include "PrinterChoice.h"
#include "PrinterList.h"
#include "SimulatedWindow.h"

#include <QProcess>
#include <QRegularExpression>

namespace qv::test {
namespace {

class SensorSwap : public SimulatedWindow {
  protected:
    // The stored log of this kind of the simulated instrument.
    static int32_t LogOf(int32_t kind) {
        Database db(DatabasePath);
        return db
            .scalar("Select SeqNo From Log_Head Where Types=? And SerialNo=?",
                    {kind, QStringLiteral("SN1234567890")})
            .toInt();
    }
    // The data view's table of that log, one text per row.
    QStringList Table(int32_t kind) {
        main_->CurDataType = kind;
        main_->CurSeqNo = LogOf(kind);
        main_->pageDataView->cmdDetail_Click();
        return GridRows(*main_->pageDataView->vfgBrowse);
    }
    static QStringList GridRows(const ui::FlexGrid& grid) {
        QStringList rows;
        for (int r = 0; r < grid.Rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < grid.Cols(); ++c)
                cells << grid.TextMatrix(r, c);
            rows << cells.join(u'|');
        }
        return rows;
    }
    // The export and the printed report (as text) of the log on show.
    QString Export() {
        const QString csv = out_.filePath(QStringLiteral("log%1.csv").arg(++files_));
        dialogs_->AnswerFile({true, csv, 1});
        main_->pageDataView->cmdBrowse[2]->click();
        return ReadText(csv);
    }
    QString Printed() {
        const QString pdf = out_.filePath(QStringLiteral("log%1.pdf").arg(++files_));
        ChoosePrinterEntry(*dialogs_, ui::PdfEntryName());
        dialogs_->AnswerFile({true, pdf, 1});
        main_->pageDataView->cmdBrowse[0]->click();
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, "-"});
        EXPECT_TRUE(text.waitForFinished(60000));
        // Blanks between cells vary with the layout: one blank each.
        return QString::fromUtf8(text.readAllStandardOutput())
            .replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
    }
    QStringList Pane(int32_t kind, char letter) {
        main_->pageBrowser->ShowLogProperty(QStringLiteral("%1 %2").arg(LogOf(kind)).arg(letter));
        return GridRows(*main_->pageBrowser->vfgLog);
    }

    QTemporaryDir out_;
    int files_ = 0;
    ui::FixedPrinterList printers_{{"Office"}, "Office"};
};

TEST_F(SensorSwap, EveryRowShowsExportsAndPrintsUnderItsOwnGas) {
    const auto at = [](int day, int hour) {
        return QDateTime(QDate(2014, 5, day), QTime(hour, 0), Qt::UTC);
    };
    const auto local = [](int day, int hour) {
        return GeneralDate(rt::MakeDate(2014, 5, day, hour, 0, 0));
    };
    sim::Content& content = sim_.content();
    sim::FixtureLogs& logs = content.logs;
    // Before the swap: a CO alarm and a CO trouble in May; CO calibrations (2 before, 40 after).
    logs.alarmEvents = {sim::EventFixture{1, at(2, 8), 4, 2, true, false}};
    logs.troubleEvents = {sim::EventFixture{1, at(3, 8), 4, 8, true, false}};
    logs.history = {sim::HistoryFixture{3, at(1, 9), 2, 40}};
    sim::RenderLogs(content);
    ASSERT_NO_FATAL_FAILURE(LoadWindow());
    ASSERT_NO_FATAL_FAILURE(ConnectAndRead());
    main_->pageDownload->cmdDown[4]->click();
    main_->pageDownload->cmdDown[5]->click();
    dialogs_->AnswerMsgBox(vbYes);  // the instrument's data is removed
    main_->pageDownload->cmdDown[7]->click();
    ASSERT_EQ(sim_.Erases(), 1);

    // The swap; the same month's H2S alarm and trouble, an H2S calibration of 22.5 and 25.0.
    sim::SwapSensor(content, 3, sim::FixtureGas{"H2S", 50, 0.1, 1}, "ppm");
    logs.alarmEvents = {sim::EventFixture{1, at(20, 8), 4, 2, true, false}};
    logs.troubleEvents = {sim::EventFixture{1, at(21, 8), 4, 8, true, false}};
    sim::RenderLogs(content);
    sim::RecordCalibration(content, 3, at(19, 9), 22.5, 25.0);
    main_->pageDownload->cmdDown[1]->click();
    main_->pageDownload->cmdDown[4]->click();
    main_->pageDownload->cmdDown[5]->click();
    AppFont.Name = "DejaVu Sans";  // digits of a CJK font do not come back out of a PDF

    // The month's events, each under its own gas: in the table, the export and the report.
    for (const auto& [kind, letter] : {std::pair{TypeAlarmEvents, 'V'}, {TypeTroubleEvents, 'W'}}) {
        const int first = kind == TypeAlarmEvents ? 2 : 3;
        const QStringList rows = Table(kind);
        ASSERT_EQ(rows.size(), 3) << rows.join('/').toStdString();
        EXPECT_TRUE(rows[1].startsWith(local(first, 8) + "|CO |")) << rows[1].toStdString();
        EXPECT_TRUE(rows[2].startsWith(local(first + 18, 8) + "|H2S|")) << rows[2].toStdString();
        const QString exported = Export();
        EXPECT_TRUE(exported.contains("\r\n" + local(first, 8) + ",CO ,")) << kind;
        EXPECT_TRUE(exported.contains("\r\n" + local(first + 18, 8) + ",H2S,")) << kind;
        const QString printed = Printed();
        EXPECT_TRUE(printed.contains("1 " + local(first, 8) + " CO ")) << printed.toStdString();
        EXPECT_TRUE(printed.contains("2 " + local(first + 18, 8) + " H2S ")) << kind;
        // The stored-data page's pane, newest first.
        const QStringList pane = Pane(kind, letter);
        ASSERT_EQ(pane.size(), 3);
        EXPECT_TRUE(pane[1].startsWith(local(first + 18, 8) + "|H2S|")) << pane[1].toStdString();
        EXPECT_TRUE(pane[2].startsWith(local(first, 8) + "|CO |")) << pane[2].toStdString();
    }

    // The calibration history: the H2S calibration under its captions with its one decimal,
    // then the column titles again over the CO calibration, in whole numbers.
    const QString h2s = "CH4(%LEL)|OXY(VOL%)|H2S(ppm)|H2S(ppm)|HC(%LEL)";
    const QString co = "CH4(%LEL)|OXY(VOL%)|H2S(ppm)|CO(ppm)|HC(%LEL)";
    const QStringList rows = Table(TypeCalHistory);
    EXPECT_EQ(
        rows,
        (QStringList{QStringLiteral("No|Date/Time||") + h2s,
                     QStringLiteral("1|") + local(19, 9) + "|Before|-----|-----|-----| 22.5|-----",
                     QStringLiteral("||After|-----|-----|-----| 25.0|-----"),
                     QStringLiteral("No|Date/Time||") + co,
                     QStringLiteral("2|") + local(1, 9) + "|Before|-----|-----|-----|    2|-----",
                     QStringLiteral("||After|-----|-----|-----|   40|-----")}));
    QStringList csv = rows;
    csv.replaceInStrings(QStringLiteral("|"), QStringLiteral(","));
    const QString exported = Export();
    EXPECT_TRUE(exported.contains("\r\n" + csv.join("\r\n") + "\r\n")) << exported.toStdString();
    QStringList pdf = rows;
    pdf.replaceInStrings(QRegularExpression(QStringLiteral("[| ]+")), QStringLiteral(" "));
    EXPECT_TRUE(Printed().contains(pdf.join(u'\n').trimmed())) << pdf.join(u'\n').toStdString();
    const QStringList pane = Pane(TypeCalHistory, 'H');
    EXPECT_EQ(pane.value(4), "|H2S| 22.5| 25.0");
    EXPECT_EQ(pane.value(8), "|CO|    2|   40");
    // The latest calibrations, one row a gas: the H2S one with its own decimal place.
    CalHistoryPage& latest = *main_->pageCalHistory;
    latest.optHistory[2]->setChecked(true);
    latest.ShowCalHistory();
    EXPECT_EQ(GridRows(*latest.vfgHistory).value(4).section(u'|', 4, 6), "H2S| 22.5| 25.0");
    // Nothing asked but whether to remove the instrument's data.
    EXPECT_EQ(dialogs_->messages().size(), 1) << dialogs_->messages().join('|').toStdString();
}

}  // namespace
}  // namespace qv::test
