// The settings file "QV4170.ini" in the program's folder: one key per line with its values
// separated by TABs, ";" starting a comment and "'" quoting a text.
#pragma once

#include <QList>
#include <QString>

namespace qv {

// The settings file's full path.
QString SettingsFilePath();
// The folder of the database file: DataLocation, or the program's folder where that is empty.
QString DataFolder();

// A line of the settings file that the start-up names: its number from 1 and its text.
struct SettingsLine {
    enum class Kind {
        // Not read as written: kept in the file as it is.
        NotRead,
        // An exact text whose key line was edited since it was written: the edited line holds,
        // and the next write drops the exact text.
        StaleExactText,
        // The file could not be read at all (number 0, the text is the reason): the program runs
        // on its defaults and leaves the file alone.
        FileUnreadable,
    };
    int number = 0;
    QString text;
    Kind kind = Kind::NotRead;
};

// Reads the file, if there is one, over the current settings, each line on its own. A value
// that cannot be used (out of its range, or undecodable) leaves its setting as it was, one that
// is not a number where a number belongs gives the setting its default, and a line with an
// unknown key or an entry number outside its table is skipped; the rest is read all the same.
// Values are separated by TABs, on a line without a TAB before its comment by commas. Blanks
// around a value count only between quotes; the value right before a comment counts too. A line
// corrected in the block of lines kept to be corrected holds over the line of its key further
// down. The file is read as UTF-8: a byte that is no part of a UTF-8 character comes to the
// settings as U+FFFD, and a write keeps it in the file while its value is not changed. Returns
// the lines to be named, in file order.
QList<SettingsLine> LoadSettings();
// Takes the settings as they now stand for those the file holds, which a write compares with.
// Reading does so; the start-up does it again once its own steps are done, so that what they
// derive from the machine (the converter's port number) is no change to be written.
void NoteSettingsInForce();
// Writes the whole file from the current settings, through a temporary file and a rename, so
// a failed write never loses the old file. The lines the last reading did not take are kept as
// written, ahead of the program's own lines. A failure raises AppError.
void SaveSettings();

// What a write of the changed settings did.
enum class SettingsWrite {
    Nothing,      // nothing changed since the file was last read or written
    Written,      // the changes are in the file
    WrittenAnew,  // the file was there and is gone: a new one holds only the changes
};
// Writes the settings changed since the file was last read or written into the file as it
// stands: each changed value takes its place in its own line, whose other bytes and line end
// stay as written, and every other line stays byte for byte as it is, also one edited by hand
// meanwhile; where the technician and the program changed the same value, the program's is the
// later and is written. Any write also stores the count of runs, tidies a corrected kept line
// into the place of its key's line and drops exact texts of edited lines. Writes the whole file
// where there was none. A file that is there but cannot be read raises AppError and is left as
// it is; so does a failed write.
SettingsWrite SaveChangedSettings();

}  // namespace qv
