// The settings file: round trip, the reader's rules, bad files, and safe writing.
#include <gtest/gtest.h>

#include "AppError.h"
#include "AppPaths.h"
#include "modGlobals.h"
#include "modModel.h"
#include "modScrambler.h"
#include "modSettings.h"

#include <sys/resource.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <csignal>
#include <random>

using namespace qv;

namespace {

class Settings : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetGlobals();
        QFile::remove(SettingsFilePath());
        // Reading no file forgets what an earlier reading kept for the writer.
        LoadSettings();
    }
    void TearDown() override {
        QFile::remove(SettingsFilePath());
        ResetGlobals();
    }
    static void WriteFile(const QByteArray& text) {
        QFile f(SettingsFilePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    static QString ReadFile() {
        QFile f(SettingsFilePath());
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }
};

}  // namespace

TEST_F(Settings, WhatIsWrittenReadsBack) {
    ExecuteCount = 6;
    SerialLogOn = true;
    CommPortNo = 3;
    AutoLoad = true;
    AutoRemoveData = true;
    AppFont.Name = "Noto Sans CJK JP";
    AppFont.Size = 10.5;
    AppFont.Bold = true;
    MainForm().ScaleColor = 255;
    MainForm().chkLog = {1, 0, 1};
    MainForm().WindowState = 2;
    MainForm().Width = 9000;
    CalibRange[2] = 2.6f;
    ConvFactor = 0.05f;
    ConvEnable = true;
    GasComb[0] = GasComb[31] = true;
    GasTable[1][7].Name = "H2S";
    GasTable[1][7].Desit = 0.1f;
    GasTable[1][7].TailZero = true;
    GasTable[0][8].Name = "NINE";  // the ninth entry is never written
    GasLocked[3] = true;
    FactAutoCal[1] = 50;
    GraphColor[4] = 0x00FF00;
    CalSpanOffWait = 45;
    PrtWidth = {2, 3, 0};
    AtCommandVersion = 2056;
    UserPassword = "pass word";
    DataLocation = "/data/it's; here\twith tabs";
    clsInstrument& inst = *DefaultInstrument();
    inst.SetCalLimit(180);
    inst.SetIntervals(60);
    inst.SetDispID(true);
    inst.SetFlowValue(130);
    inst.SetGasName(0, "O2");
    inst.SetGasUnit(0, "vol%");
    inst.SetGasEnabled(0, true);
    inst.SetAlarm(0, 18);
    inst.SetZero(2, 7);
    SaveSettings();

    ResetGlobals();
    MainForm() = MainFormSettings{};
    inst.ClearDatas();
    // What the program writes it reads without naming a line.
    EXPECT_TRUE(LoadSettings().isEmpty());
    EXPECT_EQ(ExecuteCount, 7);
    EXPECT_TRUE(SerialLogOn);
    EXPECT_EQ(CommPortNo, 3);
    EXPECT_TRUE(AutoLoad && AutoRemoveData);
    EXPECT_EQ(AppFont.Name, "Noto Sans CJK JP");
    EXPECT_DOUBLE_EQ(AppFont.Size, 10.5);
    EXPECT_TRUE(AppFont.Bold);
    EXPECT_EQ(MainForm().ScaleColor, 255);
    EXPECT_EQ(MainForm().chkLog, (std::array<int16_t, 3>{1, 0, 1}));
    EXPECT_EQ(MainForm().WindowState, 2);
    EXPECT_FLOAT_EQ(MainForm().Width, 9000);
    EXPECT_FLOAT_EQ(CalibRange[2], 3);  // read back as a whole number
    EXPECT_FLOAT_EQ(ConvFactor, 0.05f);
    EXPECT_TRUE(ConvEnable);
    EXPECT_TRUE(GasComb[0] && GasComb[31] && !GasComb[1]);
    EXPECT_EQ(GasTable[1][7].Name, "H2S");
    EXPECT_FLOAT_EQ(GasTable[1][7].Desit, 0.1f);
    EXPECT_TRUE(GasTable[1][7].TailZero);
    EXPECT_EQ(GasTable[0][8].Name, "");
    EXPECT_TRUE(GasLocked[3]);
    EXPECT_FLOAT_EQ(FactAutoCal[1], 50);
    EXPECT_EQ(GraphColor[4], 0x00FF00);
    EXPECT_EQ(CalSpanOffWait, 45);
    EXPECT_FLOAT_EQ(PrtWidth[1], 3);
    EXPECT_EQ(AtCommandVersion, 2056);
    EXPECT_EQ(UserPassword, "pass word");
    EXPECT_EQ(DataLocation, "/data/it's; here\twith tabs");
    EXPECT_EQ(inst.CalLimit(), 180);
    EXPECT_EQ(inst.Intervals(), 60);
    EXPECT_TRUE(inst.DispID());
    EXPECT_EQ(inst.FlowValue(), 130);
    EXPECT_EQ(inst.GasName(0), "O2");
    EXPECT_EQ(inst.GasUnit(0), "vol%");
    EXPECT_TRUE(inst.GasEnabled(0));
    EXPECT_FLOAT_EQ(inst.Alarm(0), 18);
    EXPECT_EQ(inst.Zero(2), 7);
    // The password is kept scrambled, never in the clear.
    EXPECT_FALSE(ReadFile().contains("pass word"));
    EXPECT_TRUE(ReadFile().contains("QV-4170\t" + EncodeText(EncodeText("pass word"))));
}

