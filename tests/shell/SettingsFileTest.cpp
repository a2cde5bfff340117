// The settings file across real starts and closes: what the technician writes in it, also while
// the program runs, stays as written; the close writes only what the program changed. Comments,
// empty lines, the byte-order mark and CR LF survive every close; an exact text edited over by
// hand gives way to the edit; a corrected kept line takes over; an empty data folder is the
// program's own; and a file that cannot be read at the close is not written over.
#include "Database.h"
#include "RunProgram.h"
#include "ShellFixture.h"
#include "modSettings.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTextEdit>
#include <QUrl>

#include <csignal>

namespace qv::test {
namespace {

const int32_t kColor = ui::RGB(10, 20, 30);

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
QStringList Lines(const QString& path) {
    return ReadText(path).split(QStringLiteral("\r\n"));
}

// ---- Edited while the program runs, in a child process ---------------------------------------

// The program in a child of this test program: once its window is up it says so, waits for the
// parent's edit of the settings file, gives the gases the parent names (gas 2 where it names
// none) a new colour on the Set page, and the program the font the parent names, and then closes
// its window or waits for the parent's SIGTERM.
TEST(SettingsFileChild, ChangesAColourAfterTheEdit) {
    const QString home = qEnvironmentVariable("QV_SETTINGS_FILE_CHILD_HOME");
    if (home.isEmpty()) GTEST_SKIP() << "runs in a child of EditedWhileRunning";
    qputenv("XDG_DATA_HOME", home.toLocal8Bit());
    const bool closes = qEnvironmentVariable("QV_SETTINGS_FILE_CHILD_END") == "close";
    ScriptedDialogs dialogs;
    ClearPortNumbers();
    PortNumberFor(home + "/no-device");
    bool up = false;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* main = dynamic_cast<frmMain*>(w);
            if (!main || !main->isVisible()) continue;
            if (!up) {
                up = true;
                WriteText(home + "/up", "1");
            }
            if (!QFile::exists(home + "/edited")) return;
            user.stop();
            const QString gases = qEnvironmentVariable("QV_SETTINGS_FILE_CHILD_GASES", "2");
            for (const QString& gas : gases.split(u',')) {
                dialogs.AnswerColor(kColor);
                main->pageOption->cmdOptionDisp[gas.toInt()]->click();
            }
            const QString font = qEnvironmentVariable("QV_SETTINGS_FILE_CHILD_FONT");
            if (!font.isEmpty()) {
                dialogs.AnswerFont(QFont(font, 12));
                main->pageOption->cmdOptionDisp[0]->click();
            }
            WriteText(home + "/changed", "1");
            if (closes) main->close();
        }
    });
    user.start(20);
    EXPECT_EQ(RunProgram({}), 0);
}

struct ChildRun {
    QTemporaryDir home;
    QProcess program;
    QString File() const { return home.path() + "/qv4170/QV4170.ini"; }
    bool Has(const char* flag) const { return QFile::exists(home.path() + u'/' + flag); }
};

const QString kGas2 = QStringLiteral(
    "Gas Inst\t2\t'OXY'\tTRUE\tTrue\t1\t'%'\t%1\t23.5\t-1\t-1\t0.1\t40\t12\t0\t12\t%2");
const QStringList kBeforeEdit{
    "Execute Count\t3", "LIMITDAYS\t30",        "CalUnitOnWait\t45",
    "Prt Width\t2\t3",  "; technician's block", kGas2.arg("19.5").arg(ui::RGB(0, 128, 255)),
};
const QStringList kEdited{
    "Execute Count\t3",
    "LIMITDAYS\t14",
    "CalUnitOnWait\t60",
    "Prt Width\t5\t6",
    "; technician's block",
    "; my own note: station 7",
    kGas2.arg("20").arg(ui::RGB(0, 128, 255)),
};

QByteArray CrLf(const QStringList& lines) {
    return (lines.join("\r\n") + "\r\n").toUtf8();
}

// What the child changes on the Set page: the colours of the gases listed ("2,3"), and the font
// where a family is named.
struct PageChanges {
    QString gases = QStringLiteral("2");
    QString font;
};

