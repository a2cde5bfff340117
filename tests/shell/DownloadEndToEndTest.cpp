// The main window against the instrument simulator on a pseudo-terminal: single downloads, the
// complete chain, clear data, power off and the automatic mode, logs longer than any fixed count
// taken whole and shown, exported and printed whole, the failures a user meets, a window closed
// while the instrument is being read, and the program started from the command line in automatic
// mode; and the main window's own handling of live readings and new instrument information.
#include "Database.h"
#include "InstrumentSimulator.h"
#include "PrinterChoice.h"
#include "PrinterList.h"
#include "ShellFixture.h"
#include "StoredLogs.h"
#include "clsInstrument.h"
#include "frmSetPrinter.h"
#include "modViewSupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTextBlock>
#include <algorithm>
#include <map>

namespace qv::test {
namespace {

class EndToEnd : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(StartSimulator(sim, &device));
    }
    void TearDown() override {
        main.reset();
        ShellTest::TearDown();
    }

    // Loads the main window on the simulator's device; with fastTicks the link timer runs
    // twenty times faster than its 100 ms (time-outs and retries then take a fraction).
    void Load(bool fastTicks = false) {
        std::unique_ptr<uclQvif> link;
        if (fastTicks) {
            link = std::make_unique<uclQvif>();
            link->UseManualTimers(true);
            uclQvif* raw = link.get();
            fastLink = raw;
            QObject::connect(&linkTicks, &QTimer::timeout, [raw] { raw->tmrTimer_Timer(); });
            linkTicks.start(5);
        }
        // The machine's lookup reads QV4170_PORT, as the program does.
        std::unique_ptr<PortFinder> finder;
        if (!systemFinder) finder = std::make_unique<ListPortFinder>(QStringList{device});
        main = std::make_unique<frmMain>(std::move(link), std::move(finder));
        QObject::connect(main->pageDownload->rtbLog->document(), &QTextDocument::contentsChange,
                         [this](int from, int, int added) { Record(from, added); });
        ASSERT_TRUE(main->Form_Load());
        main->show();
        main->Form_Activate();
    }
    // Loads the window and waits for the connection to be reported.
    void Connect() {
        Load();
        ASSERT_TRUE(WaitFor([&] { return Has(GetMessage(5432)); })) << Journal();
    }
    // Requests of exactly this payload the instrument received.
    int Requests(const QString& payload) const {
        return static_cast<int>(sim.Received().count(payload));
    }
    void Click(int index) { main->pageDownload->cmdDown[static_cast<size_t>(index)]->click(); }

    bool Has(const QString& text) const { return ColorOf(text) != -1; }
    int32_t ColorOf(const QString& text) const {
        const qsizetype at = journal.indexOf(QString(text).remove(QStringLiteral("\r\n")));
        return at < 0 ? -1 : colors[at];
    }
    std::string Journal() const { return journal.join(u'|').toStdString(); }
    static QString Text(int id) { return GetMessage(id).remove(QStringLiteral("\r\n")); }
    QString SerialLog() const { return ReadText(programFile(QStringLiteral("SerialLog.log"))); }
    long long Rows(const QString& table) const {
        Database db(DatabasePath);
        return db.scalar(QStringLiteral("Select Count(*) From ") + table).toLongLong();
    }
    // Every calibration the instrument holds is stored once, in the one row of its date that
    // holds every channel's values; gives the number of dates.
    qsizetype ExpectEachCalibrationOnce(const QList<sim::HistoryFixture>& history) const {
        QSet<QDateTime> dates;
        Database db(DatabasePath);
        for (const sim::HistoryFixture& h : history) {
            dates << h.when;
            EXPECT_EQ(db.scalar(QStringLiteral("Select Count(*) From cHistory Where Dates=? And "
                                               "Gas%1Before=? And Gas%1After=?")
                                    .arg(h.channel + 1),
                                {h.when, h.before, h.after})
                          .toInt(),
                      1)
                << "gas " << h.channel + 1 << " " << h.when.toString().toStdString();
        }
        EXPECT_EQ(Rows("cHistory"), dates.size());
        return dates.size();
    }
    // Rows of every table the downloads write.
    std::map<QString, long long> Counts() const {
        std::map<QString, long long> counts;
        for (const char* table :
             {"Log_Head", "Gas_List", "Interval_Data", "Interval_Event", "Alarm_Data", "cHistory",
              "Alarm_Event", "Trouble_Event", "Power_Event"})
            counts[QLatin1String(table)] = Rows(QLatin1String(table));
        return counts;
    }
    // The columns of the rows a query gives, each row as one text.
    static QStringList Texts(const QString& sql, const QStringList& columns) {
        QStringList out;
        Database db(DatabasePath);
        for (const DbRow& r : db.query(sql.arg(columns.join(u',')))) {
            QStringList fields;
            for (const QString& column : columns)
                fields << r.toText(column, QStringLiteral("null"));
            out << fields.join(u'|');
        }
        return out;
    }
    // Opens the stored log of this kind (the only one) in the data view; its table.
    const ui::FlexGrid& View(int32_t kind) {
        Database db(DatabasePath);
        main->CurDataType = kind;
        main->CurSeqNo = static_cast<int32_t>(
            db.scalar(QStringLiteral("Select SeqNo From Log_Head Where Types=?"), {kind})
                .toLongLong());
        main->pageDataView->cmdDetail_Click();
        return *main->pageDataView->vfgBrowse;
    }
    // Waits for the automatic mode to have completed `runs` times.
    bool AutomaticRunsCompleted(int runs) const {
        return WaitFor(
            [&] { return SerialLog().count("---Automatic Mode Camplate Finished---") == runs; },
            90000);
    }
    std::array<bool, 9> Enabled() const {
        std::array<bool, 9> out{};
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = main->pageDownload->cmdDown[i]->isEnabled();
        return out;
    }
    // Runs `action` once, the first time the instrument receives a request starting so.
    void OnRequest(const QString& prefix, std::function<void()> action) {
        auto done = std::make_shared<bool>(false);
        QObject::connect(&sim, &sim::InstrumentSimulator::RequestReceived, &sim,
                         [prefix, action, done](const QString& payload) {
                             if (*done || !payload.startsWith(prefix)) return;
                             *done = true;
                             action();
                         });
    }

