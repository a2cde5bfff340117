// The program qv4170: the splash hands over to the main window; the program ends when the main
// window closes (also when a logout, `kill` or a service manager asks it to), or at once when
// its start-up cannot use the database.
#include "QtTranslations.h"
#include "ShutdownSignals.h"
#include "frmOpen.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qv4170"));
    qv::InstallQtTranslations();
    QStringList arguments = QApplication::arguments();
    if (!arguments.isEmpty()) arguments.removeFirst();
    qv::frmOpen splash(arguments);
    const qv::ShutdownSignals shutdown([&splash] { splash.EndProgram(); });
    splash.Form_Load();
    splash.Form_Activate();
    const int result = app.exec();
    return splash.StartupFailed() ? 1 : result;
}
