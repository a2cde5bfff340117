// Value forms of the row rules.
#include "modSql.h"

#include <charconv>
#include <cmath>

namespace qv {

QVariant SqlSingle(float value) {
    if (!std::isfinite(value)) return QVariant();
    // The shortest decimal that reads back as the same Single: 0.05f is kept as 0.05, and no
    // reading is ever changed by the way it is stored. The conversions ignore the locale, so a
    // desktop that writes decimals with a comma stores the same value.
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    double d = value;
    std::from_chars(buffer, written.ptr, d);
    return d;
}

QVariant SqlDate(const QDateTime& value) {
    return value.isValid() ? QVariant(value) : QVariant();
}

QString SqlTextOrBlank(const QString& text) {
    return text.isEmpty() ? QStringLiteral(" ") : text;
}

QString SqlFolder(const QString& folder) {
    return folder.isEmpty() ? QStringLiteral("-----") : folder;
}

}  // namespace qv
