// The serial log "SerialLog.log" in the program's folder and its numbered older copies
// "SerialLog1.log" (newest) to "SerialLog9.log": the writing of its lines, which keeps the file
// bounded while the program runs, and the one rotation that the start-up uses as well.
#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

class QFile;

namespace qv {

class SerialLogFile {
  public:
    // The size at which the log is moved aside while the program runs: a program left running
    // for a year with the converter present would otherwise fill the disk with it.
    static constexpr qint64 kSizeLimit = 8 * 1024 * 1024;
    // Older copies kept when the serial log setting is on; one when it is off.
    static constexpr int kKeptCopies = 9;

    // "SerialLog.log" for 0, else the copy "SerialLog<n>.log".
    static QString FileName(int number);
    // Moves SerialLog.log of `folder` to copy 1 and the copies below `kept` one number up; the
    // copy numbered `kept` is replaced. A file in the way is waited for up to `waitMs` to be
    // deleted. Raises AppError when a file cannot be moved, and stops there.
    static void Rotate(const QString& folder, int kept, int waitMs);
    // Deletes a file and waits up to `waitMs` until it is gone, processing events meanwhile
    // when asked. False when it is still there.
    static bool Remove(const QString& path, int waitMs, bool processEvents);

    // The log of `folder`; an empty folder is the program's folder, found at the first line.
    explicit SerialLogFile(QString folder = {});
    ~SerialLogFile();
    SerialLogFile(const SerialLogFile&) = delete;
    SerialLogFile& operator=(const SerialLogFile&) = delete;

    // Appends one line and a CR LF, on disk before it returns. A log that has reached the limit
    // (as the file stands on disk, whoever grew or cut it) is first moved aside, keeping nine
    // copies when the serial log setting is on and one when it is off; a log deleted or
    // replaced meanwhile is started anew. False when the line was not written; Error() says why.
    bool WriteLine(const QString& text);
    // Closes the file; the next line opens it again.
    void Close();
    // The full path of the log (once known).
    QString Path() const;
    const QString& Error() const { return error_; }
    // The size limit; only tests set another.
    void SetSizeLimit(qint64 bytes) { limit_ = bytes; }

  private:
    // Opens the log for appending; `size` is its size on disk.
    bool Open(qint64* size);
    // True when the open file is still the one at the log's path.
    bool StillInPlace(qint64* size) const;

    QString folder_;
    std::unique_ptr<QFile> file_;
    // Identity of the open file, to see it deleted or replaced.
    quint64 device_ = 0;
    quint64 inode_ = 0;
    qint64 limit_ = kSizeLimit;
    QString error_;
};

}  // namespace qv