// A value that begins with "%" is as ordinary as any other text the file format can hold.
TEST_F(Settings, TextsTheFormatHoldsReadBackAsWritten) {
    WriteFile(
        "Font\t'%Mono'\t10\r\n"
        "Gas Inst\t1\t'CH4'\tTRUE\tFalse\t0\t'%LEL'\r\n"
        "Gas Inst\t2\t'%41'\tTRUE\tTrue\t1\t'%'\r\n"
        "ChgGas\t1\t2\t'HC '\tTRUE\tFalse\t0\t'%25LEL'\r\n"
        "DataLocation\t%2Fdata\r\n");
    for (int round = 0; round < 2; ++round) {
        LoadSettings();
        EXPECT_EQ(AppFont.Name, "%Mono");
        EXPECT_EQ(DefaultInstrument()->GasUnit(0), "%LEL");
        EXPECT_EQ(DefaultInstrument()->GasName(1), "%41");
        EXPECT_EQ(DefaultInstrument()->GasUnit(1), "%");
        EXPECT_EQ(GasTable[0][1].Unit, "%25LEL");
        EXPECT_EQ(DataLocation, "%2Fdata");
        // Written back as the format holds them, and read again the same.
        SaveSettings();
        EXPECT_TRUE(ReadFile().contains("\t'%LEL'\t"));
        ResetGlobals();
        DefaultInstrument()->ClearDatas();
    }

    // Texts the format cannot hold survive on lines of their own; the others stay plain.
    std::mt19937 rng(1105);
    const QString pool = QStringLiteral("ab %'\t;\r\n\u00e9\u30ac");
    for (int round = 0; round < 40; ++round) {
        QStringList texts;
        for (int t = 0; t < 4; ++t) {
            QString text;
            for (unsigned n = rng() % 6; n > 0; --n)
                text += pool[static_cast<qsizetype>(rng() % pool.size())];
            texts << text;
        }
        AppFont.Name = texts[0];
        DefaultInstrument()->SetGasName(2, texts[1]);
        DefaultInstrument()->SetGasUnit(2, texts[2]);
        DataLocation = texts[3].isEmpty() ? QStringLiteral("x") : texts[3];
        const QString location = DataLocation;
        SaveSettings();
        ResetGlobals();
        DefaultInstrument()->ClearDatas();
        LoadSettings();
        EXPECT_EQ(AppFont.Name, texts[0]);
        EXPECT_EQ(DefaultInstrument()->GasName(2), texts[1]);
        EXPECT_EQ(DefaultInstrument()->GasUnit(2), texts[2]);
        EXPECT_EQ(DataLocation, location);
    }

    // A file written while every value that began with "%" was percent-encoded reads as it
    // was meant.
    WriteFile(
        ";       Maintained by the QV-4170 station utility.\r\n"
        "Gas Inst\t1\t'CH4'\tTRUE\tFalse\t0\t%%25LEL\r\n"
        "DataLocation\t%%2Fa%3Bb\r\n");
    LoadSettings();
    EXPECT_EQ(DefaultInstrument()->GasUnit(0), "%LEL");
    EXPECT_EQ(DataLocation, "/a;b");
}

// Bytes that are no part of a UTF-8 character (a Shift-JIS name, a Latin-1 note, a stray
// continuation byte after a character outside the BMP, an encoded surrogate, an overlong form):
// the settings hold U+FFFD for each, and a write of the line keeps every one as the file has it.
TEST_F(Settings, BytesThatAreNotUtf8GoBackAsTheFileHasThem) {
    const QByteArray start =
        "Gas Inst\t3\t'\x83K\x83X'\tTRUE\tFalse\t1\t'ppm'\t10\t30\t15\t10\t0.5"
        "\t100\t10\t0\t10\t";
    const QByteArray note = " ; \x8C\x9F caf\xE9 \xF0\x90\x82\x80\x80 \xED\xA0\x80 \xC0\xAF";
    WriteFile(start + "33023" + note + "\r\n");
    LoadSettings();
    EXPECT_EQ(DefaultInstrument()->GasName(2), QString::fromUtf8("\uFFFDK\uFFFDX"));
    GraphColor[2] = 0x123456;
    ASSERT_EQ(SaveChangedSettings(), SettingsWrite::Written);
    QFile f(SettingsFilePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(),
              (start + "1193046" + note + "\r\nExecute Count\t1\r\n").toStdString());
}

