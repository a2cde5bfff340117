// The settings file "QV4170.ini" in the program's folder: one key per line with its values
// separated by TABs, ";" starting a comment and "'" quoting a text.
#pragma once

#include <QString>

namespace qv {

// The settings file's full path.
QString SettingsFilePath();
// Reads the file, if there is one, over the current settings. A line it cannot apply ends the
// reading quietly; what was read before stays.
void LoadSettings();
// Writes the whole file from the current settings, through a temporary file and a rename, so
// a failed write never loses the old file. A failure raises AppError.
void SaveSettings();

}  // namespace qv
