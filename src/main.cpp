// The program qv4170: the application object and the program's run.
#include "RunProgram.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qv4170"));
    QStringList arguments = QApplication::arguments();
    if (!arguments.isEmpty()) arguments.removeFirst();
    return qv::RunProgram(arguments);
}