TEST_F(Settings, ReaderRules) {
    WriteFile(
        "execute count\t41\r\n"
        "Serial Log File\ton\r\n"
        "IrCOMM Num\tCOM3\r\n"
        "Conv Param\tfast\tTrue\r\n"
        "GasComb\tTTTTTTTTTTTTTTTTTTTTTTTTTTTTTTT\r\n"
        "Gas Inst\tx\t'CO'\r\n"
        "Gas Inst\t2\t'NH3'\r\n"
        "LIMITDAYS\t14\r\n"
        "Unknown Key\t1\t2\r\n"
        "Execute Count\t42\r\n");
    GasComb[5] = true;
    LoadSettings();
    EXPECT_EQ(ExecuteCount, 42);  // the later line wins
    EXPECT_TRUE(SerialLogOn);
    EXPECT_EQ(CommPortNo, 4);
    EXPECT_FLOAT_EQ(ConvFactor, 0.2f);
    EXPECT_TRUE(ConvEnable);
    EXPECT_FALSE(GasComb[0]);  // 31 letters: ignored
    EXPECT_TRUE(GasComb[5]);
    EXPECT_EQ(DefaultInstrument()->GasName(1), "NH3");
    EXPECT_EQ(LimitDays, 14);
    // What the technician set is written back, and only that: a file without it gets none.
    SaveSettings();
    EXPECT_TRUE(ReadFile().contains("\r\nLIMITDAYS\t14\r\n"));
    LimitDays = 0;
    LoadSettings();
    EXPECT_EQ(LimitDays, 14);
    WriteFile("Execute Count\t1\r\n");
    LoadSettings();
    SaveSettings();
    EXPECT_FALSE(ReadFile().toUpper().contains("LIMITDAYS"));

    // A line without a TAB is separated by commas, as the file's header says; a comma on a line
    // with TABs belongs to its value, which the writer quotes.
    WriteFile(
        "Auto Load Mode, False ,True,'True'\r\n"
        "Font,'Arial, Narrow',11\r\n"
        "DataLocation\t/data,2024\r\n");
    EXPECT_TRUE(LoadSettings().isEmpty());
    EXPECT_FALSE(AutoCalibMode);
    EXPECT_TRUE(AutoLoad && AutoRemoveData);
    EXPECT_EQ(AppFont.Name, "Arial, Narrow");
    EXPECT_DOUBLE_EQ(AppFont.Size, 11);
    EXPECT_EQ(DataLocation, "/data,2024");
    SaveSettings();
    EXPECT_TRUE(ReadFile().contains("\r\nDataLocation\t'/data,2024'\r\n"));
    DataLocation.clear();
    EXPECT_TRUE(LoadSettings().isEmpty());
    EXPECT_EQ(DataLocation, "/data,2024");

    WriteFile("Serial Log File\tyes\r\nGasComb\tttttttttttttttttttttttttttttttttT\r\n");
    LoadSettings();
    EXPECT_FALSE(SerialLogOn);
    EXPECT_FALSE(GasComb[0]);
}

TEST_F(Settings, AShortLineLeavesTheMissingValuesAlone) {
    WriteFile("Auto Load Mode\tTrue\tTrue\tTrue\r\nGraph Color\t1\t2\t3\r\n");
    LoadSettings();
    WriteFile("Auto Load Mode\tFalse\r\nGraph Color\t7\r\n");
    LoadSettings();
    EXPECT_FALSE(AutoCalibMode);
    EXPECT_TRUE(AutoLoad);  // not taken from a slot the earlier line filled
    EXPECT_TRUE(AutoRemoveData);
    EXPECT_EQ(MainForm().ScaleColor, 7);
    EXPECT_EQ(MainForm().BackColor, 2);
}