    sim::InstrumentSimulator sim;
    QString device;
    bool systemFinder = false;
    QTimer linkTicks;
    // The link of a window loaded with fast ticks.
    uclQvif* fastLink = nullptr;
    std::unique_ptr<frmMain> main;
    // Every non-empty line written to the status log, also those a fresh start clears away.
    QStringList journal;
    QList<int32_t> colors;

  private:
    void Record(int from, int added) {
        for (QTextBlock b = main->pageDownload->rtbLog->document()->findBlock(from);
             b.isValid() && b.position() < from + added; b = b.next()) {
            if (b.text().isEmpty()) continue;
            journal << b.text();
            colors << ui::LongFromColor(b.begin().fragment().charFormat().foreground().color());
        }
    }
};

const std::array<bool, 9> kAll{true, true, true, true, true, true, true, true, true};

TEST_F(EndToEnd, SingleDownloadsStoreTheirKindThenClearDataAndPowerOff) {
    Connect();
    // The upload waits for the instrument's settings.
    EXPECT_FALSE(main->pageOption->cmdOption[0]->isEnabled());

    Click(1);
    EXPECT_TRUE(main->pageOption->cmdOption[0]->isEnabled());
    EXPECT_EQ(ColorOf(Text(5415)), ui::RGB(0, 192, 0)) << Journal();
    EXPECT_EQ(Enabled(), kAll);
    EXPECT_EQ(main->pageDownload->lblStatus[5]->text(), "SN1234567890");
    EXPECT_EQ(Rows("cLatestHist"), 1);
    EXPECT_GT(Rows("cHistory"), 0);

    const struct {
        int button, complete;
        const char* table;
    } kinds[] = {{2, 5420, "Interval_Data"},
                 {3, 5425, "Alarm_Data"},
                 {4, 5449, "Alarm_Event"},
                 {5, 5454, "Trouble_Event"},
                 {6, 5459, "Power_Event"}};
    for (const auto& k : kinds) {
        main->pageDownload->cmdDown_Click(k.button);
        EXPECT_EQ(ColorOf(Text(k.complete)), ui::RGB(0, 192, 0)) << k.button;
        EXPECT_GT(Rows(QString::fromLatin1(k.table)), 0) << k.table;
        EXPECT_EQ(OperationMode, OpIdle);
        EXPECT_EQ(main->pageDownload->LoadedUpload(), nullptr);
        EXPECT_EQ(Enabled(), kAll);
    }
    // New-log texts of the link arrive in dark blue while the download runs.
    EXPECT_EQ(ColorOf(journal.filter(QRegularExpression("^New Data!")).value(0)),
              ui::RGB(0, 0, 192));
    EXPECT_TRUE(SerialLog().contains("---Power Events Download Finished---"));
    EXPECT_TRUE(main->LogTreeChanged);

    // A second interval download finds the log stored and stores nothing twice.
    const long long rows = Rows("Interval_Data");
    Click(2);
    EXPECT_EQ(Rows("Interval_Data"), rows);

    // Clear data erases the instrument's logs: the next download finds nothing to store.
    dialogs_->AnswerMsgBox(vbYes);
    Click(7);
    EXPECT_EQ(sim.Erases(), 1);
    EXPECT_EQ(ColorOf(Text(5434)), ui::RGB(0, 192, 0));
    EXPECT_TRUE(SerialLog().contains("--- Data Remove Finished---."));
    EXPECT_EQ(Enabled(), kAll);
    Click(2);
    EXPECT_EQ(ColorOf(Text(5443)), ui::RGB(192, 64, 64));
    EXPECT_EQ(Rows("Interval_Data"), rows);

    // Power off starts afresh, and the next instrument connects without a restart.
    dialogs_->AnswerMsgBox(vbYes);
    Click(8);
    EXPECT_TRUE(sim.PoweredOff());
    EXPECT_FALSE(main->uclQV4170.Connected());
    EXPECT_TRUE(main->pageDownload->rtbLog->toPlainText().isEmpty());
    EXPECT_EQ(Enabled(), (std::array<bool, 9>{}));
    EXPECT_TRUE(main->cmdInst[5]->isEnabled());
    EXPECT_TRUE(main->uclQV4170.PortOpen());
    EXPECT_TRUE(SerialLog().contains("---Auto Power OFF Finished---"));
    sim.PowerOn();
    journal.clear();
    colors.clear();
    EXPECT_TRUE(WaitFor([&] { return Has(GetMessage(5432)); }, 60000));
    EXPECT_TRUE(main->pageDownload->cmdDown[0]->isEnabled());
}

// An instrument whose block headers carry its own block counters ("IH,R,0001,0003,0007,...")
// rather than the channel it was asked for: the chain still takes every kind, and every
// channel's calibration history is stored.
TEST_F(EndToEnd, TheCompleteChainTakesPowerEventsOnlyInServiceMode) {
    // Every memory of the instrument filled, histories over several blocks.
    sim.content() = sim::FullMemoryContent();
    sim.SetCounterHeaders(true);
    sim.SetLinesPerBlock(7);
    Connect();
    Click(0);
    EXPECT_EQ(Requests("DO,R,"), 0);
    for (const char* request : {"VP,R,", "SO,R,", "IH,R,1,", "IH,R,2,", "IH,R,3,", "IH,R,4,",
                                "IH,R,5,", "DR,R,", "DJ,R,", "VE,R,", "TV,R,"})
        EXPECT_EQ(Requests(QLatin1String(request)), 1) << request;
    EXPECT_EQ(sim.CountReceived("IH,R,<NAK>"), 0);
    EXPECT_EQ(Rows("Power_Event"), 0);
    for (const char* table : {"Interval_Data", "Alarm_Data", "Alarm_Event", "Trouble_Event"})
        EXPECT_GT(Rows(QLatin1String(table)), 0) << table;
    ExpectEachCalibrationOnce(sim.content().logs.history);
    EXPECT_EQ(Enabled(), kAll);
    EXPECT_EQ(SerialLog().count("--- All download sequence Finished."), 1);
    EXPECT_EQ(OperationMode, OpIdle);

    ServiceMode = true;
    Click(0);
    EXPECT_EQ(Requests("DO,R,"), 1);
    EXPECT_GT(Rows("Power_Event"), 0);
    EXPECT_EQ(SerialLog().count("--- All download sequence Finished."), 2);
}

