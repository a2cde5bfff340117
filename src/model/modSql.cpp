// Value forms of the row rules.
#include "modSql.h"

#include "Runtime.h"

#include <cmath>

namespace qv {

QVariant SqlSingle(float value) {
    if (!std::isfinite(value)) return QVariant();
    return rt::SingleText(value).toDouble();
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