// A line edited by hand that cannot be used as written costs only itself: every later line is
// read, blanks around a value do not count, and the lines are named in file order.
TEST_F(Settings, ALineThatCannotBeUsedIsSkippedAndNamed) {
    const QStringList lines{
        "Execute Count\t3",
        "LIMITDAYS\t40000",  // beyond its 16-bit field
        "IrCOMM Num\tCOM3",  // a word where a number belongs: the default
        "Auto Load Mode\tFalse \tTrue \tFalse ",
        "DefaultValue2\t1\t99999\t2",  // one value out of range: the others are taken
        "QV-4170\tAB",                 // cannot be unscrambled
        "Gas Inst\t7\t'X X'",          // no such channel
        "Exact Text\t2\t%X%27X",       // and its exact name, which goes with it
        "GasComb\tTTT",
        "Data Locaton\t/y",  // a misspelt key
        "COMM Settings\t9600,n,8,1",
        "Font\t 'Arial ' \t 10\tTrue",
        "; a comment",
        "Exact Text\t1\t%Mono",  // not right after a key line: of none
        "DataLocation\t/x ",
    };
    WriteFile(lines.join("\r\n").toUtf8() + "\r\n");
    LimitDays = 30;
    DefaultInstrument()->SetConfermation(5);
    const QList<SettingsLine> named = LoadSettings();
    QList<int> numbers;
    for (const SettingsLine& line : named) {
        numbers << line.number;
        EXPECT_EQ(line.text, lines[line.number - 1]);
    }
    EXPECT_EQ(numbers, (QList<int>{2, 3, 5, 6, 7, 9, 10, 14}));
    EXPECT_EQ(ExecuteCount, 3);
    EXPECT_EQ(LimitDays, 30);
    EXPECT_EQ(CommPortNo, 4);
    EXPECT_FALSE(AutoCalibMode);
    EXPECT_TRUE(AutoLoad);
    EXPECT_FALSE(AutoRemoveData);
    const clsInstrument& inst = *DefaultInstrument();
    EXPECT_EQ(inst.LunchBreak(), 1);
    EXPECT_EQ(inst.Confermation(), 5);
    EXPECT_EQ(inst.AlarmSilence(), 2);
    EXPECT_EQ(UserPassword, "");
    EXPECT_EQ(AppFont.Name, "Arial ");  // quoted: its own blank
    EXPECT_DOUBLE_EQ(AppFont.Size, 10);
    EXPECT_TRUE(AppFont.Bold);
    EXPECT_EQ(DataLocation, "/x");

    // The writer keeps every line it did not take, as written, ahead of its own lines: the next
    // reading names each again and comes to the same settings, and the next writing keeps them
    // once. A text with blanks at its ends is written so that it reads back whole.
    DataLocation = " /data ";
    for (int round = 0; round < 2; ++round) {
        SaveSettings();
        const QString file = ReadFile();
        for (int number : numbers)
            EXPECT_EQ(file.count("\r\n" + lines[number - 1] + "\r\n"), 1) << number;
        EXPECT_EQ(file.count("\r\n" + lines[6] + "\r\n" + lines[7] + "\r\n"), 1);
        EXPECT_LT(file.indexOf(lines[4]), file.lastIndexOf("\r\nDefaultValue2\t"));
        ResetGlobals();
        DefaultInstrument()->ClearDatas();
        const QList<SettingsLine> again = LoadSettings();
        QStringList texts;
        for (const SettingsLine& line : again)
            texts << line.text;
        QStringList expected;
        for (int number : numbers)
            expected << lines[number - 1];
        EXPECT_EQ(texts, expected);
        EXPECT_TRUE(AutoLoad);
        EXPECT_EQ(DefaultInstrument()->AlarmSilence(), 2);
        EXPECT_EQ(AppFont.Name, "Arial ");
        EXPECT_EQ(DataLocation, " /data ");
    }
}

TEST_F(Settings, GarbageNeverCrashesTheReader) {
    std::mt19937 rng(11);
    for (int round = 0; round < 50; ++round) {
        QByteArray bytes;
        const int n = static_cast<int>(rng() % 4000);
        for (int i = 0; i < n; ++i) {
            const unsigned r = rng() % 10;
            bytes.append(r == 0   ? '\t'
                         : r == 1 ? '\n'
                         : r == 2 ? '\''
                                  : static_cast<char>(rng() % 256));
        }
        if (round % 2) bytes.prepend("Gas Inst\t1\t");
        WriteFile(bytes);
        LoadSettings();
    }
    WriteFile("Size Values\t1e308\r\nCalib. Range\t1\t2\t99999999999999999999\r\n");
    LoadSettings();
}

TEST_F(Settings, AFailedWriteKeepsTheOldFile) {
    ExecuteCount = 1;
    SaveSettings();
    const QString before = ReadFile();
    // A file size limit makes the write fail part-way, for any user; nothing is printed while
    // it holds, as the test's own output may go to a file.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tiny = saved;
    tiny.rlim_cur = 64;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tiny);
    ExecuteCount = 50;
    bool refused = false;
    try {
        SaveSettings();
    } catch (const AppError&) {
        refused = true;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(refused);
    EXPECT_EQ(ReadFile(), before);
}

