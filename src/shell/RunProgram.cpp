// The program's run: the program ends when the main window closes (also when a logout, `kill`
// or a service manager asks it to), or at once when its start-up cannot use the database.
#include "RunProgram.h"

#include "QtTranslations.h"
#include "ShutdownSignals.h"
#include "frmOpen.h"

#include <QApplication>

namespace qv {

int RunProgram(const QStringList& arguments) {
    InstallQtTranslations();
    frmOpen splash(arguments);
    const ShutdownSignals shutdown([&splash] { splash.EndProgram(); });
    splash.Form_Load();
    splash.Form_Activate();
    const int result = QApplication::exec();
    return splash.StartupFailed() ? 1 : result;
}

}  // namespace qv
