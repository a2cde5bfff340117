// Small key and string helpers: typed identifier filter, "*" for empty identities, and the
// pieces of the stored-data tree and list keys (a value, a blank, a kind letter).
#pragma once

#include <QString>
#include <cstdint>

namespace qv {

bool IsIdChar(int16_t keyCode);
// A character typed into an identity text of at most `longest` characters is taken: an
// identity character, where the `kept` characters (the text less the selection it replaces)
// leave room.
bool IdKeyTaken(int keyAscii, qsizetype kept, qsizetype longest);
// An edit of an identity text from `before` to `after` (typed, pasted or committed), as it may
// be kept: the characters it brought in that IsIdChar refuses, and those beyond `longest`, go;
// every character that was there before stays, whatever it is. `cursor` is the position after
// what was kept of the insertion.
struct IdEdit {
    QString text;
    qsizetype cursor = 0;
};
IdEdit KeepIdEdit(const QString& before, const QString& after, qsizetype longest);
QString TrimOrStar(const QString& text);
// The number before the first blank of a key; the empty text gives 0. A key that does not
// start with a number followed by a blank raises a type mismatch (13).
int32_t GetLeadingNumber(const QString& key);
QString DropLastTwo(const QString& key);
QString GetLastWord(const QString& key);

}  // namespace qv
