// Writing a whole file in one step, so that a failed save never costs the file it replaces.
#pragma once

#include <QByteArray>
#include <QString>

namespace qv {

// Writes `bytes` as the whole content of `path` through a temporary file beside it that takes
// the old file's place only once every byte is written and synced: on a failure the old file
// (or the absence of one) stays as it was, never an empty or partial file. Throws AppError
// naming the file and the reason.
void WriteFileAtomically(const QString& path, const QByteArray& bytes);
// The same for a text, written as UTF-8.
void WriteTextAtomically(const QString& path, const QString& text);

}  // namespace qv
