// The serial log while the program runs: moved aside at its size limit as the start-up moves it,
// started anew when deleted or replaced, a frame logged as sent only when it went out, and a
// log that cannot be written told once and gone on without.
#include "LinkRig.h"
#include "SerialLogFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace qv::test {
namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<none>");
}

// Line numbers in the order the files hold them, oldest copy first, the current log last.
QList<int> NumbersKept(const QString& folder) {
    QList<int> numbers;
    for (int n = 20; n >= 0; --n)
        for (const QString& line : Read(JoinPath(folder, SerialLogFile::FileName(n))).split("\r\n"))
            if (line.startsWith("line ")) numbers << line.mid(5, 4).toInt();
    return numbers;
}

struct SerialLogFolder {
    QTemporaryDir dir;
    SerialLogFile log{dir.path()};
    int next = 0;
    SerialLogFolder() { log.SetSizeLimit(100); }
    ~SerialLogFolder() { SerialLogOn = false; }
    QString File(int n) const { return dir.filePath(SerialLogFile::FileName(n)); }
    // Lines of 20 bytes with their CR LF: five fill the limit.
    void Write(int lines) {
        for (int i = 0; i < lines; ++i)
            ASSERT_TRUE(
                log.WriteLine(QStringLiteral("line %1 ........").arg(next++, 4, 10, QChar(u'0'))))
                << log.Error().toStdString();
    }
};

TEST(SerialLog, MovesAsideAtItsLimitKeepingNineCopiesWhenOnAndOneWhenOff) {
    SerialLogFolder f;
    SerialLogOn = true;
    f.Write(5);
    EXPECT_FALSE(QFile::exists(f.File(1)));
    f.Write(1);  // the sixth line starts a new log
    EXPECT_EQ(NumbersKept(f.dir.path()), (QList<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(Read(f.File(0)), "line 0005 ........\r\n");
    f.Write(60);
    for (int n = 1; n <= 9; ++n)
        EXPECT_EQ(QFileInfo(f.File(n)).size(), 100) << n;
    EXPECT_FALSE(QFile::exists(f.File(10)));
    // Nothing lost or repeated in what is kept: the newest 46 lines, in order.
    QList<int> expected;
    for (int i = 20; i < 66; ++i)
        expected << i;
    EXPECT_EQ(NumbersKept(f.dir.path()), expected);

    // Off: the log takes the place of the one older copy; older runs' copies stay as they are.
    SerialLogOn = false;
    const QString older = Read(f.File(2));
    f.Write(10);
    EXPECT_EQ(Read(f.File(1)).left(9), "line 0070");
    EXPECT_EQ(Read(f.File(0)).left(9), "line 0075");
    EXPECT_EQ(Read(f.File(2)), older);

    // The link writes its log through this file.
    LinkRig rig;
    const auto removed = qScopeGuard([] { QFile::remove(ProgramFile("SerialLog1.log")); });
    rig.link->SerialLog().SetSizeLimit(100);
    for (int i = 0; i < 6; ++i)
        rig.link->AddLog(QStringLiteral("line %1 ........").arg(i, 4, 10, QChar(u'0')));
    EXPECT_EQ(ReadSerialLog(), "line 0005 ........\r\n");
    EXPECT_EQ(Read(ProgramFile("SerialLog1.log")).count("\r\n"), 5);
}

TEST(SerialLog, FollowsTheFileAsItStandsOnDisk) {
    SerialLogFolder f;
    f.Write(2);
    // Grown by someone else: counted.
    {
        QFile other(f.File(0));
        ASSERT_TRUE(other.open(QIODevice::Append));
        other.write(QByteArray(80, 'x'));
    }
    f.Write(1);
    EXPECT_EQ(QFileInfo(f.File(1)).size(), 40 + 80);
    EXPECT_EQ(Read(f.File(0)), "line 0002 ........\r\n");
    // Cut by someone else: counted from what is left.
    {
        QFile other(f.File(0));
        ASSERT_TRUE(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
    }
    f.Write(5);
    EXPECT_EQ(QFileInfo(f.File(0)).size(), 100);
    EXPECT_FALSE(QFile::exists(f.File(2)));

    // Deleted (to free the disk): the next line starts a new file, and the space goes.
    ASSERT_TRUE(QFile::remove(f.File(0)));
    f.Write(1);
    EXPECT_EQ(Read(f.File(0)), "line 0008 ........\r\n");
    // Replaced: written on in the file now there.
    ASSERT_TRUE(QFile::rename(f.File(0), f.dir.filePath("kept.log")));
    WriteFile(f.File(0), "new\r\n");
    f.Write(1);
    EXPECT_EQ(Read(f.File(0)), "new\r\nline 0009 ........\r\n");
    EXPECT_EQ(Read(f.dir.filePath("kept.log")), "line 0008 ........\r\n");
}

// A frame that did not go out is not logged as sent.
TEST(SerialLog, AFrameIsLoggedAsSentOnlyWhenItWasWritten) {
    LinkRig rig;
    const QByteArray off = frames::MakeFrame("RO,W,", frames::EOT);
    const QString shown = frames::ShowControlChars(off);
    rig.link->DataSend(off, true);
    rig.serial->refuseWrites = true;
    rig.link->DataSend(off, true);
    rig.link->SetPortOpen(false);
    rig.link->DataSend(off, true);
    const QString log = ReadSerialLog();
    EXPECT_EQ(log.count("W : " + shown), 1);
    EXPECT_EQ(log.count("Not sent (the port refused it) : " + shown), 1);
    EXPECT_EQ(log.count("Not sent (the port is not open) : " + shown), 1);
}

// A log that cannot be written is told once with its cause, and the link goes on; once lines
// are written again, the next failure is told again.
TEST(SerialLog, ALogThatCannotBeWrittenIsToldOnceAndTheLinkGoesOn) {
    LinkRig rig;
    rig.link->SetSerialFileNo(0);
    QSignalSpy told(rig.link.get(), &uclQvif::SerialLogFailed);
    const QString path = SerialLogPath();
    QFile::remove(path);
    // A disk that is full: every write fails.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), path));
    const auto removed = qScopeGuard([&] { QFile::remove(path); });
    rig.link->SetSerialFileNo(1);
    for (int i = 0; i < 5; ++i)
        rig.link->AddLog(QStringLiteral("line %1").arg(i));
    rig.link->DataSend(frames::MakeFrame("DR,R,", frames::EOT), true);
    EXPECT_EQ(rig.serial->written.size(), 1);
    ASSERT_EQ(told.count(), 1);
    const QString text = told.at(0).at(0).toString();
    EXPECT_TRUE(text.startsWith("The serial log " + path + " cannot be written: "))
        << text.toStdString();
    EXPECT_TRUE(text.contains("space")) << text.toStdString();

    QFile::remove(path);
    rig.link->AddLog(QStringLiteral("written"));
    EXPECT_EQ(ReadSerialLog(), "written\r\n");
    // A folder in the log's place: it cannot even be opened.
    QFile::remove(path);
    ASSERT_TRUE(QDir().mkpath(path));
    rig.link->AddLog(QStringLiteral("lost"));
    rig.link->AddLog(QStringLiteral("lost"));
    EXPECT_EQ(told.count(), 2);
    QDir(path).removeRecursively();
}

}  // namespace
}  // namespace qv::test