// The child twice side by side on the settings file `start`, one ended by its close and one by
// SIGTERM. Once a window is up, its file is replaced by `edited` where that is given, and the
// page's changes are made. Gives the SIGTERM run's file as the page's changes left it, and each
// run's file after its end, the close's first. Call through ASSERT_NO_FATAL_FAILURE.
void RunToBothEnds(const QByteArray& start, const QByteArray& edited, const PageChanges& page,
                   QByteArray* written, std::array<QByteArray, 2>* ended) {
    const std::array<QString, 2> ends{"close", "signal"};
    std::array<ChildRun, 2> runs;
    for (size_t r = 0; r < runs.size(); ++r) {
        ChildRun& run = runs[r];
        ASSERT_TRUE(QDir().mkpath(run.home.path() + "/qv4170"));
        WriteText(run.File(), start);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QV_SETTINGS_FILE_CHILD_HOME", run.home.path());
        env.insert("QV_SETTINGS_FILE_CHILD_END", ends[r]);
        env.insert("QV_SETTINGS_FILE_CHILD_GASES", page.gases);
        env.insert("QV_SETTINGS_FILE_CHILD_FONT", page.font);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("QV4170_PORT");
        run.program.setProcessEnvironment(env);
        run.program.setProcessChannelMode(QProcess::MergedChannels);
        run.program.start(QCoreApplication::applicationFilePath(),
                          {"--gtest_filter=SettingsFileChild.ChangesAColourAfterTheEdit"});
        ASSERT_TRUE(run.program.waitForStarted());
    }
    for (ChildRun& run : runs) {
        ASSERT_TRUE(WaitFor([&] { return run.Has("up"); }, 30000))
            << run.program.readAll().toStdString();
        if (!edited.isEmpty()) WriteText(run.File(), edited);
        WriteText(run.home.path() + "/edited", "1");
    }
    for (size_t r = 0; r < runs.size(); ++r) {
        ChildRun& run = runs[r];
        ASSERT_TRUE(WaitFor([&] { return run.Has("changed"); }, 30000))
            << run.program.readAll().toStdString();
        if (ends[r] != "signal") continue;
        *written = ReadBytes(run.File());
        ::kill(static_cast<pid_t>(run.program.processId()), SIGTERM);
    }
    for (size_t r = 0; r < runs.size(); ++r) {
        ChildRun& run = runs[r];
        ASSERT_TRUE(WaitFor([&] { return run.program.state() == QProcess::NotRunning; }, 20000));
        EXPECT_EQ(run.program.exitStatus(), QProcess::NormalExit) << ends[r].toStdString();
        EXPECT_EQ(run.program.exitCode(), 0) << run.program.readAll().toStdString();
        (*ended)[r] = ReadBytes(run.File());
    }
}

// Edited while the program runs: LIMITDAYS, a calibration wait, a print width and the warning
// level of gas 2 changed, a comment added; then the graph colour of gas 2 changed on the Set
// page. The close, and the close that SIGTERM makes, keep every edit and write the colour.
TEST(EditedWhileRunning, TheCloseKeepsTheEditAndWritesThePagesChange) {
    QByteArray written;
    std::array<QByteArray, 2> ended;
    ASSERT_NO_FATAL_FAILURE(RunToBothEnds(CrLf(kBeforeEdit), CrLf(kEdited), {}, &written, &ended));
    for (const QByteArray& bytes : ended) {
        // The technician's lines as edited, in their places, the warning level of gas 2 too,
        // with the program's colour in its line; the count of runs is the program's, and the
        // window's size follows.
        const QStringList file = QString::fromUtf8(bytes).split("\r\n");
        QStringList expected = kEdited;
        expected[0] = "Execute Count\t4";
        expected[6] = kGas2.arg("20").arg(kColor);
        EXPECT_EQ(file.mid(0, expected.size()), expected) << bytes.toStdString();
        for (const QString& line : file.mid(expected.size()))
            EXPECT_TRUE(line.isEmpty() || line.startsWith("Size Values\t")) << line.toStdString();
    }
}

