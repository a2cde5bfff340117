// Run-time helpers: number test, conversions, Format, Single text and 1-based string cutting.
// Every conversion between a number and its text uses the point as decimal separator whatever
// the process's locale: the instrument, the database, the settings file and the exports all
// write a point, and the C library's strtod and printf would follow a desktop that writes a comma.
#include "Runtime.h"

#include "AppError.h"

#include <cfloat>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qv::rt {

namespace {

// The value of a text of digits with at most one point and an optional leading "-". A value
// beyond a Double's range reads as an infinity, one below its smallest as zero.
double DecimalValue(const QByteArray& ascii) {
    const char* first = ascii.constData();
    const char* last = first + ascii.size();
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (error == std::errc::result_out_of_range) {
        const bool negative = ascii.startsWith('-');
        // Only a whole part other than zero can overflow.
        bool whole = false;
        for (const char* c = first; c < last && *c != '.'; ++c)
            whole = whole || (*c >= '1' && *c <= '9');
        value = whole ? std::numeric_limits<double>::infinity() : 0.0;
        return negative ? -value : value;
    }
    return value;
}

// The text of a number in fixed notation with `decimals` places, or, with `general`, in the
// shorter of fixed and exponent notation with `decimals` significant digits (as printf's %f and
// %G in the C locale).
QByteArray NumberText(double value, int decimals, bool general) {
    // Every digit of the largest Double before the point, the decimals and the sign.
    std::string buffer(static_cast<size_t>(std::max(decimals, 0)) + 330, '\0');
    const auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                      general ? std::chars_format::general : std::chars_format::fixed, decimals);
    if (error != std::errc()) return QByteArray();
    QByteArray text(buffer.data(), static_cast<qsizetype>(end - buffer.data()));
    if (general) text.replace('e', 'E');
    return text;
}

// Parses the plain-decimal grammar; returns false when the text does not follow it.
bool ParsePlain(const QString& text, double* out) {
    const int n = static_cast<int>(text.size());
    int i = 0;
    while (i < n && text[i] == u' ')
        ++i;
    int end = n;
    while (end > i && text[end - 1] == u' ')
        --end;
    if (i >= end) return false;
    QByteArray ascii;
    ascii.reserve(end - i);
    if (text[i] == u'+' || text[i] == u'-') {
        if (text[i] == u'-') ascii.append('-');
        ++i;
    }
    int digits = 0;
    bool point = false;
    for (; i < end; ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            ++digits;
            ascii.append(static_cast<char>(c.unicode()));
        } else if (c == u'.' && !point) {
            point = true;
            ascii.append('.');
        } else {
            return false;
        }
    }
    if (digits == 0) return false;
    if (out) *out = DecimalValue(ascii);
    return true;
}

[[noreturn]] void Overflow() {
    throw AppError(ErrOverflow, QStringLiteral("Overflow"));
}
[[noreturn]] void Mismatch(const QString& text) {
    throw AppError(ErrTypeMismatch, QStringLiteral("Type mismatch: \"%1\"").arg(text.left(40)));
}

double RoundEven(double value) {
    // nearbyint follows the current rounding mode, which is to-nearest-even by default.
    return std::nearbyint(value);
}

// Strips trailing zeros (and a trailing point) from the mantissa of a general text.
QString TidyGeneral(const QByteArray& text) {
    QString s = QString::fromLatin1(text);
    int e = static_cast<int>(s.indexOf(u'E'));
    QString mantissa = e >= 0 ? s.left(e) : s;
    QString exponent = e >= 0 ? s.mid(e) : QString();
    if (mantissa.contains(u'.')) {
        while (mantissa.endsWith(u'0'))
            mantissa.chop(1);
        if (mantissa.endsWith(u'.')) mantissa.chop(1);
    }
    if (mantissa == QLatin1String("-0")) mantissa = QStringLiteral("0");
    return mantissa + exponent;
}

QString GeneralText(double value, int significant) {
    if (std::isnan(value)) return QStringLiteral("NaN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("Inf") : QStringLiteral("-Inf");
    return TidyGeneral(NumberText(value, significant, true));
}

}  // namespace

bool IsNumeric(const QString& text) {
    return ParsePlain(text, nullptr);
}

double ToDouble(const QString& text) {
    double v = 0;
    if (!ParsePlain(text, &v)) Mismatch(text);
    return v;
}

int16_t CInt(double value) {
    const double r = RoundEven(value);
    if (!(r >= -32768.0 && r <= 32767.0)) Overflow();
    return static_cast<int16_t>(r);
}

