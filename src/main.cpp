// The program qv4170: the application object and the program's run.
#include "RunProgram.h"

#include <QApplication>

#include <clocale>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The application object has taken the desktop's locale for the C library as well; numbers
    // are read and written with a point everywhere (instrument, database, settings file,
    // exports), so the C library's number conversions keep the C locale. Messages, the
    // catalogue's language and Qt's own dialogs follow the desktop's language all the same.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("qv4170"));
    QStringList arguments = QApplication::arguments();
    if (!arguments.isEmpty()) arguments.removeFirst();
    return qv::RunProgram(arguments);
}
