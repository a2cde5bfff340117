// Frame building, checking and cutting.
#include "Frames.h"

namespace qv::frames {

uint8_t CheckSum(const QByteArray& stxThroughEtx) {
    unsigned sum = 0;
    for (char c : stxThroughEtx)
        sum += static_cast<uint8_t>(c);
    return static_cast<uint8_t>((256 - (sum % 256)) % 256);
}

namespace {
QByteArray Hex2(uint8_t value) {
    return QByteArray::number(value + 0x100, 16).right(2).toUpper();
}
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
}  // namespace

QByteArray MakeFrame(const QByteArray& payload, char terminator) {
    QByteArray frame;
    frame.reserve(payload.size() + 9);
    frame += STX;
    frame += "0001";
    frame += payload;
    frame += ETX;
    frame += Hex2(CheckSum(frame));
    frame += terminator;
    return frame;
}

bool ChecksumOk(const QByteArray& frame) {
    const qsizetype n = frame.size();
    if (n < 5 || frame[0] != STX || frame[n - 4] != ETX) return false;
    const int hi = HexDigit(frame[n - 3]);
    const int lo = HexDigit(frame[n - 2]);
    if (hi < 0 || lo < 0) return false;
    return CheckSum(QByteArray::fromRawData(frame.constData(), n - 3)) == hi * 16 + lo;
}

int FirstTerminator(int a, int b, int c) {
    int best = 0;
    for (int p : {a, b, c})
        if (p != 0 && (best == 0 || p < best)) best = p;
    return best;
}

QList<CutFrame> CutFrames(QByteArray& buffer) {
    QList<CutFrame> frames;
    qsizetype start = 0;
    for (qsizetype i = 0; i < buffer.size(); ++i) {
        const char c = buffer[i];
        if (c == ETB || c == EOT || c == CR) {
            frames.append({buffer.mid(start, i + 1 - start), c});
            start = i + 1;
        }
    }
    buffer.remove(0, start);
    return frames;
}

QString ShowControlChars(const QByteArray& text) {
    QString out;
    out.reserve(text.size() + 16);
    for (char ch : text) {
        const auto c = static_cast<uint8_t>(ch);
        switch (c) {
            case 2:
                out += QLatin1String("[STX]");
                break;
            case 3:
                out += QLatin1String("[ETX]");
                break;
            case 4:
                out += QLatin1String("[EOT]");
                break;
            case 5:
                out += QLatin1String("[ENQ]");
                break;
            case 6:
                out += QLatin1String("[ACK]");
                break;
            case 10:
            case 13:
                out += QChar(c);
                break;
            case 21:
                out += QLatin1String("[NAK]");
                break;
            case 23:
                out += QLatin1String("[ETB]");
                break;
            case 26:
                out += QLatin1String("[SUB]");
                break;
            case 27:
                out += QLatin1String("[ESC]");
                break;
            default:
                if (c < 32)
                    out += u'[' + QString::number(c + 0x100, 16).right(2).toUpper() + u']';
                else
                    out += QChar(c);  // the byte as its Latin-1 character
        }
    }
    return out;
}

}  // namespace qv::frames
