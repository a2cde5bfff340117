// The text layer of the PDF files the program writes: what a reader's search, copy and text
// extraction give back for the glyphs on the sheets.
#pragma once

#include <QByteArray>

namespace qv {

// Names the kanji of a PDF written by Qt's PDF writer as the ideographs they are.
//
// The writer's ToUnicode map names each glyph of an embedded font by the lowest code point the
// font maps to that glyph. CJK fonts give a Kangxi radical (U+2F00 block) or a CJK radical
// supplement and the ideograph of the same shape one glyph, and the radicals come first: the
// text layer then reads 日 (U+65E5) as U+2F47 and a search for 日時 finds nothing. Every map
// entry naming such a radical is changed to the ideograph it stands for (its compatibility
// decomposition); a radical never stands in the program's texts.
//
// Each name is rewritten in place with the same number of hex digits, so every offset and
// length of the file stays as it was. Returns the number of entries changed.
int NameIdeographsInToUnicodeMaps(QByteArray& pdf);

}  // namespace qv
