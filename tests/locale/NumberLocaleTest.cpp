// Numbers and dates are read and written alike in every locale. A desktop whose locale writes
// decimals with a comma (German here, made with localedef) runs the same session as the C locale
// does, each in a child of this test program: a complete download from the simulator, every
// stored log viewed, exported and printed, the settings uploaded as typed, and the settings file
// read, written and read back. Every file of the two runs is compared byte for byte. The
// run-time's own conversion tests run under the comma locale as well.
#include "Database.h"
#include "Dates.h"
#include "PrinterChoice.h"
#include "PrinterList.h"
#include "SettingsRig.h"
#include "SimulatedWindow.h"
#include "frmSetPrinter.h"
#include "modSettings.h"

#include <QDir>
#include <QProcess>
#include <QTextEdit>

#include <clocale>

namespace qv::test {
namespace {

const char* const kOutVariable = "QV_LOCALE_OUT";
const char* const kPointVariable = "QV_LOCALE_POINT";

// A German locale made for this run in a folder of its own (for LOCPATH); fails the test when
// it cannot be made.
QString CommaLocaleFolder() {
    static QTemporaryDir folder;
    static const QString made = [] {
        QProcess localedef;
        localedef.setProcessChannelMode(QProcess::MergedChannels);
        localedef.start(QStringLiteral("localedef"),
                        {"-i", "de_DE", "-f", "UTF-8", folder.filePath("de_DE.UTF-8")});
        const bool ran = localedef.waitForFinished(120000);
        // localedef may end with a warning status and still have made the locale.
        if (ran && QFileInfo::exists(folder.filePath("de_DE.UTF-8/LC_NUMERIC")))
            return folder.path();
        ADD_FAILURE() << "localedef could not make de_DE.UTF-8 (Debian package locales): "
                      << localedef.errorString().toStdString() << " "
                      << localedef.readAll().toStdString();
        return QString();
    }();
    return made;
}

struct ChildRun {
    int exitCode = -1;
    std::string output;
};

// Runs a program under the locale named, with only that locale in the environment.
ChildRun RunUnder(const QString& locale, const QString& program, const QStringList& arguments,
                  const QMap<QString, QString>& extra = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : env.keys())
        if (name.startsWith(QLatin1String("LC_")) || name == QLatin1String("LANG") ||
            name == QLatin1String("LANGUAGE"))
            env.remove(name);
    env.insert(QStringLiteral("LC_ALL"), locale);
    env.insert(QStringLiteral("LOCPATH"), CommaLocaleFolder());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (auto it = extra.begin(); it != extra.end(); ++it)
        env.insert(it.key(), it.value());
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(program, arguments);
    ChildRun run;
    if (!child.waitForFinished(150000)) {
        run.output = "did not finish: " + child.errorString().toStdString();
        return run;
    }
    run.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    run.output = child.readAll().toStdString();
    return run;
}

const QString kComma = QStringLiteral("de_DE.UTF-8");

TEST(NumberLocale, TheRuntimesConversionTestsPassUnderACommaLocale) {
    ASSERT_FALSE(CommaLocaleFolder().isEmpty());
    for (const auto& [program, filter] :
         {std::pair{QStringLiteral(QV_PLATFORM_TESTS), QStringLiteral("NumberTest.*:DateTest.*")},
          std::pair{QStringLiteral(QV_FOUNDATION_TESTS), QStringLiteral("GasValues.*")}}) {
        const ChildRun run = RunUnder(kComma, program, {"--gtest_filter=" + filter});
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find("[  PASSED  ]"), std::string::npos) << run.output;
    }
}

