// Key and string helpers.
#include "modKeys.h"

#include "AppError.h"
#include "Runtime.h"

#include <algorithm>

namespace qv {

bool IsIdChar(int16_t keyCode) {
    return (keyCode >= '0' && keyCode <= '9') || (keyCode >= 'A' && keyCode <= 'Z') ||
           (keyCode >= 'a' && keyCode <= 'z') || keyCode == ' ' || keyCode == '*' || keyCode == '-';
}

bool IdKeyTaken(int keyAscii, qsizetype kept, qsizetype longest) {
    return keyAscii > 0 && keyAscii <= 0x7F && IsIdChar(static_cast<int16_t>(keyAscii)) &&
           kept < longest;
}

IdEdit KeepIdEdit(const QString& before, const QString& after, qsizetype longest) {
    // The edit replaced the part between the common beginning and the common end.
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype head = 0;
    while (head < shorter && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const qsizetype kept = head + tail;
    qsizetype room = std::max<qsizetype>(0, longest - kept);
    QString inserted;
    for (const QChar c : after.mid(head, after.size() - kept)) {
        if (room == 0) break;
        if (c.unicode() > 0x7F || !IsIdChar(static_cast<int16_t>(c.unicode()))) continue;
        inserted += c;
        --room;
    }
    return {after.left(head) + inserted + after.right(tail), head + inserted.size()};
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
