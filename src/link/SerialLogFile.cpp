// The serial log file: bounded line writing and the rotation of the older copies.
#include "SerialLogFile.h"

#include "AppError.h"
#include "AppPaths.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <sys/stat.h>
#include <cerrno>
#include <cstring>

namespace qv {

QString SerialLogFile::FileName(int number) {
    return number == 0 ? QStringLiteral("SerialLog.log")
                       : QStringLiteral("SerialLog%1.log").arg(number);
}

bool SerialLogFile::Remove(const QString& path, int waitMs, bool processEvents) {
    QFile::remove(path);
    QElapsedTimer waited;
    waited.start();
    while (QFile::exists(path)) {
        if (waited.elapsed() >= waitMs) return false;
        QFile::remove(path);
        if (processEvents)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        else
            QThread::msleep(20);
    }
    return true;
}

void SerialLogFile::Rotate(const QString& folder, int kept, int waitMs) {
    for (int n = kept - 1; n >= 0; --n) {
        const QString from = JoinPath(folder, FileName(n));
        if (!QFile::exists(from)) continue;
        const QString to = JoinPath(folder, FileName(n + 1));
        if (QFile::exists(to) && !Remove(to, waitMs, false))
            throw AppError(ErrPermission, GetMessage(9057, {to}));
        if (!QFile::rename(from, to)) throw AppError(ErrPermission, GetMessage(9058, {from, to}));
    }
}

SerialLogFile::SerialLogFile(QString folder) : folder_(std::move(folder)) {}

SerialLogFile::~SerialLogFile() = default;

QString SerialLogFile::Path() const {
    return folder_.isEmpty() ? QString() : JoinPath(folder_, FileName(0));
}

void SerialLogFile::Close() {
    file_.reset();
}

bool SerialLogFile::Open(qint64* size) {
    if (folder_.isEmpty()) folder_ = ProgramFolder();
    // Unbuffered: every line reaches the file at once, and a failed write is seen at the line
    // that failed rather than at a later flush.
    auto file = std::make_unique<QFile>(Path());
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        error_ = file->errorString();
        return false;
    }
    struct stat st {};
    if (::fstat(file->handle(), &st) != 0) {
        error_ = QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    device_ = st.st_dev;
    inode_ = st.st_ino;
    *size = st.st_size;
    file_ = std::move(file);
    return true;
}

bool SerialLogFile::StillInPlace(qint64* size) const {
    struct stat st {};
    if (::stat(Path().toLocal8Bit().constData(), &st) != 0) return false;
    if (static_cast<quint64>(st.st_dev) != device_ || static_cast<quint64>(st.st_ino) != inode_)
        return false;
    *size = st.st_size;
    return true;
}

bool SerialLogFile::WriteLine(const QString& text) {
    error_.clear();
    qint64 size = 0;
    // A log deleted or replaced while it was open is started anew: writing on into a deleted
    // file would keep its space taken and its lines out of sight.
    if (file_ && !StillInPlace(&size)) file_.reset();
    if (!file_ && !Open(&size)) return false;
    if (size >= limit_) {
        file_.reset();
        try {
            Rotate(folder_, SerialLogOn ? kKeptCopies : 1, 0);
        } catch (const AppError& e) {
            // The line is not written: a log that cannot be moved aside would grow without end.
            error_ = e.text();
            return false;
        }
        if (!Open(&size)) return false;
    }
    const QByteArray line = (text + QStringLiteral("\r\n")).toUtf8();
    if (file_->write(line) != line.size()) {
        error_ = file_->errorString();
        // Opened again for the next line, so that a file that can be written again is.
        file_.reset();
        return false;
    }
    return true;
}

}  // namespace qv