TEST(NumberLocale, ACommaLocaleWritesWhatTheCLocaleWrites) {
    ASSERT_FALSE(CommaLocaleFolder().isEmpty());
    QTemporaryDir out;
    const QString self = QCoreApplication::applicationFilePath();
    const struct {
        QString locale, folder, point;
    } runs[] = {{QStringLiteral("C"), out.filePath("C"), QStringLiteral(".")},
                {kComma, out.filePath("comma"), QStringLiteral(",")}};
    for (const auto& r : runs) {
        ASSERT_TRUE(QDir().mkpath(r.folder));
        const ChildRun run = RunUnder(r.locale, self, {"--gtest_filter=NumberLocaleChild.*"},
                                      {{kOutVariable, r.folder}, {kPointVariable, r.point}});
        // A failing run still leaves its files, whose differences tell more.
        EXPECT_EQ(run.exitCode, 0) << r.locale.toStdString() << "\n" << run.output;
        EXPECT_NE(run.output.find("[  PASSED  ] 1 test"), std::string::npos) << run.output;
    }
    const QStringList names = QDir(runs[0].folder).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(QDir(runs[1].folder).entryList(QDir::Files, QDir::Name), names);
    EXPECT_GE(names.size(), 20) << names.join(u' ').toStdString();
    const auto bytes = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    };
    for (const QString& name : names) {
        const QByteArray c = bytes(runs[0].folder + u'/' + name);
        const QByteArray comma = bytes(runs[1].folder + u'/' + name);
        if (c == comma) continue;
        if (name.endsWith(QLatin1String(".bmp"))) {
            ADD_FAILURE() << name.toStdString() << " differs";
            continue;
        }
        // The first line that differs tells what was read or written differently.
        const QList<QByteArray> a = c.split('\n'), b = comma.split('\n');
        qsizetype line = 0;
        while (line < a.size() && line < b.size() && a[line] == b[line])
            ++line;
        ADD_FAILURE() << name.toStdString() << " differs at line " << line + 1
                      << ":\n  C: " << a.value(line).left(300).toStdString()
                      << "\n  comma: " << b.value(line).left(300).toStdString();
    }
    // The C run stored the readings as the instrument sent them.
    EXPECT_TRUE(ReadText(runs[0].folder + "/tables.txt").contains("|20.9|")) << "C run";
}

// ---- The session, run in the child ----

class NumberLocaleChild : public SimulatedWindow {
  protected:
    struct FixedNow : rt::Clock {
        QDateTime now() const override { return rt::MakeDate(2024, 7, 2, 9, 30, 0); }
    };

    void SetUp() override {
        SimulatedWindow::SetUp();
        rt::SetClock(std::make_shared<FixedNow>());
    }
    void TearDown() override {
        SimulatedWindow::TearDown();
        rt::SetClock(nullptr);
        ServiceMode = false;
    }

    void Save(const QString& name, const QByteArray& bytes) const {
        WriteText(out_ + u'/' + name, bytes);
    }
    void Save(const QString& name, const QStringList& lines) const {
        Save(name, lines.join(u'\n').toUtf8());
    }
    // A copy of a file with this run's own folder named alike in every run.
    void CopyOut(const QString& from, const QString& name) const {
        QFile file(from);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << from.toStdString();
        Save(name, file.readAll().replace(ProgramFolder().toUtf8(), "<program folder>"));
    }

    // Every row of every table, each field as SQLite quotes it (its own text of a number).
    void SaveTables() const {
        Database db(DatabasePath);
        QStringList lines;
        for (const char* table :
             {"Log_Head", "Gas_List", "Interval_Data", "Interval_Event", "Alarm_Data", "cHistory",
              "cLatestHist", "Alarm_Event", "Trouble_Event", "Power_Event"}) {
            QStringList fields;
            for (const DbRow& c :
                 db.query(QStringLiteral("Select name From pragma_table_info(?) Order By cid"),
                          {QLatin1String(table)}))
                fields << "quote(" + c.toText(QStringLiteral("name"), {}) + u')';
            lines << QLatin1String(table);
            const auto rows = db.query("Select " + fields.join("||'|'||") + " As Line From " +
                                       QLatin1String(table) + " Order By rowid");
            EXPECT_FALSE(rows.empty()) << table;
            for (const DbRow& r : rows)
                lines << '|' + r.toText(QStringLiteral("Line"), {}) + '|';
        }
        Save(QStringLiteral("tables.txt"), lines);
    }

    static QStringList GridLines(const ui::FlexGrid& grid) {
        QStringList lines;
        for (const QStringList& row : ui::GridTexts(grid).rows)
            lines << row.join(u'|');
        return lines;
    }

