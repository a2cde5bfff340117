// Key and string helpers.
#include "modKeys.h"

#include "AppError.h"
#include "Runtime.h"

namespace qv {

bool IsIdChar(int16_t keyCode) {
    return (keyCode >= '0' && keyCode <= '9') || (keyCode >= 'A' && keyCode <= 'Z') ||
           (keyCode >= 'a' && keyCode <= 'z') || keyCode == ' ' || keyCode == '*' || keyCode == '-';
}

QString TrimOrStar(const QString& text) {
    const QString t = rt::Trim(text);
    return t.isEmpty() ? QStringLiteral("*") : t;
}

int32_t GetLeadingNumber(const QString& key) {
    if (key.isEmpty()) return 0;
    const int blank = rt::InStr(key, QStringLiteral(" "));
    if (blank == 0)
        throw AppError(ErrTypeMismatch, QStringLiteral("Type mismatch: key without a blank"));
    return rt::CLng(rt::Trim(rt::Left(key, blank)));
}

QString DropLastTwo(const QString& key) {
    if (key.size() < 3) return QString();
    return key.left(key.size() - 2);
}

QString GetLastWord(const QString& key) {
    QString work = key;
    int blank;
    while ((blank = rt::InStr(work, QStringLiteral(" "))) > 0)
        work = rt::Trim(rt::Mid(work, blank + 1));
    return work;
}

}  // namespace qv
