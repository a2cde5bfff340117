// The ToUnicode maps of a PDF written by Qt's PDF writer, corrected where they name radicals.
#include "PdfTextLayer.h"

#include <QList>
#include <QString>

#include <algorithm>

namespace qv {

namespace {

// The ideograph a radical of the CJK radical blocks stands for; 0 for any other code point and
// for the radical variants that decompose to nothing.
char16_t Ideograph(char16_t code) {
    if (code < 0x2E80 || code > 0x2FDF) return 0;
    const QString folded = QString(QChar(code)).normalized(QString::NormalizationForm_KC);
    if (folded.size() != 1 || folded[0].unicode() == code) return 0;
    return folded[0].unicode();
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Rewrites the code point named at `at` ("<XXXX>", four hex digits) where it is a radical.
int MendName(QByteArray& pdf, qsizetype at) {
    if (at + 5 >= pdf.size() || pdf[at] != '<' || pdf[at + 5] != '>') return 0;
    int code = 0;
    for (int i = 1; i <= 4; ++i) {
        const int digit = HexDigit(pdf[at + i]);
        if (digit < 0) return 0;
        code = code * 16 + digit;
    }
    const char16_t ideograph = Ideograph(static_cast<char16_t>(code));
    if (!ideograph) return 0;
    const QByteArray hex = QByteArray::number(ideograph, 16).toUpper().rightJustified(4, '0');
    pdf.replace(at + 1, 4, hex);
    return 1;
}

// The `<...>` names of one line of a map section, by their offsets.
QList<qsizetype> Names(const QByteArray& pdf, qsizetype from, qsizetype to) {
    QList<qsizetype> names;
    for (qsizetype at = pdf.indexOf('<', from); at >= 0 && at < to; at = pdf.indexOf('<', at + 1))
        names << at;
    return names;
}

// The lines of one "begin<kind>" ... "end<kind>" section: a range maps source codes to one
// code point or to a list of them; a char line maps one source code to one code point.
int MendSection(QByteArray& pdf, qsizetype from, qsizetype to, bool ranges) {
    int mended = 0;
    for (qsizetype line = from; line < to;) {
        qsizetype end = pdf.indexOf('\n', line);
        if (end < 0 || end > to) end = to;
        const QList<qsizetype> names = Names(pdf, line, end);
        const bool list =
            std::find(pdf.cbegin() + line, pdf.cbegin() + end, '[') != pdf.cbegin() + end;
        if (!ranges && names.size() == 2) {
            mended += MendName(pdf, names[1]);
        } else if (ranges && list) {
            for (qsizetype i = 2; i < names.size(); ++i)
                mended += MendName(pdf, names[i]);
        } else if (ranges && names.size() == 3 && pdf.mid(names[0], 6) == pdf.mid(names[1], 6)) {
            // One source code. A run of sources onto a run of code points is left alone: it
            // would name the radicals after the first as well.
            mended += MendName(pdf, names[2]);
        }
        line = end + 1;
    }
    return mended;
}

}  // namespace

int NameIdeographsInToUnicodeMaps(QByteArray& pdf) {
    int mended = 0;
    for (qsizetype map = pdf.indexOf("begincmap"); map >= 0;
         map = pdf.indexOf("begincmap", map + 1)) {
        const qsizetype mapEnd = pdf.indexOf("endcmap", map);
        if (mapEnd < 0) break;
        for (const bool ranges : {true, false}) {
            const QByteArray begin = ranges ? "beginbfrange" : "beginbfchar";
            const QByteArray end = ranges ? "endbfrange" : "endbfchar";
            for (qsizetype section = pdf.indexOf(begin, map); section >= 0 && section < mapEnd;
                 section = pdf.indexOf(begin, section + 1)) {
                const qsizetype sectionEnd = pdf.indexOf(end, section);
                if (sectionEnd < 0 || sectionEnd > mapEnd) break;
                mended += MendSection(pdf, section + begin.size(), sectionEnd, ranges);
            }
        }
        map = mapEnd;
    }
    return mended;
}

}  // namespace qv
