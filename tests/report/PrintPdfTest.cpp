// Every report kind printed from the fixture database to the PDF entry, in English and in
// Japanese, and read back with pdftotext and pdfinfo (its first sheet rendered to PNG under the
// build folder for looking at), and the calibration history page's Print item.
#include "PrintRig.h"

#include "CalHistoryPage.h"
#include "Database.h"
#include "PrinterTarget.h"
#include "modDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <map>

namespace qv::test {
namespace {

QString Output(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class PrintPdf : public PrintRig {
  protected:
    QTemporaryDir dir;

    // The text of the file (blanks and line breaks made one blank), its sheets, and whether
    // they are wider than high.
    struct Pdf {
        QString text;
        int pages = 0;
        bool landscape = false;
    };
    Pdf Read(const QString& name) {
        const QString path = dir.filePath(name + ".pdf");
        EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join('|').toStdString();
        QDir().mkpath(QV_SCREENSHOT_DIR);
        Output("pdftoppm",
               {"-png", "-r", "60", "-singlefile", path, QV_SCREENSHOT_DIR "/print_" + name});
        Pdf pdf{Output("pdftotext", {"-layout", path, "-"}).simplified()};
        for (const QString& line : Output("pdfinfo", {path}).split('\n')) {
            const QStringList words = line.simplified().split(' ');
            if (words.size() == 2 && words[0] == "Pages:") pdf.pages = words[1].toInt();
            if (words.size() >= 5 && words[0] == "Page")
                pdf.landscape = words[2].toDouble() > words[4].toDouble();
        }
        return pdf;
    }
};

TEST_F(PrintPdf, EveryKindOfStoredLogPrintsToAPdfFile) {
    const FixtureLogs& l = fixture.logs();
    // Texts the file must hold, separated by "|"; a name ending in "graph" prints the graph.
    // clang-format off
    const struct { const char* name; int32_t type, seqNo; int pages; QString expected; } cases[] = {
        {"interval_table", 1, l.intervalA0514, 2, "QV-4170 Data Logger (Interval Trend) 7/2/2024 "
         "9:30:00 AM|Avg 24 20.9 1.5 24|100 5/14/2024 11:39:00 AM 49 20.9 0.5 9"},
        {"interval_graph", 1, l.intervalA0514, 1, "Max 49 20.9 0.0 19|Data Browse (Tank 'A' run)"},
        {"alarm_table", 2, l.alarmA, 13, "Warn 10 19.5 10.0 25|361 5/14/2024 12:00:00 PM 13 ALARM "
         "0.0 -----"},
        {"alarm_graph", 2, l.alarmA, 1, "Data Browse (al14120000) - Alarm Trend"},
        {"calibration_history", 3, l.historyA, 1, "CO (ppm) CH4(vol%)|Before 17 36.0 17.0 47 STEL "
         "After 20 39.0 20.0 50 NORMAL 2"},
        {"alarm_events", 5, l.alarmEventsA, 1, "No Date/Time Gas Alarm|2 5/15/2024 10:00:00 AM OXY "
         "ALARM"},
        {"trouble_events", 6, l.troubleA, 1, "Sensor/System Event|5 5/18/2024 10:00:00 AM System WARN"},
        {"power_events", 7, l.powerA, 1, "1 5/14/2024 10:00:00 AM ON 2 5/14/2024 11:00:00 AM OFF"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Choose(ui::PdfEntryName(), dir.filePath(QString(c.name) + ".pdf"));
        Form(c.type, c.seqNo, QString(c.name).endsWith("graph"))->GoPrinter();
        const Pdf pdf = Read(c.name);
        EXPECT_EQ(pdf.pages, c.pages);
        EXPECT_FALSE(pdf.landscape);
        for (const QString& text : c.expected.split('|'))
            EXPECT_TRUE(pdf.text.contains(text)) << text.toStdString() << " in\n"
                                                 << pdf.text.left(2000).toStdString();
    }
}

TEST_F(PrintPdf, CalibrationHistoryPagePrintItemPrintsItsListInLandscape) {
    for (const FixtureIdentity& id : {FixtureDatabase::A(), FixtureDatabase::C()}) {
        Database db(DatabasePath);
        db.execute(
            "Insert Into cLatestHist (SeqNo,SerialNo,StationID,UserID,WriteDates,CalLimit,"
            "Gas1Name,Gas1CalDate) Values (?,?,?,?,?,180,'CH4',?)",
            QVariantList{NextSeqNo(db, "cLatestHist"), id.serial, id.station, id.user,
                         rt::MakeDate(2024, 6, 30), rt::MakeDate(2023, 12, 15)});
    }
    bool firstActivate = false, inSelChange = false;
    CalHistoryPage page;
    page.Bind({firstActivate, inSelChange, [] {}, PrintLastCalibrationList});
    page.SetCaptions();
    page.optHistory[1]->setChecked(true);
    ASSERT_EQ(page.vfgHistory->Rows(), 3);
    page.vfgHistory->SetRow(2);
    Choose(ui::PdfEntryName(), dir.filePath("last_calibration.pdf"));
    page.mnuHistDel_Click(0);
    const Pdf pdf = Read("last_calibration");
    EXPECT_EQ(pdf.pages, 1);
    EXPECT_TRUE(pdf.landscape);
    EXPECT_TRUE(pdf.text.startsWith("QV-4170 Data Logger (Last Calibration)"))
        << pdf.text.toStdString();
    for (int r = 0; r < page.vfgHistory->Rows(); ++r)
        for (int c = 0; c <= 4; ++c)
            EXPECT_TRUE(pdf.text.contains(page.vfgHistory->TextMatrix(r, c)))
                << page.vfgHistory->TextMatrix(r, c).toStdString();
}

// Words of a sheet that run into the next word of their line, as "a|b" (pdftotext's boxes).
QStringList OverlappingWords(const QString& path) {
    QStringList out;
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re");
    int sheet = 0;
    struct Word {
        double xMin, xMax;
        QString text;
    };
    std::map<std::pair<int, long>, std::vector<Word>> lines;
    for (const QString& line : Output("pdftotext", {"-bbox", path, "-"}).split('\n')) {
        if (line.contains("<page ")) ++sheet;
        const auto m = word.match(line);
        if (!m.hasMatch()) continue;
        lines[{sheet, std::lround(m.captured(2).toDouble())}].push_back(
            {m.captured(1).toDouble(), m.captured(3).toDouble(), m.captured(4)});
    }
    for (auto& [at, words] : lines) {
        std::sort(words.begin(), words.end(),
                  [](const Word& l, const Word& r) { return l.xMin < r.xMin; });
        for (size_t i = 1; i < words.size(); ++i)
            if (words[i - 1].xMax > words[i].xMin + 0.01)
                out << words[i - 1].text + "|" + words[i].text;
    }
    return out;
}

TEST_F(PrintPdf, CalibrationCellsStandApartInThePdf) {
    const int32_t history =
        FixtureBuilder(fixture.path())
            .AddHistory({"SN123456789012", "S", "U"}, {rt::MakeDate(2023, 12, 20, 16, 45, 0),
                                                       rt::MakeDate(2023, 11, 28, 22, 45, 59)});
    const QString path = dir.filePath("history_pm.pdf");
    Choose(ui::PdfEntryName(), path);
    Form(TypeCalHistory, history)->GoPrinter();
    const Pdf pdf = Read("history_pm");
    EXPECT_TRUE(pdf.text.contains("1 12/20/2023 4:45:00 PM Before")) << pdf.text.toStdString();
    EXPECT_TRUE(pdf.text.contains("2 11/28/2023 10:45:59 PM Before")) << pdf.text.toStdString();
    EXPECT_EQ(OverlappingWords(path), QStringList());

    // The last-calibration list with the dates and times of each gas.
    ui::TextTable list;
    list.rows << QString("No.|SerialNo|UserID|StationID|CH4|OXY|H2S|CO|CH4(vol%)").split('|');
    for (int r = 1; r <= 3; ++r) {
        list.rows << QStringList{QString::number(r), "SN123456789012", "Maintenance", "Station 12"};
        for (int g = 0; g < 5; ++g)
            list.rows.back() << "12/20/2023 10:45:00 PM";
    }
    const QString listPath = dir.filePath("list_pm.pdf");
    Choose(ui::PdfEntryName(), listPath);
    PrintLastCalibrationList(history, list);
    const Pdf listed = Read("list_pm");
    EXPECT_TRUE(
        listed.text.contains("SN123456789012 Maintenance Station 12 12/20/2023 10:45:00 PM "
                             "12/20/2023 10:45:00 PM"))
        << listed.text.toStdString();
    EXPECT_EQ(OverlappingWords(listPath), QStringList());
}

TEST_F(PrintPdf, APdfNotWrittenWholeLeavesTheFileItWasToReplace) {
    const QString path = dir.filePath("report.pdf");
    const QByteArray old("%PDF-1.4 an older report\n");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    auto form = Form(TypePowerEvents, fixture.logs().powerA);
    Choose(ui::PdfEntryName(), path);
    dialogs.AnswerMsgBox(vbYes);  // the old report may be replaced
    // The file size limit stands in for a full disk: the document is cut short.
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    rlimit small = limit;
    small.rlim_cur = 4096;
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    form->GoPrinter();
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldSignal);
    ASSERT_EQ(dialogs.messages().size(), 2);
    EXPECT_EQ(dialogs.messages()[0], GetMessage(5307));
    EXPECT_TRUE(
        dialogs.messages()[1].startsWith("The report was not printed.\r\nCannot write " + path))
        << dialogs.messages()[1].toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"report.pdf"});