TEST_F(EndToEnd, AutomaticModeRunsOnConnectWithAndWithoutRemoval) {
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    // Before the first run switches the instrument off, the file turns removal off: the second
    // run, after the settings file was read again, must not erase.
    OnRequest("RO,W,", [&] { WriteSettings({"Auto Load Mode\tFalse\tTrue\tFalse"}); });
    Load();
    ASSERT_TRUE(
        WaitFor([&] { return SerialLog().contains("---Automatic Mode Camplate Finished"); }, 60000))
        << Journal();
    EXPECT_EQ(sim.Erases(), 1);
    EXPECT_TRUE(sim.PoweredOff());
    for (const char* table :
         {"Interval_Data", "Alarm_Data", "Alarm_Event", "Trouble_Event", "cHistory", "cLatestHist"})
        EXPECT_GT(Rows(QLatin1String(table)), 0) << table;
    EXPECT_EQ(Rows("Power_Event"), 0);
    const QStringList& j = journal;
    ASSERT_GE(j.size(), 4);
    EXPECT_EQ(j[j.indexOf(Text(5401)) - 1], Text(5432));
    EXPECT_EQ(ColorOf(Text(5401)), ui::RGB(128, 32, 0));
    EXPECT_EQ(j.mid(j.size() - 3), (QStringList{Text(5434), Text(5407), Text(5410)}));
    EXPECT_EQ(ColorOf(Text(5410)), ui::RGB(32, 128, 0));
    // The fresh start emptied the log before the closing line.
    EXPECT_EQ(main->pageDownload->rtbLog->toPlainText().trimmed(), Text(5410));
    const QString log = SerialLog();
    const qsizetype start = log.indexOf("---Automatic Mode Process Start---");
    const qsizetype removed = log.indexOf("--- Data Remove Finished---.");
    const qsizetype off = log.indexOf("---Auto Power OFF Finished---");
    const qsizetype end = log.indexOf("---Automatic Mode Camplate Finished---");
    EXPECT_TRUE(start >= 0 && start < removed && removed < off && off < end);
    EXPECT_EQ(OperationMode, OpIdle);
    EXPECT_EQ(main->pageDownload->LoadedUpload(), nullptr);
    EXPECT_TRUE(main->pageDownload->chkAutoLoad[0]->isChecked());
    EXPECT_FALSE(main->pageDownload->chkAutoLoad[1]->isChecked());
    EXPECT_FALSE(AutoRemoveData);

    // The next instrument: downloaded (nothing left to store), not erased, switched off.
    journal.clear();
    colors.clear();
    sim.PowerOn();
    ASSERT_TRUE(WaitFor(
        [&] { return SerialLog().count("---Automatic Mode Camplate Finished") == 2; }, 90000))
        << Journal();
    EXPECT_EQ(sim.Erases(), 1);
    EXPECT_EQ(sim.CountReceived("XC,W,"), 1);
    EXPECT_TRUE(sim.PoweredOff());
    EXPECT_TRUE(Has(Text(5443)));
}

