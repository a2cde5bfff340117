// The lock file on flock(2): the lock belongs to the open file, so it ends with the process,
// and a second open of the file, even in the same process, does not get it.
#include "LockFile.h"

#include <QFile>
#include <QSysInfo>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace qv {

namespace {

bool WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// True when the open file is still the one the path names (its holder may have deleted it
// between our open and our lock).
bool SameFile(int fd, const QByteArray& path) {
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) != 0 || ::stat(path.constData(), &named) != 0) return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

QString ErrorText(int number) {
    return QString::fromLocal8Bit(std::strerror(number));
}

}  // namespace

LockFile::~LockFile() {
    Release();
}

LockFile::Result LockFile::Take(const QString& path, const QString& computer, const QString& user) {
    Release();
    error_.clear();
    const QByteArray name = QFile::encodeName(path);
    for (int attempt = 0; attempt < 5; ++attempt) {
        // Never truncate on open: the file may belong to a running copy.
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            const int openError = errno;
            // A lock file of another user that we may only read: held if its lock is taken.
            const int reader = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
            if (reader >= 0) {
                const bool held = ::flock(reader, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
                ::close(reader);
                if (held) return Result::HeldElsewhere;
            }
            error_ = ErrorText(openError);
            return Result::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int lockError = errno;
            ::close(fd);
            if (lockError == EWOULDBLOCK) return Result::HeldElsewhere;
            error_ = ErrorText(lockError);
            return Result::Failed;
        }
        if (!SameFile(fd, name)) {
            ::close(fd);
            continue;
        }
        const QByteArray text =
            (computer + QStringLiteral("\r\n") + user + QStringLiteral("\r\n")).toLocal8Bit();
        if (::ftruncate(fd, 0) != 0 || !WriteAll(fd, text)) {
            error_ = ErrorText(errno);
            ::unlink(name.constData());
            ::close(fd);
            return Result::Failed;
        }
        fd_ = fd;
        path_ = path;
        return Result::Taken;
    }
    error_ = QStringLiteral("The lock file keeps changing");
    return Result::Failed;
}

void LockFile::Release() {
    if (fd_ < 0) return;
    // Deleted while still locked, so no other copy can lock this file after we let go.
    ::unlink(QFile::encodeName(path_).constData());
    ::close(fd_);
    fd_ = -1;
}

QStringList LockFile::ReadHolder(const QString& path) {
    QStringList names{QString(), QString()};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return names;
    const QString text = QString::fromLocal8Bit(file.read(4096));
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < 2 && i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r')) line.chop(1);
        names[i] = line;
    }
    return names;
}

QString LockFilePath(const QString& databasePath) {
    return databasePath.left(std::max<qsizetype>(0, databasePath.size() - 4)) +
           QStringLiteral(".LCK");
}

QString ComputerName() {
    return QSysInfo::machineHostName();
}

QString UserName() {
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    const QByteArray user = qgetenv("USER");
    return QString::fromLocal8Bit(user.isEmpty() ? qgetenv("LOGNAME") : user);
}

}  // namespace qv
