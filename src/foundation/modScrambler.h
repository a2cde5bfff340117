// The settings file's two-way text scrambler: any text to capital letters and back, no key.
#pragma once

#include <QString>

namespace qv {

QString EncodeText(const QString& text);
// Restores a scrambled text; a pair that no encoding can have produced raises AppError (5).
QString DecodeText(const QString& text);

}  // namespace qv