// An instrument that keeps more than any fixed count the program once had: an interval log of
// 3,000 samples whose channel 2 reads FAIL in every one (3,000 events), one of 5,000 samples and
// an alarm trend of 1,000 samples, beside its other logs. The automatic mode takes every log
// whole and erases the instrument; the same content downloaded again stores nothing twice. The
// failing log then shows every row in the data view, its export and its printed table.
TEST_F(EndToEnd, LogsBeyondAnyFixedCountDownloadWholeAndShowWhole) {
    sim::Content& content = sim.content();
    const QDateTime failingStart(QDate(2014, 5, 10), QTime(6, 0), Qt::UTC);
    sim::IntervalFixture failingLog = sim::MakeInterval(2, 3000, failingStart, 60);
    failingLog.failing[2] = true;
    content.logs.intervals << failingLog
                           << sim::MakeInterval(3, 5000, failingStart.addDays(4), 60, 500);
    content.logs.alarms << sim::MakeAlarmTrend(3, failingStart.addDays(9), 10, 1000);
    sim::RenderLogs(content);
    const sim::Content full = content;
    const sim::FixtureLogs& logs = full.logs;

    // The instrument is on again with the same logs as soon as the first run switched it off.
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    OnRequest("RO,W,", [&] {
        QTimer::singleShot(0, &sim, [&] {
            sim.content() = full;
            sim.PowerOn();
        });
    });
    Load(true);
    // The status log, not the serial log: that one grows by every line of the logs.
    ASSERT_TRUE(WaitFor([&] { return Has(Text(5411)) || journal.count(Text(5410)) == 2; }, 120000))
        << Journal();
    ASSERT_FALSE(Has(Text(5411))) << Journal();
    EXPECT_EQ(SerialLog().count("---Automatic Mode Camplate Finished---"), 2);
    EXPECT_FALSE(SerialLog().contains("Failed"));
    EXPECT_EQ(sim.Erases(), 2);

    // Every sample and event once; nothing of the other kinds lost.
    Database db(DatabasePath);
    qint64 samples = 0, events = 0;
    for (const sim::IntervalFixture& log : logs.intervals) {
        const bool fails = log.failing != std::array<bool, 4>{};
        const qint64 logEvents = log.events.size() + (fails ? log.samples.size() : 0);
        const auto head =
            db.query(QStringLiteral("Select SeqNo, Dcount From Log_Head Where Types=1 And Names=?"),
                     {QStringLiteral("iv") + log.start.toString(QStringLiteral("ddhhmmss"))});
        ASSERT_EQ(head.size(), 1u) << log.logNo;
        const qint64 key = head.front().toLong(QStringLiteral("SeqNo"), 0);
        EXPECT_EQ(head.front().toLong(QStringLiteral("Dcount"), 0), log.samples.size() + logEvents);
        EXPECT_EQ(
            db.scalar(QStringLiteral("Select Count(*) From Interval_Data Where RelNo=?"), {key})
                .toLongLong(),
            log.samples.size());
        EXPECT_EQ(
            db.scalar(QStringLiteral("Select Count(*) From Interval_Event Where RelNo=?"), {key})
                .toLongLong(),
            logEvents);
        samples += log.samples.size();
        events += logEvents;
    }
    EXPECT_EQ(Rows("Interval_Data"), samples);
    EXPECT_EQ(Rows("Interval_Event"), events);
    EXPECT_EQ(db.scalar(QStringLiteral("Select Count(*) From Log_Head Where Types=1")).toInt(),
              logs.intervals.size());
    qint64 alarmSamples = 0;
    for (const sim::AlarmTrendFixture& log : logs.alarms)
        alarmSamples += log.samples.size();
    EXPECT_EQ(Rows("Alarm_Data"), alarmSamples);
    EXPECT_EQ(db.scalar(QStringLiteral("Select Max(Dcount) From Log_Head Where Types=2")).toInt(),
              1000);
    EXPECT_EQ(Rows("Alarm_Event"), logs.alarmEvents.size());
    EXPECT_EQ(Rows("Trouble_Event"), logs.troubleEvents.size());
    EXPECT_GT(Rows("cHistory"), 0);
    EXPECT_EQ(Rows("cLatestHist"), 1);

    // The failing log in the data view: a row for each of its 3,000 moments, in time order.
    const QString names = QStringLiteral("iv") + failingStart.toString(QStringLiteral("ddhhmmss"));
    main->CurDataType = TypeInterval;
    main->CurSeqNo =
        db.scalar(QStringLiteral("Select SeqNo From Log_Head Where Names=?"), {names}).toInt();
    DataViewPage& view = *main->pageDataView;
    view.cmdDetail_Click();
    const ui::FlexGrid& table = *view.vfgBrowse;
    ASSERT_EQ(table.Rows(), 3001);
    QStringList rows;
    for (int r = 1; r <= 3000; ++r) {
        const QDateTime at = QDateTime(QDate(2014, 5, 10), QTime(6, 0)).addSecs(60LL * r);
        rows << QString::number(r) + u' ' + GeneralDate(at);
        ASSERT_EQ(table.TextMatrix(r, 0) + u' ' + table.TextMatrix(r, 1), rows.back());
        ASSERT_TRUE(table.TextMatrix(r, 4).startsWith(QStringLiteral("FAIL"))) << r;
    }
    // Its graph: the gases that read are drawn; the failed one carries a mark at every moment.
    ASSERT_TRUE(view.optBrowse[1]->isEnabled());
    view.optBrowse[1]->click();
    EXPECT_FALSE(view.vtmGraph->isHidden());
    EXPECT_EQ(view.vtmGraph->SampleCount(), 3000);
    EXPECT_EQ(view.vtmGraph->EventCount(2), 3000);
    view.optBrowse[0]->click();

    // Its export: the same rows, each once.
    QTemporaryDir out;
    const QString csv = out.filePath(QStringLiteral("failing.csv"));
    dialogs_->AnswerFile({true, csv, 1});
    view.cmdBrowse[2]->click();
    QStringList exported;
    for (const QString& line : ReadText(csv).split(QStringLiteral("\r\n")))
        if (!line.isEmpty() && line.front().isDigit())
            exported << line.section(u',', 0, 0) + u' ' + line.section(u',', 1, 1);
    EXPECT_EQ(exported, rows);

    // Its printed table, on as many pages as it takes.
    ui::FixedPrinterList printers{{"Office"}, "Office"};
    AppFont.Name = "DejaVu Sans";  // digits of a CJK font do not come back out of a PDF
    const QString pdf = out.filePath(QStringLiteral("failing.pdf"));
    ChoosePrinterEntry(*dialogs_, ui::PdfEntryName());
    dialogs_->AnswerFile({true, pdf, 1});
    view.cmdBrowse[0]->click();
    EXPECT_TRUE(dialogs_->messages().isEmpty()) << dialogs_->messages().join('|').toStdString();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    QStringList printed;
    // Number and date of a row; the time is left out at midnight.
    static const QRegularExpression row(
        QStringLiteral("^\\s*(\\d+)\\s+(\\d+/\\d+/\\d{4}(?: \\d+:\\d\\d:\\d\\d [AP]M)?)"));
    for (const QString& line : QString::fromUtf8(text.readAllStandardOutput()).split(u'\n'))
        if (const auto m = row.match(line); m.hasMatch())
            printed << m.captured(1) + u' ' + m.captured(2);
    EXPECT_EQ(printed, rows);
}

// In automatic mode with removal, one channel's calibration history is never answered: the run
// fails and nothing is erased. The next run takes the history whole and stores every row as a
// clean first download would have.
TEST_F(EndToEnd, AnUnansweredHistoryChannelKeepsTheInstrumentsDataUntilADownloadIsWhole) {
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    OnRequest("IH,R,3,", [&] { sim.InjectSilence(31); });
    // The instrument is on again as soon as it went off, for the next run.
    OnRequest("RO,W,", [&] { QTimer::singleShot(0, &sim, [&] { sim.PowerOn(); }); });
    Load(true);
    ASSERT_TRUE(WaitFor(
        [&] {
            return SerialLog().contains(
                QRegularExpression("---Automatic Mode (Failed|Camplate) Finished---"));
        },
        60000));
    ASSERT_TRUE(SerialLog().contains("---Automatic Mode Failed Finished---")) << Journal();
    EXPECT_EQ(sim.CountReceived("XC,W,"), 0);
    EXPECT_EQ(sim.CountReceived("DR,R,"), 0);  // the chain stopped at the instrument step
    EXPECT_EQ(sim.CountReceived("RO,W,"), 1);  // and the instrument was still switched off
    EXPECT_EQ(ColorOf(Text(5416)), ui::RGB(255, 0, 0)) << Journal();
    EXPECT_EQ(ColorOf(Text(5411)), ui::RGB(255, 0, 0));
    EXPECT_FALSE(Has(Text(5415)));
    QString log = SerialLog();
    EXPECT_FALSE(log.contains("---Instrument Download Finished---"));
    EXPECT_FALSE(log.contains("---Automatic Mode Camplate Finished---"));
    const qsizetype fail = log.indexOf(GetMessage(5520) + QStringLiteral("\r\n"));
    ASSERT_GE(fail, 0);
    EXPECT_EQ(log.mid(fail).section(QStringLiteral("\r\n"), 1, 1), GetMessage(9100, {"3"}));

    ASSERT_TRUE(WaitFor(
        [&] { return SerialLog().contains("---Automatic Mode Camplate Finished---"); }, 90000))
        << Journal();
    EXPECT_EQ(sim.Erases(), 1);
    const QList<sim::HistoryFixture>& history = sim.content().logs.history;
    const qsizetype dates = ExpectEachCalibrationOnce(history);
    const QDateTime newest =
        std::max_element(history.begin(), history.end(), [](const auto& a, const auto& b) {
            return a.when < b.when;
        })->when;
    const auto head =
        Database(DatabasePath)
            .query(QStringLiteral("Select Dcount, Dates From Log_Head Where Types=3"));
    ASSERT_EQ(head.size(), 1u);
    EXPECT_EQ(head.front().toLong(QStringLiteral("Dcount"), 0), dates);
    EXPECT_EQ(head.front().toDate(QStringLiteral("Dates"), QDateTime()), newest);
}

