// The frame of the instrument protocol: control characters, building a frame with its checksum,
// checking a received one, cutting frames out of received bytes, and the display form of a
// frame for the serial log. Nothing here knows what a payload means.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace qv::frames {

constexpr char STX = 2;
constexpr char ETX = 3;
constexpr char EOT = 4;
constexpr char ACK = 6;
constexpr char CR = 13;
constexpr char NAK = 21;
constexpr char ETB = 23;

// The two-digit checksum of a frame's text from STX through ETX: the low byte of the two's
// complement of the sum of its bytes.
uint8_t CheckSum(const QByteArray& stxThroughEtx);
// STX "0001" payload ETX checksum terminator.
QByteArray MakeFrame(const QByteArray& payload, char terminator);
// True when a received frame is laid out as STX ... ETX, two hexadecimal checksum digits and
// its terminator, and the checksum matches the sending rule.
bool ChecksumOk(const QByteArray& frame);

// The smallest of the positions that are not 0; 0 when all are 0.
int FirstTerminator(int a, int b, int c);

// A frame cut from the received bytes with the terminator that ended it.
struct CutFrame {
    QByteArray bytes;
    char terminator = 0;
};
// Cuts every complete frame (ended by ETB, EOT or CR) from the front of buffer, in order; what
// follows the last terminator stays in buffer.
QList<CutFrame> CutFrames(QByteArray& buffer);

// The serial log's display form of a frame: control characters as [STX], [ETX], [01] ...
QString ShowControlChars(const QByteArray& text);

}  // namespace qv::frames
