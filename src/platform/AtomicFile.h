// Writing a whole file in one step, so that a failed save never costs the file it replaces.
#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace qv {

// A file written piece by piece into a temporary file beside `path`, which takes the old file's
// place only when Commit finds every byte written and synced. Without a successful Commit the old
// file (or the absence of one) stays as it was and the temporary file is removed. Failures throw
// AppError naming the file and the reason.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(const QString& path);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void Write(const QByteArray& bytes);
    void Commit();

  private:
    [[noreturn]] void Fail();
    QString path_;
    QSaveFile file_;
};

// Writes `bytes` as the whole content of `path` through an AtomicFileWriter.
void WriteFileAtomically(const QString& path, const QByteArray& bytes);
// The same for a text, written as UTF-8.
void WriteTextAtomically(const QString& path, const QString& text);

}  // namespace qv
