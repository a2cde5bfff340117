// Whole-file writes: a file replaced whole, or on a failure left as it was with the reason told.
#include "AppError.h"
#include "AtomicFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <csignal>

namespace qv::test {
namespace {

TEST(AtomicFile, ReplacesAFileWholeOrLeavesTheOldOneAndSaysWhy) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Sample.csv"));
    WriteTextAtomically(path, QStringLiteral("old\r\n"));
    WriteTextAtomically(path, QStringLiteral("new, 新\r\n"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), QStringLiteral("new, 新\r\n"));
    file.close();

    // A folder that cannot exist: the error names the file, nothing is created.
    const QString missing = path + QStringLiteral("/sub/out.csv");
    try {
        WriteTextAtomically(missing, QStringLiteral("x"));
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("Cannot write ") + missing + ": "));
    }

    // A write that fails part-way (the file size limit stands in for a full disk): the old
    // file stays whole and no temporary file is left behind.
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    rlimit small = limit;
    small.rlim_cur = 4096;
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(WriteFileAtomically(path, QByteArray(100000, 'x')), AppError);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldSignal);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), QStringLiteral("new, 新\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Sample.csv")});
}

}  // namespace
}  // namespace qv::test
