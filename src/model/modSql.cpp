// Value forms of the row rules.
#include "modSql.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qv {

QVariant SqlSingle(float value) {
    if (!std::isfinite(value)) return QVariant();
    // The shortest decimal that reads back as the same Single: 0.05f is kept as 0.05, and no
    // reading is ever changed by the way it is stored.
    for (int digits = 6; digits < 9; ++digits) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, static_cast<double>(value));
        const double d = std::strtod(buffer, nullptr);
        if (static_cast<float>(d) == value) return d;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    return std::strtod(buffer, nullptr);
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