// An instrument with 64 calibrations per channel, each on a day of its own: automatic mode with
// removal stores every one of the 320 dates once beside the other kinds, a second download of
// the same content stores nothing twice, and the data view shows every date.
TEST_F(EndToEnd, AutomaticModeStoresEveryDateOfALongCalibrationHistoryOnce) {
    sim::Content content = sim::DefaultContent();
    content.logs.history.clear();
    const QDateTime first(QDate(2012, 3, 1), QTime(9, 15), Qt::UTC);
    for (int i = 63; i >= 0; --i)  // newest first, as the instrument keeps them
        for (int ch = 0; ch < 5; ++ch)
            content.logs.history << sim::HistoryFixture{ch, first.addDays(5 * i + ch),
                                                        0.5 * (ch + 1), 10.0 * (ch + 1) + i % 7};
    sim::RenderLogs(content);
    sim.content() = content;
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    Load(true);
    ASSERT_TRUE(AutomaticRunsCompleted(1)) << Journal();
    EXPECT_EQ(sim.Erases(), 1);
    EXPECT_EQ(ExpectEachCalibrationOnce(content.logs.history), 320);
    const std::map<QString, long long> stored = Counts();
    EXPECT_EQ(Database(DatabasePath)
                  .scalar(QStringLiteral("Select Dcount From Log_Head Where Types=3"))
                  .toInt(),
              320);
    EXPECT_EQ(stored.at("Interval_Data"), 120);
    EXPECT_EQ(stored.at("Alarm_Data"), 2 * 731);
    EXPECT_EQ(stored.at("Alarm_Event"), 3);
    EXPECT_EQ(stored.at("Trouble_Event"), 2);

    // The same instrument again: nothing is stored twice.
    sim.content() = content;
    sim.PowerOn();
    ASSERT_TRUE(AutomaticRunsCompleted(2)) << Journal();
    EXPECT_EQ(sim.Erases(), 2);
    EXPECT_EQ(Counts(), stored);

    // Two rows (before, after) per date, newest first.
    const ui::FlexGrid& grid = View(TypeCalHistory);
    ASSERT_EQ(grid.Rows(), 2 * 320 + 1);
    const auto shown = [](const QDateTime& when) {
        return GridValueText(QDateTime(when.date(), when.time()));
    };
    EXPECT_EQ(grid.TextMatrix(1, 1), shown(first.addDays(5 * 63 + 4)));
    EXPECT_EQ(grid.TextMatrix(2 * 319 + 1, 0), "320");
    EXPECT_EQ(grid.TextMatrix(2 * 319 + 1, 1), shown(first));
}

// An instrument that logged 1,100 power events: automatic mode in service mode stores every one
// once beside the other kinds, a second download stores nothing twice, and the data view lists
// them all.
TEST_F(EndToEnd, ServiceModeStoresEveryPowerEventOfALongLogOnce) {
    sim::Content content = sim::DefaultContent();
    content.logs.power.clear();
    const QDateTime start(QDate(2014, 5, 9), QTime(8, 0), Qt::UTC);
    for (int i = 0; i < 1100; ++i)
        content.logs.power << sim::PowerFixture{1, start.addSecs(-1800 * (i + 1)), i % 3 == 0};
    sim::RenderLogs(content);
    sim.content() = content;
    ServiceMode = true;
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    Load(true);
    ASSERT_TRUE(AutomaticRunsCompleted(1)) << Journal();
    EXPECT_EQ(sim.Erases(), 1);
    EXPECT_EQ(Requests("DO,R,"), 1);
    // Each event once, in the order sent, with its moment and whether the power went on.
    QStringList expected;
    for (const sim::PowerFixture& e : content.logs.power)
        expected << e.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss|")) + (e.on ? u'1' : u'0');
    EXPECT_EQ(
        Texts(QStringLiteral("Select %1 From Power_Event Order By SeqNo"), {"Dates", "Power_Type"}),
        expected);
    const std::map<QString, long long> stored = Counts();
    EXPECT_EQ(stored.at("Interval_Data"), 120);
    EXPECT_EQ(stored.at("Alarm_Data"), 2 * 731);
    EXPECT_EQ(stored.at("Alarm_Event"), 3);
    EXPECT_EQ(stored.at("Trouble_Event"), 2);
    EXPECT_EQ(stored.at("cHistory"), 3);

    sim.content() = content;
    sim.PowerOn();
    ASSERT_TRUE(AutomaticRunsCompleted(2)) << Journal();
    EXPECT_EQ(Counts(), stored);
    EXPECT_FALSE(SerialLog().contains("---Power Events Download Failed---"));

    const ui::FlexGrid& grid = View(TypePowerEvents);
    ASSERT_EQ(grid.Rows(), 1100 + 1);
    const sim::PowerFixture& last = content.logs.power.back();
    EXPECT_EQ(grid.TextMatrix(1100, 0),
              GridValueText(QDateTime(last.when.date(), last.when.time())));
    EXPECT_EQ(grid.TextMatrix(1100, 1), last.on ? "ON" : "OFF");
}

