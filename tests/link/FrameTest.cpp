// Frames: building with the checksum, checking received ones, cutting, and the log form.
#include "Frames.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

using namespace frames;

QByteArray ChecksumOf(const QByteArray& payload) {
    const QByteArray f = MakeFrame(payload, EOT);
    return f.mid(f.size() - 3, 2);
}

TEST(Frames, ChecksumFollowsTheSendingRule) {
    EXPECT_EQ(MakeFrame("RC,R,", EOT), QByteArray("\x02"
                                                  "0001RC,R,\x03"
                                                  "FB\x04"));
    EXPECT_EQ(ChecksumOf(QByteArray("DR,R,") + ACK), "F4");
    EXPECT_EQ(ChecksumOf(QByteArray("DR,R,") + NAK), "E5");
    // STX "0001" ETX add up to 198: ":" (58) makes 256, checksum 00; "0" (48) leaves 10, 0A.
    EXPECT_EQ(ChecksumOf(":"), "00");
    EXPECT_EQ(ChecksumOf("0"), "0A");
}

TEST(Frames, OnlyAFrameWhoseChecksumHoldsPasses) {
    const QByteArray good = MakeFrame("XZ,R,USER01", EOT);
    EXPECT_TRUE(ChecksumOk(good));
    QByteArray lower = good;
    lower.replace(lower.size() - 3, 2, lower.mid(lower.size() - 3, 2).toLower());
    EXPECT_TRUE(ChecksumOk(lower));

    QByteArray wrongDigit = good;
    wrongDigit[wrongDigit.size() - 2] = wrongDigit[wrongDigit.size() - 2] == '0' ? '1' : '0';
    EXPECT_FALSE(ChecksumOk(wrongDigit));
    QByteArray changedPayload = good;
    changedPayload[8] = 'Y';
    EXPECT_FALSE(ChecksumOk(changedPayload));
    EXPECT_FALSE(ChecksumOk("junk" + good));
    EXPECT_FALSE(ChecksumOk("\x04"));
    EXPECT_FALSE(ChecksumOk(QByteArray("\x02\x03GG\x04")));
    EXPECT_FALSE(ChecksumOk(QByteArray()));
}

TEST(Frames, EveryFrameIsCutInOrderAndTheRestKept) {
    QByteArray buffer = MakeFrame("DR,R,1", ETB) + "AB\r" + MakeFrame("DR,R,2", EOT) +
                        "\x02"
                        "0001";
    const QList<CutFrame> cut = CutFrames(buffer);
    ASSERT_EQ(cut.size(), 3);
    EXPECT_EQ(cut[0].terminator, ETB);
    EXPECT_EQ(cut[1].bytes, "AB\r");
    EXPECT_EQ(cut[1].terminator, CR);
    EXPECT_EQ(cut[2].terminator, EOT);
    EXPECT_EQ(buffer,
              "\x02"
              "0001");
    EXPECT_TRUE(CutFrames(buffer).isEmpty());
    EXPECT_EQ(FirstTerminator(0, 7, 3), 3);
    EXPECT_EQ(FirstTerminator(0, 0, 0), 0);
}

TEST(Frames, LogFormShowsControlCharacters) {
    EXPECT_EQ(ShowControlChars(QByteArray("\x01\x05\x06\x15\x17\x1a\x1b\x1f", 8)),
              QStringLiteral("[01][ENQ][ACK][NAK][ETB][SUB][ESC][1F]"));
    EXPECT_EQ(ShowControlChars("a\rb\nc\x7f"), QStringLiteral("a\rb\nc\x7f"));
    EXPECT_EQ(ShowControlChars(QByteArray("\0", 1)), QStringLiteral("[00]"));
}

}  // namespace
}  // namespace qv::test
