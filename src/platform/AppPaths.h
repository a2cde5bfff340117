// Where the program keeps its own files: the per-user application data folder.
#pragma once

#include <QString>

namespace qv {

// "$XDG_DATA_HOME/qv4170" (by default ~/.local/share/qv4170), created when missing. The settings
// file, the serial logs, the EEP-ROM dump and the default data folder live here.
QString ProgramFolder();
// A file name inside the program's folder.
QString ProgramFile(const QString& name);
// Joins a folder and a file name with exactly one separator between them.
QString JoinPath(const QString& folder, const QString& name);

}  // namespace qv
