// The radicals of a PDF's ToUnicode maps named as the ideographs of the same glyph.
#include "PdfTextLayer.h"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

TEST(PdfTextLayer, RadicalsInToUnicodeMapsBecomeTheirIdeographsInPlace) {
    // The map's lines as Qt's PDF writer sets them: glyph lists, single glyphs, runs.
    const QByteArray before =
        "1 0 obj\n<< /Length 999 >>\nstream\nbegincmap\n3 beginbfrange\n"
        "<0000> <0000> <0000>\n"
        "<0001> <0005> [<2F47> <6642> <2F24> <FF80> <2E9F> ]\n"
        "<0006> <0006> <2F70>\n"
        "<0007> <0010> <2F00>\n"
        "endbfrange\n1 beginbfchar\n<0011> <2F29>\nendbfchar\nendcmap\nendstream\n"
        // Outside a map nothing changes.
        "(<2F47>) Tj\n";
    QByteArray pdf = before;
    EXPECT_EQ(NameIdeographsInToUnicodeMaps(pdf), 5);
    EXPECT_EQ(pdf.size(), before.size());
    // 日, 大 and 母 in a list, 示 alone and 小 as a char; 時 and a half-width kana stay as they
    // are, and so does a run of glyphs onto a run of radicals.
    EXPECT_TRUE(pdf.contains("[<65E5> <6642> <5927> <FF80> <6BCD> ]")) << pdf.constData();
    EXPECT_TRUE(pdf.contains("<0006> <0006> <793A>\n<0007> <0010> <2F00>\n"));
    EXPECT_TRUE(pdf.contains("<0011> <5C0F>\n"));
    EXPECT_TRUE(pdf.endsWith("(<2F47>) Tj\n"));
}

}  // namespace
}  // namespace qv::test