// A history that a later download completed after one channel went unanswered reads as one
// taken whole at once: its rows, its header and the header's gas rows.
TEST_F(EndToEnd, AHistoryCompletedAfterAnUnansweredChannelReadsAsAWholeOne) {
    const auto history = [&] {
        return Texts(QStringLiteral("Select %1 From Log_Head Where Types=3"),
                     {"Names", "Dates", "UserID", "StationID", "SerialNo", "RomNum", "Dcount",
                      "FolderID", "Interval", "CalLimit"}) +
               Texts(QStringLiteral("Select %1 From Gas_List Where RelNo In (Select SeqNo From "
                                    "Log_Head Where Types=3) Order By GasNo"),
                     {"GasNo",    "gName",    "gFull",    "gDesit",   "gEnable", "gPoint", "gUnit",
                      "gWarn",    "gAlarm",   "gStel",    "gTwa",     "gAvr",    "gMax",   "gMin",
                      "gMaxDate", "gMinDate", "gAutoCal", "gCalDate", "gBefore", "gAfter"}) +
               Texts(QStringLiteral("Select %1 From cHistory Order By Dates"),
                     {"Dates", "Gas1Before", "Gas1After", "Gas2Before", "Gas2After", "Gas3Before",
                      "Gas3After", "Gas4Before", "Gas4After", "Gas5Before", "Gas5After"});
    };
    // The newest calibration of each channel reads apart from its older ones.
    for (sim::HistoryFixture& h : sim.content().logs.history)
        h.before += h.when.date().month() / 10.0;
    sim::RenderLogs(sim.content());
    Load(true);
    ASSERT_TRUE(WaitFor([&] { return Has(GetMessage(5432)); })) << Journal();
    Click(1);
    ASSERT_TRUE(Has(Text(5415))) << Journal();
    const QStringList whole = history();
    ASSERT_EQ(whole.size(), 1 + 5 + 3);
    {
        Database db(DatabasePath);
        db.execute(
            QStringLiteral("Delete From Gas_List Where RelNo In (Select SeqNo From "
                           "Log_Head Where Types=3)"));
        db.execute(QStringLiteral("Delete From Log_Head Where Types=3"));
        db.execute(QStringLiteral("Delete From cHistory"));
    }
    journal.clear();
    colors.clear();
    OnRequest("IH,R,3,", [&] { sim.InjectSilence(31); });
    Click(1);
    ASSERT_TRUE(Has(Text(5416))) << Journal();
    EXPECT_NE(history(), whole);
    Click(1);
    ASSERT_TRUE(Has(Text(5415))) << Journal();
    EXPECT_EQ(history(), whole);
}

// In automatic mode the device goes in the middle of a transfer, and a fresh instrument is at
// its path again while the power-off waits: the power-off is said to have failed (it reached no
// instrument), and the fresh instrument is polled and gets its own automatic run.
TEST_F(EndToEnd, AnInstrumentBackDuringThePowerOffWaitIsTakenUp) {
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    OnRequest("DR,R,", [&] { sim.InjectCloseAfterBlocks(1); });
    Load(true);
    sim::InstrumentSimulator fresh;
    ASSERT_TRUE(fresh.Start());
    bool placed = false;
    // The first wait of the link after the interval step failed is the power-off's.
    fastLink->SetWaitHook([&] {
        if (placed || !Has(Text(5421)) || fastLink->Connected()) return;
        placed = fresh.MakeLink(device);
    });
    ASSERT_TRUE(WaitFor(
        [&] { return SerialLog().contains("---Automatic Mode Failed Finished---"); }, 60000))
        << Journal();
    EXPECT_TRUE(placed);
    EXPECT_EQ(ColorOf(Text(5408)), ui::RGB(255, 0, 0)) << Journal();
    EXPECT_FALSE(Has(Text(5407)));
    EXPECT_EQ(sim.Erases(), 0);
    ASSERT_TRUE(WaitFor(
        [&] { return SerialLog().contains("---Automatic Mode Camplate Finished---"); }, 60000))
        << Journal();
    EXPECT_GE(fresh.CountReceived("RC,R,"), 1);
    EXPECT_EQ(fresh.Erases(), 1);
    EXPECT_TRUE(fresh.PoweredOff());
    EXPECT_GT(Rows("Interval_Data"), 0);
}

// The instrument answers one request late, after the link has sent it again, and then answers
// the repeat too, while the link already waits for its next reply; at each step of the
// automatic mode with removal in turn. A reply completes only the request it answers: the run
// completes, and before the instrument is erased every log is stored exactly as it keeps it,
// each value under its own channel.
class SlowAnswer : public EndToEnd, public ::testing::WithParamInterface<const char*> {};

TEST_P(SlowAnswer, TheAutomaticModeStoresEveryLogAsKeptBeforeItErases) {
    const QString slow = QLatin1String(GetParam());
    const sim::FixtureLogs logs = sim.content().logs;
    sim.InjectSlowOnce(slow);
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    Load(true);
    ASSERT_TRUE(WaitFor(
        [&] {
            return SerialLog().contains(
                QRegularExpression("---Automatic Mode (Failed|Camplate) Finished---"));
        },
        60000))
        << Journal();
    EXPECT_EQ(Requests(slow), 2);
    if (!SerialLog().contains("---Automatic Mode Camplate Finished---")) {
        // Failed: then told so, and nothing erased.
        EXPECT_EQ(sim.Erases(), 0);
        EXPECT_TRUE(Has(Text(5411)));
    }
    // An answer that comes late costs a time-out, never the run.
    ASSERT_TRUE(Has(Text(5410))) << Journal();
    EXPECT_EQ(sim.Erases(), 1);
    EXPECT_TRUE(sim.PoweredOff());
    Database db(DatabasePath);
    Expect expect{db, logs};
    expect.Intervals();
    expect.AlarmTrends();
    expect.Events(TypeAlarmEvents, QStringLiteral("Alarm_Event"), QStringLiteral("Alarm Events"),
                  logs.alarmEvents);
    expect.Events(TypeTroubleEvents, QStringLiteral("Trouble_Event"),
                  QStringLiteral("Trouble Events"), logs.troubleEvents);
    expect.History();
}

// The first request, the latest calibration, channel 1 of the histories, the trends, the
// events, the erase and the power-off.
INSTANTIATE_TEST_SUITE_P(EveryStep, SlowAnswer,
                         ::testing::Values("VP,R,", "SO,R,", "IH,R,1,", "DR,R,", "DJ,R,", "VE,R,",
                                           "TV,R,", "XC,W,", "RO,W,"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return QString::fromLatin1(info.param).left(2).toStdString();
                         });

