// Whole-file writes through a temporary file and a rename.
#include "AtomicFile.h"

#include "AppError.h"
#include "PlatformText.h"

namespace qv {

AtomicFileWriter::AtomicFileWriter(const QString& path) : path_(path), file_(path) {
    // Where no temporary file can be made beside the target, nothing is written at all rather
    // than the target overwritten in place.
    if (!file_.open(QIODevice::WriteOnly)) Fail();
}

void AtomicFileWriter::Fail() {
    throw AppError(ErrPermission, PlatformText(TextCannotWrite, {path_, file_.errorString()},
                                               QStringLiteral("Cannot write %1: %2")));
}

void AtomicFileWriter::Commit() {
    // The write is buffered: a full disk may show only at the flush, and commit() alone would
    // put the cut-short file in place of the old one.
    if (!file_.flush() || !file_.commit()) Fail();
}

void AtomicFileWriter::Write(const QByteArray& bytes) {
    if (file_.write(bytes) != bytes.size()) Fail();
}

void WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    AtomicFileWriter file(path);
    file.Write(bytes);
    file.Commit();
}

void WriteTextAtomically(const QString& path, const QString& text) {
    WriteFileAtomically(path, text.toUtf8());
}

}  // namespace qv