// A setting changed while the program runs goes into the file as it stands: its own line is
// replaced (or added), and every other line stays as written, also one edited by hand since the
// file was read, so that the next reading takes up both.
TEST_F(Settings, AChangedSettingReplacesOnlyItsOwnLine) {
    // Nothing read and no file: the whole file.
    UserPassword = "Abc1";
    SaveChangedSettings();
    EXPECT_TRUE(ReadFile().contains("\r\nDataLocation\t"));

    const QStringList hand{
        "; kept by hand",
        "Auto Load Mode\tFalse\tTrue\tTrue",
        "DataLocaton\t/typo",
        "QV-4170\t" + EncodeText(EncodeText("Abc1")),
        "Gas Inst\t1\t'it s'\tTRUE\tFalse\t0\t'%LEL'\t10\t50\t-1\t-1\t1\t100\t50\t0\t50\t255",
        "Exact Text\t2\t%it%27s",
        "Gas Inst\t2\t'OXY'",
        "DataLocation\t/first",
    };
    WriteFile(hand.join("\r\n").toUtf8() + "\r\n");
    LoadSettings();
    // Nothing changed: nothing written.
    SaveChangedSettings();
    EXPECT_EQ(ReadFile(), hand.join("\r\n") + "\r\n");

    // Edited by hand while the program runs, then changed in the program.
    QStringList edited = hand;
    edited[7] = "DataLocation\t/second";
    WriteFile(edited.join("\r\n").toUtf8() + "\r\n");
    UserPassword = "Zed9";
    AutoRemoveData = false;
    GraphColor[0] = 0x123456;
    ConvEnable = true;
    SaveChangedSettings();
    const QStringList now = ReadFile().split("\r\n");
    EXPECT_EQ(now[0], hand[0]);
    EXPECT_EQ(now[1], "Auto Load Mode\tFalse\tTrue\tFalse");
    EXPECT_EQ(now[2], hand[2]);
    EXPECT_EQ(now[3], "QV-4170\t" + EncodeText(EncodeText("Zed9")));
    EXPECT_TRUE(now[4].startsWith("Gas Inst\t1\t'it s'\t"));
    EXPECT_TRUE(now[4].endsWith("\t" + QString::number(0x123456)));
    EXPECT_EQ(now[5], hand[5]);  // its exact text, once
    EXPECT_EQ(now.mid(6, 2), edited.mid(6, 2));
    // No lines of their own yet: added in the writer's order, the count of runs with every write.
    EXPECT_EQ(now[8], "Execute Count\t1");
    EXPECT_TRUE(now[9].startsWith("Conv Param\t"));
    EXPECT_EQ(now.size(), 11);

    ResetGlobals();
    DefaultInstrument()->ClearDatas();
    EXPECT_EQ(LoadSettings().size(), 1);  // the misspelt key, named again
    EXPECT_EQ(UserPassword, "Zed9");
    EXPECT_TRUE(AutoLoad);
    EXPECT_FALSE(AutoRemoveData);
    EXPECT_EQ(GraphColor[0], 0x123456);
    EXPECT_TRUE(ConvEnable);
    EXPECT_EQ(DataLocation, "/second");
    EXPECT_EQ(DefaultInstrument()->GasName(0), "it's");

    // A file that cannot be read is not replaced.
    UserPassword = "Other1";
    QFile::remove(SettingsFilePath());
    ASSERT_TRUE(QDir().mkpath(SettingsFilePath()));
    EXPECT_THROW(SaveChangedSettings(), AppError);
    EXPECT_TRUE(QFileInfo(SettingsFilePath()).isDir());
    QDir().rmdir(SettingsFilePath());
}