// The instrument falls silent in the middle of the automatic mode and the user presses Cancel:
// the transfer ends as cancelled within a second, the step asks for nothing more, nothing of it
// is stored, nothing is erased and the mode ends as failed.
TEST_F(EndToEnd, CancelEndsASilentTransferWithinASecond) {
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    QElapsedTimer sinceCancel;
    qint64 cancelledAfter = -1;
    // Silent on the interval trend (it would answer only the request sent again), answering
    // again for the power-off.
    OnRequest("DR,R,", [&] {
        sim.InjectSilence(1);
        main->pageDownload->LoadedUpload()->cmdUpload->click();
        sinceCancel.start();
    });
    Load();
    QObject::connect(main->pageDownload->rtbLog->document(), &QTextDocument::contentsChanged, [&] {
        if (cancelledAfter < 0 && Has(QStringLiteral("Cominucation Canceled.")))
            cancelledAfter = sinceCancel.elapsed();
    });
    ASSERT_TRUE(WaitFor(
        [&] { return SerialLog().contains("---Automatic Mode Failed Finished---"); }, 60000))
        << Journal();
    EXPECT_GE(cancelledAfter, 0);
    EXPECT_LT(cancelledAfter, 1000);
    EXPECT_EQ(ColorOf(QStringLiteral("Cominucation Canceled.")), ui::RGB(255, 0, 0));
    EXPECT_EQ(Requests("DR,R,"), 1);
    EXPECT_EQ(sim.CountReceived("DR,R,<NAK>"), 0);
    EXPECT_EQ(sim.CountReceived("DJ,R,"), 0);
    EXPECT_EQ(Rows("Interval_Data"), 0);
    EXPECT_EQ(sim.Erases(), 0);
    EXPECT_TRUE(Has(Text(5411)));
}

// The instrument ignores its power-off: the link finds it again at once, and the automatic mode
// neither downloads nor erases it again. Once it has gone, an instrument at its path again is a
// new connection and gets its own run.
TEST_F(EndToEnd, AfterAnIgnoredPowerOffTheAutomaticModeWaitsForTheNextConnection) {
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    OnRequest("RO,W,", [&] { sim.InjectSilence(31); });  // the command and its 30 repeats
    Load(true);
    ASSERT_TRUE(WaitFor([&] { return Has(Text(9059)); }, 60000)) << Journal();
    EXPECT_EQ(ColorOf(Text(5408)), ui::RGB(255, 0, 0));
    // A while for a second run to start, had it been going to.
    QElapsedTimer moment;
    moment.start();
    WaitFor([&] { return moment.elapsed() > 500; });
    EXPECT_EQ(SerialLog().count("---Automatic Mode Process Start---"), 1);
    EXPECT_EQ(SerialLog().count("---Automatic Mode Failed Finished---"), 1);
    EXPECT_EQ(sim.Erases(), 1);
    EXPECT_EQ(sim.CountReceived("VP,R,"), 1);
    EXPECT_TRUE(fastLink->Connected());

    sim.CloseFarEnd();
    sim::InstrumentSimulator fresh;
    ASSERT_TRUE(fresh.Start());
    ASSERT_TRUE(fresh.MakeLink(device));
    ASSERT_TRUE(AutomaticRunsCompleted(1)) << Journal();
    EXPECT_EQ(fresh.Erases(), 1);
    EXPECT_TRUE(fresh.PoweredOff());
}

TEST_F(EndToEnd, NoInstrumentACancelSilenceAndALostPortStoreNothing) {
    Load(true);
    // Not connected yet: nothing is sent.
    main->pageDownload->cmdDown_Click(2);
    EXPECT_EQ(ColorOf(Text(5422)), ui::RGB(255, 0, 0));
    EXPECT_EQ(sim.CountReceived("DR,R,"), 0);
    ASSERT_TRUE(WaitFor([&] { return Has(GetMessage(5432)); }));
    Click(1);

    // A chain cancelled in the interval trend stores nothing of it and goes no further.
    OnRequest("DR,R,", [&] { main->pageDownload->LoadedUpload()->cmdUpload->click(); });
    Click(0);
    EXPECT_EQ(ColorOf("Cominucation Canceled."), ui::RGB(255, 0, 0));
    EXPECT_EQ(Rows("Interval_Data"), 0);
    EXPECT_EQ(sim.CountReceived("DJ,R,"), 0);
    EXPECT_EQ(Enabled(), kAll);  // as they were before the chain
    EXPECT_EQ(OperationMode, OpIdle);
    EXPECT_EQ(main->pageDownload->LoadedUpload(), nullptr);
    EXPECT_EQ(SerialLog().count("--- All download sequence Finished."), 1);
    EXPECT_TRUE(SerialLog().contains("---Process to Canceled---"));

    // The instrument falls silent after the first block: the retries run out.
    sim.SetLinesPerBlock(5);
    OnRequest("DR,R,<ACK>", [&] { sim.InjectSilence(1000); });
    Click(2);
    EXPECT_EQ(ColorOf(Text(5421)), ui::RGB(255, 0, 0)) << Journal();
    EXPECT_GT(sim.CountReceived("DR,R,<NAK>"), 25);
    EXPECT_EQ(Rows("Interval_Data"), 0);
    EXPECT_EQ(Database(DatabasePath)
                  .scalar(QStringLiteral("Select Count(*) From Log_head Where Types = 1"))
                  .toLongLong(),
              0);
    EXPECT_EQ(Enabled(), kAll);
    EXPECT_TRUE(SerialLog().contains("---Interval Trend Download Failed---"));

    // The device goes away in the middle of a transfer.
    sim.ClearFaults();
    journal.clear();
    colors.clear();
    OnRequest("DJ,R,", [&] { sim.InjectCloseAfterBlocks(1); });
    Click(3);
    EXPECT_EQ(ColorOf(Text(5426)), ui::RGB(255, 0, 0)) << Journal();
    EXPECT_EQ(Rows("Alarm_Data"), 0);
    // The instrument has gone: the buttons come back disabled, the link lamp gray.
    EXPECT_EQ(Enabled(), (std::array<bool, 9>{}));
    EXPECT_EQ(main->pageDownload->shpStatus[1]->BackColor(), main->LampGray[0]);
    EXPECT_EQ(OperationMode, OpIdle);
}

