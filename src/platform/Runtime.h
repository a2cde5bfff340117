// Run-time helpers that the rest of the program leans on: the number test, whole-number and
// single conversions (CInt and CLng round half to even, Format half away from zero), Format
// patterns, 1-based string cutting and the text form of a Single. Each rule lives here once.
#pragma once

#include <QString>
#include <cstdint>

namespace qv::rt {

// Plain decimals only: optional blanks, an optional sign, digits with at most one point.
bool IsNumeric(const QString& text);
// The value of a numeric text; a text that fails IsNumeric raises a type mismatch (13).
double ToDouble(const QString& text);

// Whole-number conversions: halves go to the even neighbour; out of range raises overflow (6).
int16_t CInt(double value);
int32_t CLng(double value);
// Narrowing to a Single; out of range raises overflow (6).
float CSng(double value);
// Text conversions: a non-numeric text raises a type mismatch (13).
int16_t CInt(const QString& text);
int32_t CLng(const QString& text);
float CSng(const QString& text);

// Rounds half away from zero to `decimals` places, as Format does.
double RoundHalfAway(double value, int decimals);

// Format of a number with a pattern of the form [#]*0*[.0*] ("#0", "#0.00", "0", "00").
// Rounds half away from zero. Any other pattern raises an invalid call (5).
QString Format(double value, const QString& pattern);

// The general text of a Single: at most seven significant digits, no trailing zeros, a point as
// decimal separator, exponent form ("1E+07") for very large and very small magnitudes.
QString SingleText(float value);
// The general text of a Double: up to fifteen significant digits, same rules.
QString DoubleText(double value);

// 1-based string cutting. Start below 1 raises an invalid call (5).
QString Mid(const QString& text, int start, int length = -1);
QString Left(const QString& text, int length);
QString Right(const QString& text, int length);
// Position (from 1) of the first occurrence of `part` at or after `start`, 0 when absent.
int InStr(const QString& text, const QString& part, int start = 1);
// Removes leading and trailing blanks (the space character only).
QString Trim(const QString& text);
// Right-pads with blanks and cuts to exactly `width` characters.
QString PadCut(const QString& text, int width);

}  // namespace qv::rt