// Notes after the last values of key lines, after a TAB or after blanks, one holding a quoted "'"
// and a TAB: the page's changes of gas 2's colour and of the font, written at once, and the close
// or the close that SIGTERM makes, which writes the window's size, put the program's values into
// their lines; every note stays at its line's end and every other line byte for byte.
TEST(NotesAfterTheValues, StayThroughThePagesChangesAndTheEnd) {
    const QString fontNote = "\t; 'big' for\tthe projector";
    const QString sizeNote = "\t; station 7: keep it this size for the projector";
    const QString gasNote = " ; tech note: sensor swapped 5/24";
    QStringList lines{"Execute Count\t3",
                      "; technician's block",
                      "Font\t'Sans Serif'\t9\tFalse\tFalse\tFalse" + fontNote,
                      "Size Values\t0\t9000\t6000" + sizeNote,
                      kGas2.arg("19.5").arg(33023) + gasNote,
                      "Data Select\tFalse\tFalse\tFalse ; left alone"};
    const auto text = [&] { return (lines.join("\r\n") + "\r\n").toStdString(); };
    QByteArray written;
    std::array<QByteArray, 2> ended;
    ASSERT_NO_FATAL_FAILURE(
        RunToBothEnds(CrLf(lines), {}, {.font = QStringLiteral("Serif")}, &written, &ended));
    lines[0] = "Execute Count\t4";
    lines[2] = "Font\t'Serif'\t12\tFalse\tFalse\tFalse" + fontNote;
    lines[4] = kGas2.arg("19.5").arg(kColor) + gasNote;
    EXPECT_EQ(written.toStdString(), text());
    // The window's least size, which the file's is below.
    lines[3] = "Size Values\t0\t12300\t6750" + sizeNote;
    for (const QByteArray& file : ended)
        EXPECT_EQ(file.toStdString(), text());
}

// Bytes that are not UTF-8 in a file whose lines end some with LF and some with CR LF: Latin-1
// notes on the two lines every close rewrites and on gas 2's line, a Shift-JIS name and note on
// gas 3's. The page changes gas 2's colour, then gas 3's, then the font to one with a "'", which
// adds an exact text after the font's line; the close, or the close that SIGTERM makes, writes
// the window's size. Only the values the program changed are new bytes; every line keeps its own
// line end, and the exact text takes the file's (its first line's).
TEST(HandWrittenBytes, StayThroughThePagesChangesAndTheEnd) {
    const QByteArray gas3 =
        "Gas Inst\t3\t'\x83K\x83X'\tTRUE\tFalse\t1\t'ppm'\t10\t30\t15\t10\t0.5"
        "\t100\t10\t0\t10\t";
    const auto file = [&](const char* count, const char* font, const char* size, int32_t colour) {
        return QByteArray("Execute Count\t") + count + " ; caf\xE9\n" + font + "Size Values\t0\t" +
               size + "\t; cr\xE8me \x8C\x9F\r\n" + kGas2.arg("19.5").arg(colour).toUtf8() +
               " ; r\xE9gl\xE9\n" + gas3 + QByteArray::number(colour) +
               " ; \x8C\x9F\x92\x6D\x8A\xED\r\n";
    };
    const QByteArray start =
        file("3", "Font\t'Sans Serif'\t9\tFalse\tFalse\tFalse\r\n", "9000\t6000", 33023);
    const char* font =
        "Font\t'O Brien Sans'\t12\tFalse\tFalse\tFalse\r\nExact Text\t1\t%O%27Brien%20Sans\n";
    QByteArray written;
    std::array<QByteArray, 2> ended;
    ASSERT_NO_FATAL_FAILURE(
        RunToBothEnds(start, {}, {.gases = "2,3", .font = "O'Brien Sans"}, &written, &ended));
    EXPECT_EQ(written.toStdString(), file("4", font, "9000\t6000", kColor).toStdString());
    for (const QByteArray& bytes : ended)
        EXPECT_EQ(bytes.toStdString(), file("4", font, "12300\t6750", kColor).toStdString());
}