    // Written whole, the new report takes the old one's place.
    file.close();
    dialogs.clear();
    Choose(ui::PdfEntryName(), path);
    dialogs.AnswerMsgBox(vbYes);
    Form(TypePowerEvents, fixture.logs().powerA)->GoPrinter();
    EXPECT_EQ(dialogs.messages(), QStringList{GetMessage(5307)});
    dialogs.clear();
    EXPECT_TRUE(Read("report").text.startsWith("QV-4170 Data Logger (Power Event)"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"report.pdf"});
}

// A PDF surface that records every text drawn on it.
class RecordedPdf : public ui::RecordingTarget {
  public:
    explicit RecordedPdf(std::shared_ptr<ui::PdfFileTarget> pdf)
        : RecordingTarget(*pdf), pdf_(std::move(pdf)) {}

  private:
    std::shared_ptr<ui::PdfFileTarget> pdf_;
};

TEST_F(PrintPdf, EveryJapaneseReportGivesBackItsTextsExactly) {
    // A Japanese user's font: the kanji of the catalogue's texts share their glyphs with the
    // radicals of the same shape, and its digits after letters would drop out of the text.
    SetCatalogueLanguage(CatalogueLanguage::Japanese);
    AppFont.Name = "Noto Sans CJK JP";
    const FixtureLogs& l = fixture.logs();
    const int32_t latin = FixtureBuilder(fixture.path())
                              .AddInterval({"SN1234567890", "ST-42", "U7"}, "Run 2024",
                                           rt::MakeDate(2024, 5, 14, 10, 0, 0), 20);
    // The last calibrations under the calibration history page's headings.
    ui::TextTable lastCalibrations;
    lastCalibrations.rows << GetMessage(5662).split('|');
    lastCalibrations.rows << QStringList{"1",  "SN123456789012", "U", "S", "CH4", "10", "50", "50",
                                         "180"};
    const struct {
        const char* name;
        int32_t type, seqNo;
        bool graph;
    } reports[] = {{"ja_interval_table", TypeInterval, latin, false},
                   {"ja_interval_graph", TypeInterval, l.intervalA0514, true},
                   {"ja_alarm_table", TypeAlarmTrend, l.alarmA, false},
                   {"ja_alarm_graph", TypeAlarmTrend, l.alarmA, true},
                   {"ja_calibration_history", TypeCalHistory, l.historyA, false},
                   {"ja_last_calibration", TypeLastCalibration, l.historyA, false},
                   {"ja_alarm_events", TypeAlarmEvents, l.alarmEventsA, false},
                   {"ja_trouble_events", TypeTroubleEvents, l.troubleA, false},
                   {"ja_power_events", TypePowerEvents, l.powerA, false}};
    for (const auto& r : reports) {
        SCOPED_TRACE(r.name);
        auto form = Form(r.type, r.seqNo, r.graph);
        if (r.type == TypeLastCalibration) form->SetTableData(lastCalibrations);
        std::shared_ptr<RecordedPdf> drawn;
        form->SetTargetMaker([&](QPrinter& printer) {
            drawn = std::make_shared<RecordedPdf>(std::make_shared<ui::PdfFileTarget>(
                printer.outputFileName(), printer.pageLayout(), printer.resolution()));
            return drawn;
        });
        Choose(ui::PdfEntryName(), dir.filePath(QString(r.name) + ".pdf"));
        form->GoPrinter();
        ASSERT_TRUE(drawn);
        const Pdf pdf = Read(r.name);
        // Still a document a reader opens and renders.
        EXPECT_GE(pdf.pages, 1);
        EXPECT_TRUE(QFile::exists(QV_SCREENSHOT_DIR "/print_" + QString(r.name) + ".png"));
        // Every text drawn, the catalogue's Japanese ones among them, reads back as it is.
        int japanese = 0;
        for (const ui::DrawCall& text : drawn->Calls(Kind::Text)) {
            const QString expected = text.text.simplified();
            if (expected.isEmpty()) continue;
            if (std::any_of(expected.begin(), expected.end(),
                            [](QChar c) { return c.unicode() >= 0x3000; }))
                ++japanese;
            EXPECT_TRUE(pdf.text.contains(expected)) << expected.toStdString() << " in\n"
                                                     << pdf.text.left(1500).toStdString();
        }
        EXPECT_GT(japanese, 0);
    }
}

}  // namespace
}  // namespace qv::test
