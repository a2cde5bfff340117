// Settings scrambler: each character becomes two letters from "F" to "U", shifted by position.
#include "modScrambler.h"

#include "AppError.h"

namespace qv {

QString EncodeText(const QString& text) {
    QString out;
    out.reserve(text.size() * 2);
    for (qsizetype k = 0; k < text.size(); ++k) {
        const int t = static_cast<int>(k) + text[k].unicode();
        out += QChar(static_cast<char16_t>(t % 16 + 70));
        out += QChar(static_cast<char16_t>(t / 16 + 70));
    }
    return out;
}

QString DecodeText(const QString& text) {
    QString out;
    out.reserve(text.size() / 2);
    for (qsizetype k = 0; k + 2 <= text.size(); k += 2) {
        const int a = text[k].unicode();
        const int b = text[k + 1].unicode();
        const int t = (b - 70) * 16 + ((a - 70) & 0x0F);
        const int code = t - static_cast<int>(k / 2);
        if (code < 0 || code > 0xFFFF)
            throw AppError(ErrInvalidCall, QStringLiteral("Invalid procedure call or argument"));
        out += QChar(static_cast<char16_t>(code));
    }
    return out;
}

}  // namespace qv