    // Each stored log on the data view page: its table and summary, its export as comma- and
    // tab-separated text, its printed table and, for a trend, its graph as a bitmap and printed.
    void ViewExportAndPrintEveryLog() {
        ui::FixedPrinterList printers{{"Office"}, "Office"};
        DataViewPage& view = *main_->pageDataView;
        Database db(DatabasePath);
        const auto logs =
            db.query(QStringLiteral("Select SeqNo, Types From Log_Head Order By SeqNo"));
        ASSERT_GE(logs.size(), 6u);
        for (const DbRow& log : logs) {
            const auto kind = static_cast<int32_t>(log.toLong(QStringLiteral("Types"), 0));
            const QString name = QStringLiteral("log%1-").arg(
                log.toLong(QStringLiteral("SeqNo"), 0), 2, 10, QLatin1Char('0'));
            main_->CurDataType = kind;
            main_->CurSeqNo = static_cast<int32_t>(log.toLong(QStringLiteral("SeqNo"), 0));
            view.cmdDetail_Click();
            Save(name + "view.txt", GridLines(*view.vfgBrowse) + GridLines(*view.vfgSummary));
            const struct {
                bool graph;
                int filter;
                const char* file;
            } exports[] = {
                {false, 1, "export.csv"}, {false, 2, "export-tab.csv"}, {true, 1, "graph.bmp"}};
            for (const auto& e : exports) {
                if (e.graph && !view.optBrowse[1]->isEnabled()) continue;
                view.optBrowse[e.graph ? 1 : 0]->click();
                dialogs_->AnswerFile({true, out_ + u'/' + name + QLatin1String(e.file), e.filter});
                view.cmdBrowse_Click(2);
            }
            for (const bool graph : {false, true}) {
                if (graph && !view.optBrowse[1]->isEnabled()) continue;
                view.optBrowse[graph ? 1 : 0]->click();
                Save(name + (graph ? "printed-graph.txt" : "printed.txt"), PrintedText());
            }
            view.optBrowse[0]->click();
        }
        EXPECT_TRUE(dialogs_->messages().isEmpty())
            << dialogs_->messages().join(u'|').toStdString();
    }

    // The data view's Print to a PDF file, as its text.
    QByteArray PrintedText() {
        const QString pdf = home_.filePath(QStringLiteral("printed.pdf"));
        QFile::remove(pdf);
        ChoosePrinterEntry(*dialogs_, ui::PdfEntryName());
        dialogs_->AnswerFile({true, pdf, 1});
        main_->pageDataView->cmdBrowse_Click(0);
        QProcess text;
        text.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        EXPECT_TRUE(text.waitForFinished(60000));
        return text.readAllStandardOutput();
    }

    // Levels typed into the option page, then every setting uploaded.
    void TypeAndUploadEverySetting() {
        ServiceMode = false;
        main_->cmdInst_Click(4);
        OptionPage& page = *main_->pageOption;
        ui::FlexGrid& grid = *page.vfgOption;
        // Rows 2 to 6 are gases 1 to 5; columns 1 to 5 warning, alarm, STEL, TWA, auto-cal.
        const struct {
            int row, col;
            const char* text;
        } typed[] = {{3, 1, "19.6"}, {3, 2, "18.5"}, {3, 5, "12.5"}, {4, 1, "5.5"},
                     {4, 2, "12.5"}, {4, 3, "15.5"}, {4, 4, "7.5"},  {4, 5, "25.5"}};
        for (const auto& t : typed)
            EXPECT_EQ(Type(grid, t.row, t.col, QLatin1String(t.text)), Entry::Stored) << t.text;
        Save(QStringLiteral("option-grid.txt"), GridLines(grid));

        clsInstrument& in = *main_->CurInstrument;
        for (auto set :
             {&clsInstrument::SetChange_UserID, &clsInstrument::SetChange_StationID,
              &clsInstrument::SetChange_SerialNo, &clsInstrument::SetChange_DummySerial,
              &clsInstrument::SetChange_HCMode, &clsInstrument::SetChange_AlarmMode,
              &clsInstrument::SetChange_Interval, &clsInstrument::SetChange_DispID,
              &clsInstrument::SetChange_DispCalLimit, &clsInstrument::SetChange_CalLimit,
              &clsInstrument::SetChange_CalCheck, &clsInstrument::SetChange_LunchBreak,
              &clsInstrument::SetChange_AlarmSilence, &clsInstrument::SetChange_Confermation,
              &clsInstrument::SetChange_LogOverWrite, &clsInstrument::SetChange_LcdBackLight,
              &clsInstrument::SetChange_LcdContrast, &clsInstrument::SetChange_FlowAdjust,
              &clsInstrument::SetChange_AlarmO2})
            (in.*set)(true);
        for (int c = 0; c < 5; ++c)
            for (auto set : {&clsInstrument::SetChange_GasEnable, &clsInstrument::SetChange_Warn,
                             &clsInstrument::SetChange_Alarm, &clsInstrument::SetChange_Stel,
                             &clsInstrument::SetChange_Twa, &clsInstrument::SetChange_AutoCal,
                             &clsInstrument::SetChange_Zero})
                (in.*set)(c, true);
        // The gas list goes out only with a sensor that is not the one read: gas 3's gets
        // another range, so its entry is written afresh, with its decimals.
        in.SetGasFullScale(2, 50);
        sim_.ClearReceived();
        dialogs_->AnswerMsgBox(vbYes);  // upload the settings?
        dialogs_->AnswerMsgBox(vbOK);   // the upload is done
        page.cmdOption_Click(0);
        EXPECT_EQ(dialogs_->messages().value(1), GetMessage(5311));
        EXPECT_TRUE(sim_.Refused().isEmpty()) << sim_.Refused().join(u'|').toStdString();
        EXPECT_EQ(sim_.Received().filter(QStringLiteral(",W,")).size(), 27);
        Save(QStringLiteral("upload.txt"), sim_.Received());
    }