// A file of the older form, which percent-encoded a text after a leading "%": units typed by hand
// that begin with "%" and hold no escape ("%" and two hexadecimal digits) after it are texts as
// they stand, and their lines stay as written; the program's own escape of gas 2's unit is
// written in today's form with the page's colour.
TEST(OlderForm, UnitsTypedWithAPercentStayAsWritten) {
    const QByteArray handTyped =
        "Gas Inst\t1\t'CH4'\tTRUE\tFalse\t0\t'%VOL'\r\n"
        "ChgGas\t1\t2\t'HC '\tTRUE\tFalse\t0\t'%LEL'\r\n";
    const auto file = [&](const char* maker, const char* count, const QString& gas2,
                          const char* size) {
        return QByteArray(";       Maintained by the QV-4170 station utility") + maker +
               "\r\nExecute Count\t" + count + "\r\n" + handTyped + gas2.toUtf8() +
               "\r\nSize Values\t0\t" + size + "\r\n";
    };
    QString gas2 = kGas2.arg("19.5").arg(33023);
    gas2.replace("'%'", "%%25");
    QByteArray written;
    std::array<QByteArray, 2> ended;
    ASSERT_NO_FATAL_FAILURE(
        RunToBothEnds(file(".", "3", gas2, "9000\t6000"), {}, {}, &written, &ended));
    const QString today = kGas2.arg("19.5").arg(kColor);
    EXPECT_EQ(written.toStdString(), file(" (2).", "4", today, "9000\t6000").toStdString());
    for (const QByteArray& bytes : ended)
        EXPECT_EQ(bytes.toStdString(), file(" (2).", "4", today, "12300\t6750").toStdString());
}

// ---- Starts and closes in this process ---------------------------------------------------------

class SettingsAcrossStarts : public ShellTest {
  protected:
    // A start as the program makes it, on the settings file as it stands.
    std::unique_ptr<frmMain> Start() {
        ResetGlobals();
        DefaultInstrument()->ClearDatas();
        MainForm() = MainFormSettings{};
        auto main = StartMain();
        main->show();
        return main;
    }
    // The close box's way: the Exit button.
    static void Close(frmMain& main) {
        main.cmdInst_Click(5);
        EXPECT_FALSE(main.isVisible());
    }
    static QString StatusLog(const frmMain& main) {
        return main.pageDownload->rtbLog->toPlainText();
    }
    static QString SerialLog() { return ReadText(ProgramFile("SerialLog.log")); }
};

// A file with comments, empty lines, a byte-order mark and CR LF survives ten starts and closes
// byte for byte, except for the lines of what a page changed (and the count of runs that wrote).
TEST_F(SettingsAcrossStarts, TenStartsAndClosesKeepTheFileByteForByte) {
    const QString gas2 =
        "Gas Inst\t2\t'OXY'\tTRUE\tTrue\t1\t'%'\t19.5\t23.5\t-1\t-1\t0.1\t40\t12\t0\t12\t";
    QStringList lines{
        "; Station 7, kept by hand",
        "",
        "Execute Count\t5",
        ";   second note ; with a semicolon",
        "\t",
        "Font\t'Sans Serif'\t9\tFalse\tFalse\tFalse",
        "Size Values\t0\t13500\t7500",
        "",
        gas2 + QString::number(ui::RGB(0, 128, 255)),
        "Data Select\tFalse\tFalse\tFalse",
        "; last note",
    };
    const auto bytes = [&] {
        return QByteArray("\xEF\xBB\xBF") + (lines.join("\r\n") + "\r\n").toUtf8();
    };
    WriteText(SettingsFilePath(), bytes());
    for (int run = 1; run <= 10; ++run) {
        auto main = Start();
        EXPECT_FALSE(StatusLog(*main).contains(SettingsFilePath())) << run;
        if (run == 3) {
            dialogs_->AnswerColor(kColor);
            main->pageOption->cmdOptionDisp[2]->click();
            lines[8] = gas2 + QString::number(kColor);
        } else if (run == 6) {
            main->pageBrowser->chkLog[1]->click();
            lines[9] = "Data Select\tFalse\tTrue\tFalse";
        }
        if (run == 3 || run == 6) lines[2] = "Execute Count\t" + QString::number(ExecuteCount + 1);
        Close(*main);
        EXPECT_EQ(ReadBytes(SettingsFilePath()).toStdString(), bytes().toStdString()) << run;
    }
    EXPECT_EQ(lines[2], "Execute Count\t7");
}