int32_t CLng(double value) {
    const double r = RoundEven(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) Overflow();
    return static_cast<int32_t>(r);
}

float CSng(double value) {
    if (std::isnan(value)) Overflow();
    if (std::fabs(value) > static_cast<double>(FLT_MAX)) Overflow();
    return static_cast<float>(value);
}

int16_t CInt(const QString& text) {
    return CInt(ToDouble(text));
}
int32_t CLng(const QString& text) {
    return CLng(ToDouble(text));
}
float CSng(const QString& text) {
    return CSng(ToDouble(text));
}

double RoundHalfAway(double value, int decimals) {
    if (!std::isfinite(value)) return value;
    // Decide on the exact decimal expansion of the binary value, so that 2.5 rounds to 3 and
    // 0.285 (held as 0.28499999...) rounds down, as a decimal reading of the value does.
    QByteArray digits = NumberText(std::fabs(value), 60, false);
    const int point = static_cast<int>(digits.indexOf('.'));
    const int cut = point + 1 + decimals;  // index of the first dropped digit
    QByteArray kept = digits.left(decimals > 0 ? cut : point);
    kept.replace(".", "");
    bool roundUp = cut < digits.size() && digits[cut] >= '5';
    // Add one unit in the last kept place.
    if (roundUp) {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0) {
            if (kept[i] == '9') {
                kept[i] = '0';
                --i;
            } else {
                kept[i] = static_cast<char>(kept[i] + 1);
                break;
            }
        }
        if (i < 0) kept.prepend('1');
    }
    double magnitude = DecimalValue(kept) / std::pow(10.0, decimals);
    return value < 0 ? -magnitude : magnitude;
}

QString Format(double value, const QString& pattern) {
    // Pattern grammar: optional '#'s, then '0's, then optionally '.' and '0's.
    int i = 0;
    const int n = static_cast<int>(pattern.size());
    while (i < n && pattern[i] == u'#')
        ++i;
    int minInt = 0;
    while (i < n && pattern[i] == u'0') {
        ++minInt;
        ++i;
    }
    int decimals = 0;
    if (i < n && pattern[i] == u'.') {
        ++i;
        while (i < n && pattern[i] == u'0') {
            ++decimals;
            ++i;
        }
    }
    if (i != n) throw AppError(ErrInvalidCall, QStringLiteral("Unsupported pattern ") + pattern);
    if (std::isnan(value)) return QStringLiteral("NaN");
    const double rounded = RoundHalfAway(value, decimals);
    QString body = QString::fromLatin1(NumberText(std::fabs(rounded), decimals, false));
    int intDigits = static_cast<int>(body.indexOf(u'.'));
    if (intDigits < 0) intDigits = static_cast<int>(body.size());
    if (intDigits == 1 && body[0] == u'0' && minInt == 0) body.remove(0, 1);
    while (intDigits < minInt) {
        body.prepend(u'0');
        ++intDigits;
    }
    const bool isZero = rounded == 0.0;
    return (value < 0 && !isZero) ? QStringLiteral("-") + body : body;
}

QString SingleText(float value) {
    return GeneralText(static_cast<double>(value), 7);
}
QString DoubleText(double value) {
    return GeneralText(value, 15);
}

QString Mid(const QString& text, int start, int length) {
    if (start < 1) throw AppError(ErrInvalidCall, QStringLiteral("Mid: start below 1"));
    if (start > text.size()) return QString();
    return length < 0 ? text.mid(start - 1) : text.mid(start - 1, length);
}

QString Left(const QString& text, int length) {
    return length <= 0 ? QString() : text.left(length);
}

QString Right(const QString& text, int length) {
    return length <= 0 ? QString() : text.right(length);
}

int InStr(const QString& text, const QString& part, int start) {
    if (start < 1) start = 1;
    if (start > text.size() + 1) return 0;
    const qsizetype at = text.indexOf(part, start - 1);
    return at < 0 ? 0 : static_cast<int>(at) + 1;
}

QString Trim(const QString& text) {
    qsizetype a = 0, b = text.size();
    while (a < b && text[a] == u' ')
        ++a;
    while (b > a && text[b - 1] == u' ')
        --b;
    return text.mid(a, b - a);
}

QString PadCut(const QString& text, int width) {
    QString s = text.left(width);
    while (s.size() < width)
        s.append(u' ');
    return s;
}

}  // namespace qv::rt