// The device named by QV4170_PORT is not there when the program starts, and later goes away in
// the middle of a transfer: each time the serial log says why, the port lamp does not claim an
// open port, and the instrument is taken up when its device is there again.
TEST_F(EndToEnd, APortNotThereYetOrGoneIsTakenUpWhenItsDeviceComes) {
    // Not there yet.
    QFile::remove(device);
    qputenv("QV4170_PORT", device.toLocal8Bit());
    const auto unset = qScopeGuard([] { qunsetenv("QV4170_PORT"); });
    systemFinder = true;
    Load(true);
    const QString cause =
        QStringLiteral(") cannot be opened: the device %1 is missing").arg(device);
    EXPECT_EQ(SerialLog().count(cause), 1);
    ui::ShapeControl* lamp = main->pageDownload->shpStatus[0];
    EXPECT_EQ(lamp->BackColor(), main->LampRed[0]);
    // The status log says it too, in red, once per cause.
    const auto said = [&](const QString& what) {
        return journal.filter(GetMessage(9101, {QString()})).filter(what);
    };
    ASSERT_EQ(said(cause).size(), 1) << Journal();
    EXPECT_EQ(ColorOf(said(cause).front()), ui::RGB(255, 0, 0));

    ASSERT_TRUE(sim.MakeLink(device));
    ASSERT_TRUE(WaitFor([&] { return Has(GetMessage(5432)); })) << Journal();
    EXPECT_EQ(lamp->BackColor(), main->LampGreen[0]);
    EXPECT_EQ(SerialLog().count(cause), 1);

    Click(1);
    OnRequest("DR,R,", [&] { sim.InjectCloseAfterBlocks(1); });
    Click(2);
    EXPECT_EQ(ColorOf(Text(5421)), ui::RGB(255, 0, 0)) << Journal();
    EXPECT_EQ(Rows("Interval_Data"), 0);
    const QString log = SerialLog();
    const qsizetype fail = log.indexOf(GetMessage(5526) + QStringLiteral("\r\n"));
    ASSERT_GE(fail, 0);
    EXPECT_TRUE(log.mid(fail).section(QStringLiteral("\r\n"), 1, 1).contains(") went away: "))
        << log.mid(fail).toStdString();
    EXPECT_EQ(lamp->BackColor(), main->LampRed[0]);
    // The device is looked for again and again; its absence is logged once.
    ASSERT_TRUE(WaitFor([&] { return SerialLog().count(cause) == 2; }));
    QElapsedTimer retrying;
    retrying.start();
    WaitFor([&] { return retrying.elapsed() > 300; });
    EXPECT_EQ(SerialLog().count(cause), 2);
    EXPECT_EQ(said(") went away: ").size(), 1) << Journal();
    EXPECT_EQ(said(cause).size(), 2) << Journal();

    // Another instrument at the same path.
    sim::InstrumentSimulator again;
    ASSERT_TRUE(again.Start());
    journal.clear();
    colors.clear();
    ASSERT_TRUE(again.MakeLink(device));
    ASSERT_TRUE(WaitFor([&] { return Has(GetMessage(5432)); })) << Journal();
    EXPECT_EQ(lamp->BackColor(), main->LampGreen[0]);
    EXPECT_EQ(SerialLog().count(") went away: "), 2)  // its log line and the fail line
        << SerialLog().toStdString();
}

TEST_F(EndToEnd, ClosingDuringADownloadCancelsItAndClosesAfterwards) {
    Connect();
    Click(1);
    bool visibleAfterClose = false;
    OnRequest("DR,R,", [&] {
        main->close();
        visibleAfterClose = main->isVisible();
    });
    Click(2);
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_TRUE(Has("Cominucation Canceled."));
    EXPECT_EQ(Rows("Interval_Data"), 0);
    EXPECT_TRUE(WaitFor([&] { return !main->isVisible(); }, 5000));
    EXPECT_FALSE(QFile::exists(LockFilePath(DatabasePath)));
}

TEST_F(EndToEnd, ClosingDuringTheAutomaticModeEndsItFirst) {
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    OnRequest("DR,R,", [&] { main->close(); });
    Load();
    ASSERT_TRUE(WaitFor([&] { return !main->isVisible(); }, 60000)) << Journal();
    EXPECT_EQ(Rows("Interval_Data"), 0);
    EXPECT_EQ(sim.CountReceived("DJ,R,"), 0);
    EXPECT_EQ(sim.Erases(), 0);
    EXPECT_TRUE(SerialLog().contains("---Automatic Mode Failed Finished---"));
    EXPECT_FALSE(QFile::exists(LockFilePath(DatabasePath)));
}

// The program as a user starts it: the device named by QV4170_PORT, automatic load switched on
// in the settings file, no click at all.
TEST_F(EndToEnd, TheProgramRunsTheAutomaticModeFromTheCommandLine) {
    WriteSettings({"Auto Load Mode\tFalse\tTrue\tTrue"});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QV4170_PORT", device);
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QV_PROGRAM), {});
    ASSERT_TRUE(program.waitForStarted());
    const bool done = WaitFor(
        [&] { return SerialLog().contains("---Automatic Mode Camplate Finished---"); }, 90000);
    program.kill();
    program.waitForFinished();
    ASSERT_TRUE(done) << SerialLog().right(2000).toStdString();
    EXPECT_TRUE(sim.PoweredOff());
    EXPECT_EQ(sim.Erases(), 1);
    DatabasePath = programFile(QStringLiteral("QV4170.mdb"));
    for (const char* table :
         {"Interval_Data", "Alarm_Data", "Alarm_Event", "Trouble_Event", "cHistory", "cLatestHist"})
        EXPECT_GT(Rows(QLatin1String(table)), 0) << table;
}

using MainWindowLink = ShellTest;

TEST_F(MainWindowLink, LiveReadingsAndNewInstrumentInformation) {
    auto main = MakeMain();
    main->CurInstrument->SetGasEnabled(0, true);
    main->CurInstrument->SetGasEnabled(1, true);
    main->uclQV4170_Densty(12, 20.9f, 1.5f, 3, 12);
    EXPECT_EQ(main->NowReadings[0], 12);
    EXPECT_FLOAT_EQ(main->NowReadings[1], 20.9f);
    EXPECT_EQ(main->NowReadings[2], -1);  // a disabled channel
    EXPECT_EQ(main->NowReadings[4], -1);

    // A sensor fixed in the gas catalogue is on whatever the instrument says (not gas 5).
    GasLocked = {false, true, false, false, true, false};
    main->CurInstrument->SetGasEnabled(1, false);
    main->CurInstrument->SetSerialNo(QStringLiteral("SN9"));
    main->RefreshInstrumentViews();
    EXPECT_TRUE(main->CurInstrument->GasEnabled(1));
    EXPECT_FALSE(main->CurInstrument->GasEnabled(4));
    EXPECT_EQ(main->pageDownload->lblStatus[5]->text(), "SN9");
}

}  // namespace
}  // namespace qv::test