// The data folder with a "'" in its name is written with an exact text. The database moved and
// the folder's line edited by hand while the program is closed: the next start takes the edited
// folder and its database, names the exact text it drops, and the close leaves it out.
TEST_F(SettingsAcrossStarts, AnExactTextKeyEditedByHand) {
    const QString before = home_.filePath("o'brien");
    const QString moved = home_.filePath("moved");
    ASSERT_TRUE(QDir().mkpath(before) && QDir().mkpath(moved));
    // The file as the writer makes it for that folder.
    WriteSettings({"Execute Count\t2", "DataLocation\t" + home_.filePath("o brien"),
                   "Exact Text\t1\t%" + QString::fromLatin1(QUrl::toPercentEncoding(before))});
    auto main = Start();
    EXPECT_EQ(DatabasePath, before + "/QV4170.mdb");
    Database(DatabasePath)
        .execute("Insert Into Power_Event(SeqNo,RelNo,Dates) Values (?,?,?)", {7, 1, "x"});
    Close(*main);

    ASSERT_TRUE(QFile::rename(before + "/QV4170.mdb", moved + "/QV4170.mdb"));
    QStringList lines = Lines(SettingsFilePath());
    const qsizetype folder = lines.indexOf("DataLocation\t" + home_.filePath("o brien"));
    ASSERT_GE(folder, 0) << ReadText(SettingsFilePath()).toStdString();
    ASSERT_TRUE(lines[folder + 1].startsWith("Exact Text\t1\t%"));
    lines[folder] = "DataLocation\t" + moved;
    WriteText(SettingsFilePath(), lines.join("\r\n").toUtf8());

    main = Start();
    EXPECT_EQ(DatabasePath, moved + "/QV4170.mdb");
    EXPECT_EQ(Database(DatabasePath).scalar("Select Count(*) From Power_Event").toInt(), 1);
    EXPECT_FALSE(QFile::exists(before + "/QV4170.mdb"));
    const QString named =
        GetMessage(9311, {SettingsFilePath(), QString::number(folder + 2), lines[folder + 1]});
    EXPECT_EQ(StatusLog(*main).count(named), 1) << StatusLog(*main).toStdString();
    EXPECT_EQ(SerialLog().count(named), 1);
    Close(*main);
    const QString file = ReadText(SettingsFilePath());
    EXPECT_FALSE(file.contains("Exact Text")) << file.toStdString();
    EXPECT_TRUE(file.contains("\r\nDataLocation\t" + moved + "\r\n"));

    main = Start();
    EXPECT_EQ(DatabasePath, moved + "/QV4170.mdb");
    EXPECT_FALSE(StatusLog(*main).contains(SettingsFilePath()));
    Close(*main);
}