namespace {

QByteArray ReadBytes() {
    QFile f(SettingsFilePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
void WriteBytes(const QByteArray& bytes) {
    QFile f(SettingsFilePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
// The settings globals as a fresh start finds them.
void FreshStart() {
    ResetGlobals();
    MainForm() = MainFormSettings{};
    DefaultInstrument()->ClearDatas();
}
// The file's lines without their line ends.
QStringList FileLines() {
    return QString::fromUtf8(ReadBytes()).split(QRegularExpression("\r?\n"));
}

}  // namespace

// Values the technician edits while the program runs stay; on a line that both changed, only the
// values the program changed are the program's, and where both changed one value the program's
// change, the later one, is written.
TEST_F(Settings, AHandEditMadeWhileRunningStaysBesideTheProgramsChange) {
    const QStringList start{
        "Execute Count\t4",
        "LIMITDAYS\t30",
        "CalUnitOnWait\t45",
        "Prt Width\t2\t3",
        "Gas Inst\t1\t'CH4'\tTRUE\tFalse\t0\t'%LEL'\t10\t50\t-1\t-1\t1\t100\t50\t0\t50\t255",
        "Auto Load Mode\tFalse\tTrue\tTrue",
    };
    WriteFile(start.join("\r\n").toUtf8() + "\r\n");
    LoadSettings();
    EXPECT_EQ(SaveChangedSettings(), SettingsWrite::Nothing);

    // The technician: three values, a comment, a second print width line, and on the gas line
    // the warning level and the colour.
    QStringList edited = start;
    edited[1] = "LIMITDAYS\t14";
    edited[2] = "CalUnitOnWait\t60";
    edited.insert(4, "Prt Width\t5\t6");
    edited.insert(1, "; my own note: station 7");
    edited[6] = "Gas Inst\t1\t'CH4'\tTRUE\tFalse\t0\t'%LEL'\t12\t50\t-1\t-1\t1\t100\t50\t0\t50\t99";
    WriteFile(edited.join("\r\n").toUtf8() + "\r\n");
    // The program: the colour of gas 1 and the automatic removal.
    GraphColor[0] = 0x123456;
    AutoRemoveData = false;
    EXPECT_EQ(SaveChangedSettings(), SettingsWrite::Written);
    QStringList expected = edited;
    expected[0] = "Execute Count\t5";
    expected[6] =
        "Gas Inst\t1\t'CH4'\tTRUE\tFalse\t0\t'%LEL'\t12\t50\t-1\t-1\t1\t100\t50\t0\t50\t" +
        QString::number(0x123456);
    expected[7] = "Auto Load Mode\tFalse\tTrue\tFalse";
    EXPECT_EQ(ReadFile(), expected.join("\r\n") + "\r\n");

    // A second write in the run stores the same count, and keeps what the technician edited
    // since the first.
    expected[5] = "Prt Width\t7\t8";
    WriteFile(expected.join("\r\n").toUtf8() + "\r\n");
    GraphColor[0] = 0x654321;
    SaveChangedSettings();
    expected[6].replace(QString::number(0x123456), QString::number(0x654321));
    EXPECT_EQ(ReadFile(), expected.join("\r\n") + "\r\n");

    FreshStart();
    LoadSettings();
    EXPECT_EQ(LimitDays, 14);
    EXPECT_EQ(CalUnitOnWait, 60);
    EXPECT_FLOAT_EQ(PrtWidth[0], 7);  // the later line
    EXPECT_FLOAT_EQ(DefaultInstrument()->Warning(0), 12);
    EXPECT_EQ(GraphColor[0], 0x654321);
    EXPECT_FALSE(AutoRemoveData);
    EXPECT_EQ(ExecuteCount, 5);
}

// Every line the program does not change stays byte for byte: comments, empty lines, the
// byte-order mark, CR LF and LF line ends, bytes that are no UTF-8, a last line without its end.
TEST_F(Settings, LinesTheProgramDoesNotChangeStayByteForByte) {
    const QByteArray start =
        "\xEF\xBB\xBF; my own note: station 7\r\n"
        "\r\n"
        "Execute Count\t9\r\n"
        ";  M\xFCller's file\n"
        "\t \r\n"
        "Graph Color\t1\t2\t3\r\n"
        "  ; indented note\r\n"
        "Data Select\tFalse\tTrue\tFalse\n"
        "CalSpanOffWait , 31";
    WriteBytes(start);
    EXPECT_TRUE(LoadSettings().isEmpty());
    EXPECT_EQ(CalSpanOffWait, 31);
    EXPECT_EQ(SaveChangedSettings(), SettingsWrite::Nothing);
    EXPECT_EQ(ReadBytes(), start);

    MainForm().chkLog[2] = 1;
    SaveChangedSettings();
    QByteArray expected = start;
    expected.replace("Execute Count\t9\r\n", "Execute Count\t10\r\n");
    expected.replace("Data Select\tFalse\tTrue\tFalse\n", "Data Select\tFalse\tTrue\tTrue\n");
    EXPECT_EQ(ReadBytes(), expected);

    // A setting without a line of its own is added after the last line, which gets its end.
    ConvEnable = true;
    SaveChangedSettings();
    const QByteArray bytes = ReadBytes();
    EXPECT_TRUE(bytes.startsWith(expected + "\r\nConv Param\t")) << bytes.toStdString();
    EXPECT_TRUE(bytes.endsWith("\tTrue\r\n"));
}

// A note after a line's values: the value right before it counts, a TAB in it leaves a line typed
// with commas as it is, and a write puts the program's values in their places and leaves every
// note at its line's end as written.
TEST_F(Settings, ANoteAfterTheValuesStaysAtTheLinesEnd) {
    const QString gas1 =
        "Gas Inst\t1\t'CH4'\tTRUE\tFalse\t0\t'%LEL'\t10\t50\t-1\t-1\t1\t100\t50\t0\t50\t";
    WriteFile((gas1 + "33023 ; tech note: sensor swapped 5/24\r\n"
                      "Size Values\t0\t9000\t6000; station 7\r\n"
                      "Graph Color, 7 ,8,9 ; scale\tback\tcursor\r\n"
                      "Auto Load Mode,True ; 'auto' only\r\n"
                      "DataLocation,/data ; moved\r\n")
                  .toUtf8());
    EXPECT_TRUE(LoadSettings().isEmpty());
    EXPECT_EQ(GraphColor[0], 33023);
    EXPECT_FLOAT_EQ(MainForm().Height, 6000);
    EXPECT_EQ(MainForm().CursorColor, 9);

    GraphColor[0] = 0x123456;
    MainForm().Width = 12300;
    MainForm().BackColor = 99;
    AutoRemoveData = !AutoRemoveData;
    DataLocation = "/a\tb";  // a TAB for a line typed with commas: written as the writer writes
    SaveChangedSettings();
    const auto text = [](bool v) { return QString(v ? "True" : "False"); };
    const QStringList expected{
        gas1 + QString::number(0x123456) + " ; tech note: sensor swapped 5/24",
        "Size Values\t0\t12300\t6000; station 7",
        "Graph Color, 7 ,99,9 ; scale\tback\tcursor",
        "Auto Load Mode,True," + text(AutoLoad) + "," + text(AutoRemoveData) + " ; 'auto' only",
        "DataLocation\t'/a\tb' ; moved",
    };
    EXPECT_EQ(FileLines().mid(0, expected.size()), expected);
}

// An exact text stands for its value only while its key line holds the text the writer made of
// it: a line edited by hand wins, the exact text is named and the next write drops it.
TEST_F(Settings, AnExactTextHoldsOnlyWhileItsKeyLineIsAsWritten) {
    DataLocation = "/data/o'brien";
    DefaultInstrument()->SetGasName(1, "it's");
    DefaultInstrument()->SetGasUnit(1, "'%'");
    SaveSettings();
    FreshStart();
    EXPECT_TRUE(LoadSettings().isEmpty());
    EXPECT_EQ(DataLocation, "/data/o'brien");
    EXPECT_EQ(DefaultInstrument()->GasName(1), "it's");

    // The folder and the gas name edited by hand; the unit's exact text, after the name's, still
    // belongs to its line.
    QStringList lines = FileLines();
    const qsizetype folder = lines.indexOf("DataLocation\t/data/o brien");
    ASSERT_GE(folder, 0);
    lines[folder] = "DataLocation\t/data/moved";
    const qsizetype gas = lines.indexOf(QRegularExpression("^Gas Inst\t2\t'it s'\t.*"));
    ASSERT_GE(gas, 0);
    lines[gas].replace("'it s'", "'NH3'");
    ASSERT_TRUE(lines[gas + 1].startsWith("Exact Text\t2\t"));
    ASSERT_TRUE(lines[gas + 2].startsWith("Exact Text\t6\t"));
    WriteFile(lines.join("\r\n").toUtf8());
    FreshStart();
    const QList<SettingsLine> named = LoadSettings();
    ASSERT_EQ(named.size(), 2);
    EXPECT_EQ(named[0].number, gas + 2);
    EXPECT_EQ(named[0].text, lines[gas + 1]);
    EXPECT_EQ(named[1].number, folder + 2);
    for (const SettingsLine& line : named)
        EXPECT_EQ(line.kind, SettingsLine::Kind::StaleExactText);
    EXPECT_EQ(DataLocation, "/data/moved");
    EXPECT_EQ(DefaultInstrument()->GasName(1), "NH3");
    EXPECT_EQ(DefaultInstrument()->GasUnit(1), "'%'");

    // Nothing else changed: the write drops the two lines, and nothing more is named.
    EXPECT_EQ(SaveChangedSettings(), SettingsWrite::Written);
    QStringList expected = lines;
    expected.removeAt(folder + 1);
    expected.removeAt(gas + 1);
    QStringList now = FileLines();
    ASSERT_EQ(now.size(), expected.size());
    for (qsizetype i = 0; i < now.size(); ++i)
        if (!now[i].startsWith("Execute Count\t")) {
            EXPECT_EQ(now[i], expected[i]) << i;
        }
    FreshStart();
    EXPECT_TRUE(LoadSettings().isEmpty());
    EXPECT_EQ(DataLocation, "/data/moved");
    EXPECT_EQ(DefaultInstrument()->GasUnit(1), "'%'");
    EXPECT_EQ(SaveChangedSettings(), SettingsWrite::Nothing);
}

// A line of the block of kept lines that the technician corrects is in force at the next start,
// over the program's line further down, and the next write puts it in that line's place; the
// block goes once it is empty.
TEST_F(Settings, ACorrectedKeptLineHoldsAndTakesThePlaceOfItsKeysLine) {
    const QString sixth = "Gas Inst\t6\t'NH3'\tTRUE\tFalse\t";
    WriteFile(("CalSpanOnWait\t99999\r\n" + sixth + "99999\r\nDataLocaton\t/typo\r\n").toUtf8());
    LoadSettings();
    CalSpanOnWait = 90;
    SaveSettings();
    QStringList lines = FileLines();
    const qsizetype kept = lines.indexOf("CalSpanOnWait\t99999");
    const qsizetype own = lines.indexOf("CalSpanOnWait\t90");
    ASSERT_GE(kept, 0);
    ASSERT_GT(own, kept);

    // Corrected: the wait, and the sixth channel, which the writer has no line of its own for.
    lines[kept] = "CalSpanOnWait\t200";
    lines[kept + 1] = sixth + "2";
    WriteFile(lines.join("\r\n").toUtf8());
    FreshStart();
    const QList<SettingsLine> named = LoadSettings();
    ASSERT_EQ(named.size(), 1);
    EXPECT_EQ(named[0].text, "DataLocaton\t/typo");
    EXPECT_EQ(CalSpanOnWait, 200);
    EXPECT_EQ(SaveChangedSettings(), SettingsWrite::Written);
    QStringList expected = lines;
    expected[own] = "CalSpanOnWait\t200";
    expected.removeAt(kept + 1);
    expected.removeAt(kept);
    expected.insert(expected.size() - 1, sixth + "2");  // before the file's last, empty piece
    QStringList now = FileLines();
    ASSERT_EQ(now.size(), expected.size()) << now.join("\n").toStdString();
    for (qsizetype i = 0; i < now.size(); ++i)
        if (!now[i].startsWith("Execute Count\t")) {
            EXPECT_EQ(now[i], expected[i]) << i;
        }

    // The misspelt key corrected as well: the block is empty and goes, comments and all.
    now[now.indexOf("DataLocaton\t/typo")] = "DataLocation\t/data";
    WriteFile(now.join("\r\n").toUtf8());
    FreshStart();
    EXPECT_TRUE(LoadSettings().isEmpty());
    SaveChangedSettings();
    const QString file = ReadFile();
    EXPECT_FALSE(file.contains("kept to be corrected"));
    EXPECT_EQ(file.count("\r\nDataLocation\t"), 1);
    EXPECT_TRUE(file.contains("\r\nDataLocation\t/data"));
    EXPECT_EQ(file.count("CalSpanOnWait\t"), 1);
    FreshStart();
    EXPECT_TRUE(LoadSettings().isEmpty());
    EXPECT_EQ(CalSpanOnWait, 200);
    EXPECT_EQ(DataLocation, "/data");
}

// A file that is there but cannot be read is never written over; one removed while the program
// ran is written anew with only the program's changes; an empty data folder is the program's.
TEST_F(Settings, AFileThatCannotBeReadIsLeftAlone) {
    const QString path = SettingsFilePath();
    WriteFile("Execute Count\t2\r\nLIMITDAYS\t14\r\nDataLocation\t''\r\n");
    LoadSettings();
    EXPECT_EQ(DataLocation, "");
    EXPECT_EQ(DataFolder(), ProgramFolder());

    QFile::remove(path);
    ASSERT_TRUE(QFile::link(path, path));  // a link to itself: no file, yet not missing
    UserPassword = "Other1";
    EXPECT_THROW(SaveChangedSettings(), AppError);
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    FreshStart();
    const QList<SettingsLine> named = LoadSettings();
    ASSERT_EQ(named.size(), 1);
    EXPECT_EQ(named[0].kind, SettingsLine::Kind::FileUnreadable);
    EXPECT_EQ(named[0].number, 0);
    UserPassword = "Other1";
    EXPECT_THROW(SaveChangedSettings(), AppError);
    EXPECT_TRUE(QFileInfo(path).isSymLink());

    // Removed: the program's change alone, with the count of runs.
    QFile::remove(path);
    EXPECT_EQ(SaveChangedSettings(), SettingsWrite::WrittenAnew);
    QStringList keys;
    for (const QString& line : FileLines())
        if (!line.isEmpty() && !line.startsWith(u';')) keys << line.section(u'\t', 0, 0);
    EXPECT_EQ(keys, (QStringList{"Execute Count", "QV-4170"}));
    FreshStart();
    EXPECT_TRUE(LoadSettings().isEmpty());
    EXPECT_EQ(UserPassword, "Other1");
}

// A file in the old form, which percent-encoded every value beginning with "%", is put in the
// form of today by its first write, so that a value written since reads back as written. The
// catalogue is the built-in one, as the program has it when it reads the file.
TEST_F(Settings, TheFirstWriteTurnsTheOldEncodedFormIntoTodays) {
    const auto builtIn = [] {
        ResetGlobals();
        FillBuiltInGasTable();
        return GasTable;
    }();
    const QByteArray oldForm =
        ";       Maintained by the QV-4170 station utility.\r\n"
        "Gas Inst\t1\t'CH4'\tTRUE\tFalse\t0\t%%25LEL\r\n"
        "DataLocation\t%%2Fa%3Bb\r\n";

    // A page's change alone: the values read in the old form read back as they were meant.
    WriteFile(oldForm);
    LoadSettings();
    EXPECT_EQ(DefaultInstrument()->GasUnit(0), "%LEL");
    GraphColor[0] = 0x123456;
    EXPECT_EQ(SaveChangedSettings(), SettingsWrite::Written);
    EXPECT_FALSE(ReadFile().contains("station utility.\r\n"));
    FreshStart();
    FillBuiltInGasTable();
    EXPECT_TRUE(LoadSettings().isEmpty());
    EXPECT_EQ(DefaultInstrument()->GasUnit(0), "%LEL");
    EXPECT_EQ(DataLocation, "/a;b");
    EXPECT_EQ(GraphColor[0], 0x123456);
    EXPECT_EQ(GasTable, builtIn);

    // Units typed by hand that begin with "%": with no escape after that "%" (a "%" and two
    // hexadecimal digits), each is the text as it stands, and its line stays as written. Every
    // other row of the catalogue stays the built-in one.
    FreshStart();
    FillBuiltInGasTable();
    const QByteArray handTyped =
        "ChgGas\t1\t2\t'HC '\tTRUE\tFalse\t0\t'%LEL'\r\n"
        "Gas Inst\t2\t'OXY'\tTRUE\tFalse\t1\t'%VOL'\r\n";
    WriteFile(oldForm + handTyped);
    LoadSettings();
    EXPECT_EQ(GasTable[0][1].Unit, "%LEL");
    EXPECT_EQ(DefaultInstrument()->GasUnit(1), "%VOL");
    EXPECT_EQ(SaveChangedSettings(), SettingsWrite::Written);
    EXPECT_TRUE(ReadFile().contains(QString::fromUtf8(handTyped))) << ReadFile().toStdString();
    FreshStart();
    FillBuiltInGasTable();
    EXPECT_TRUE(LoadSettings().isEmpty());
    EXPECT_EQ(GasTable[0][1].Unit, "%LEL");
    EXPECT_EQ(DataLocation, "/a;b");
    for (size_t gas = 0; gas < GasTable.size(); ++gas)
        for (size_t choice = 0; choice < GasTable[gas].size(); ++choice)
            if (gas != 0 || choice != 1) {
                EXPECT_EQ(GasTable[gas][choice], builtIn[gas][choice]) << gas << ' ' << choice;
            }
}