    QString out_;
};

TEST_F(NumberLocaleChild, DownloadViewExportPrintUploadAndSettings) {
    out_ = qEnvironmentVariable(kOutVariable);
    if (out_.isEmpty()) GTEST_SKIP() << "runs in a child of NumberLocale";
    // The locale the parent named is the C library's: the run proves nothing otherwise.
    ASSERT_EQ(QString::fromLatin1(std::localeconv()->decimal_point),
              qEnvironmentVariable(kPointVariable));

    // Settings with decimals, as a user of this desktop may have edited them.
    ASSERT_NO_FATAL_FAILURE(LoadWindowWith(
        {"Font\t'DejaVu Sans'\t9.75\tFalse\tFalse\tFalse", "Conv Param\t0.25\tTrue",
         "Calib. Range\t1.5\t2.5\t3\t4.5\t5", "Prt Width\t2.5\t1.5",
         "Size Values\t0\t15000.5\t10000.25",
         "Gas Inst\t2\t'OXY'\tTRUE\tTrue\t1\t'VOL%'\t19.5\t18.0\t-1\t-1\t0.1\t40.0\t20.9"
         "\t0\t20.9\t255",
         "ChgGas\t3\t2\t'SO2'\tTRUE\tFalse\t1\t'ppm'\t2.5\t5.5\t-1\t-1\t0.5\t20.0\t10.5\t1"}));

    // The instrument's information, then a complete download with power events.
    ASSERT_NO_FATAL_FAILURE(ConnectAndRead());
    ServiceMode = true;
    main_->pageDownload->cmdDown[0]->click();
    ASSERT_TRUE(ReadText(programFile(QStringLiteral("SerialLog.log")))
                    .contains(QStringLiteral("--- All download sequence Finished.")))
        << main_->pageDownload->rtbLog->toPlainText().toStdString();
    SaveTables();

    ASSERT_NO_FATAL_FAILURE(ViewExportAndPrintEveryLog());
    ASSERT_NO_FATAL_FAILURE(TypeAndUploadEverySetting());

    // The settings file as the program writes it at its end, then read back and written again.
    main_->Form_Unload();
    main_.reset();
    CopyOut(SettingsFilePath(), QStringLiteral("settings-written.ini"));
    ResetGlobals();
    DefaultInstrument()->ClearDatas();
    const QList<SettingsLine> unread = LoadSettings();
    EXPECT_TRUE(unread.isEmpty()) << unread.value(0).text.toStdString();
    SaveSettings();
    CopyOut(SettingsFilePath(), QStringLiteral("settings-reread.ini"));
}

}  // namespace
}  // namespace qv::test
