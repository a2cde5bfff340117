// Scratch database and key presses for tests.
#include "TestSupport.h"

#include "Database.h"
#include "modDatabase.h"
#include "modGlobals.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace qv::test {

void SendKey(QWidget* target, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendPostedEvents();
}

ScratchDatabase::ScratchDatabase() {
    path_ = dir_.filePath(QStringLiteral("QV4170.mdb"));
    MakeDatabase(path_);
    DataLocation = dir_.path();
    DatabasePath = path_;
}

ScratchDatabase::~ScratchDatabase() {
    DatabasePath.clear();
    DataLocation.clear();
}

long long ScratchDatabase::count(const QString& table) const {
    Database db(path_);
    return db.scalar(QStringLiteral("Select Count(*) From ") + table).toLongLong();
}

}  // namespace qv::test
