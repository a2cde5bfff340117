// Whole-file writes through a temporary file and a rename.
#include "AtomicFile.h"

#include "AppError.h"
#include "PlatformText.h"

#include <QSaveFile>

namespace qv {

void WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    const auto fail = [&] {
        return AppError(ErrPermission, PlatformText(TextCannotWrite, {path, file.errorString()},
                                                    QStringLiteral("Cannot write %1: %2")));
    };
    if (!file.open(QIODevice::WriteOnly)) throw fail();
    // The write is buffered: a full disk shows only at the flush, and commit() alone would put
    // the cut-short file in place of the old one.
    // An uncommitted file is removed when it goes out of scope.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) throw fail();
}

void WriteTextAtomically(const QString& path, const QString& text) {
    WriteFileAtomically(path, text.toUtf8());
}

}  // namespace qv
