// The settings file "QV4170.ini" in the program's folder: one key per line with its values
// separated by TABs, ";" starting a comment and "'" quoting a text.
#pragma once

#include <QList>
#include <QString>

namespace qv {

// The settings file's full path.
QString SettingsFilePath();
// A line of the settings file: its number from 1 and its text.
struct SettingsLine {
    int number = 0;
    QString text;
};

// Reads the file, if there is one, over the current settings, each line on its own. A value
// that cannot be used (out of its range, or undecodable) leaves its setting as it was, one that
// is not a number where a number belongs gives the setting its default, and a line with an
// unknown key or an entry number outside its table is skipped; the rest is read all the same.
// Values are separated by TABs, on a line without a TAB by commas. Blanks around a value count
// only between quotes. Returns the lines not read as written; the writers keep them.
QList<SettingsLine> LoadSettings();
// Writes the whole file from the current settings, through a temporary file and a rename, so
// a failed write never loses the old file. The lines the last reading did not take are kept as
// written, ahead of the program's own lines. A failure raises AppError.
void SaveSettings();
// Writes the settings changed since the file was last read or written into the file as it
// stands: each takes the place of its own line, and every other line stays as it is, also one
// edited by hand meanwhile. Writes the whole file when there is none; nothing when nothing
// changed. A failure raises AppError and leaves the file as it was.
void SaveChangedSettings();

}  // namespace qv