// A line the program cannot read stays where the technician wrote it, and no line of the
// program's is added for it. In a file that a whole write left with its block of kept lines,
// the kept line corrected as the block invites is in force at the next start, and the close puts
// it in the place of the program's line for its key.
TEST_F(SettingsAcrossStarts, AKeptLineCorrected) {
    WriteSettings({"Execute Count\t2", "CalSpanOnWait\t99999", "; note"});
    auto main = Start();
    EXPECT_EQ(CalSpanOnWait, 90);
    EXPECT_EQ(StatusLog(*main).count(SettingsFilePath()), 1);
    Close(*main);
    QStringList lines = Lines(SettingsFilePath());
    EXPECT_EQ(lines.mid(1, 2), (QStringList{"CalSpanOnWait\t99999", "; note"}));
    EXPECT_EQ(lines.filter("CalSpanOnWait").size(), 1);

    // The file as a whole write leaves it: the kept line in its block, the program's line below.
    ResetGlobals();
    LoadSettings();
    CalSpanOnWait = 90;
    SaveSettings();
    lines = Lines(SettingsFilePath());
    const qsizetype kept = lines.indexOf("CalSpanOnWait\t99999");
    const qsizetype own = lines.indexOf("CalSpanOnWait\t90");
    ASSERT_GE(kept, 0);
    ASSERT_GT(own, kept);
    lines[kept] = "CalSpanOnWait\t200";
    WriteText(SettingsFilePath(), lines.join("\r\n").toUtf8());

    main = Start();
    EXPECT_EQ(CalSpanOnWait, 200);
    EXPECT_FALSE(StatusLog(*main).contains(SettingsFilePath()));
    Close(*main);
    const QStringList now = Lines(SettingsFilePath());
    EXPECT_EQ(now.filter("CalSpanOnWait\t").size(), 1);
    EXPECT_EQ(now.indexOf("CalSpanOnWait\t200"), own - 4);  // the block's four lines went
    EXPECT_TRUE(now.filter("kept to be corrected").isEmpty());

    main = Start();
    EXPECT_EQ(CalSpanOnWait, 200);
    EXPECT_FALSE(StatusLog(*main).contains(SettingsFilePath()));
    Close(*main);
}

// An empty data folder is the program's own.
TEST_F(SettingsAcrossStarts, AnEmptyDataFolderIsTheProgramsOwn) {
    WriteSettings({"Execute Count\t2", "DataLocation\t''"});
    auto main = Start();
    EXPECT_EQ(DatabasePath, ProgramFolder() + "/QV4170.mdb");
    EXPECT_TRUE(QFile::exists(DatabasePath));
    Close(*main);
    EXPECT_EQ(Lines(SettingsFilePath()).mid(1, 1), QStringList{"DataLocation\t''"});
}

// Removed while the program runs: the page's change writes a new file with the program's changes
// only, and both logs say so. Replaced by a folder: the close leaves it and says why.
TEST_F(SettingsAcrossStarts, AFileGoneOrReplacedWhileRunning) {
    WriteSettings({"Execute Count\t2", "LIMITDAYS\t14", "CalUnitOnWait\t60"});
    auto main = Start();
    ASSERT_TRUE(QFile::remove(SettingsFilePath()));
    dialogs_->AnswerColor(kColor);
    main->pageOption->cmdOptionDisp[1]->click();
    const QString told = GetMessage(9313, {SettingsFilePath()});
    EXPECT_EQ(StatusLog(*main).count(told), 1);
    EXPECT_EQ(SerialLog().count(told), 1);
    Close(*main);
    QStringList keys;
    for (const QString& line : Lines(SettingsFilePath()))
        if (!line.isEmpty() && !line.startsWith(u';')) keys << line.section(u'\t', 0, 1);
    EXPECT_EQ(keys, (QStringList{"Execute Count\t3", "Gas Inst\t1", "Size Values\t0"}));
    main = Start();
    EXPECT_EQ(GraphColor[0], kColor);
    EXPECT_EQ(LimitDays, 0);

    ASSERT_TRUE(QFile::remove(SettingsFilePath()));
    ASSERT_TRUE(QDir().mkpath(SettingsFilePath() + "/inside"));
    main->resize(main->width() + 15, main->height());
    Close(*main);
    ASSERT_EQ(dialogs_->messages().size(), 1);
    const QStringList refusal = GetMessage(9312, {SettingsFilePath(), "\x01"}).split(u'\x01');
    EXPECT_TRUE(dialogs_->messages()[0].startsWith(refusal[0]) &&
                dialogs_->messages()[0].endsWith(refusal[1]))
        << dialogs_->messages()[0].toStdString();
    EXPECT_TRUE(QFileInfo(SettingsFilePath() + "/inside").isDir());
}

}  // namespace
}  // namespace qv::test
