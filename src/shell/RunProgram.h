// The program's run once its application object exists: the splash that hands over to the main
// window, the shutdown signals, the event loop.
#pragma once

#include <QStringList>

namespace qv {

// `arguments` are the command line's arguments after the program name. The program's exit code:
// 1 when its start-up could not use the database, else the event loop's.
int RunProgram(const QStringList& arguments);

}  // namespace qv
