// The program's folder under the per-user data location.
#include "AppPaths.h"

#include <QDir>
#include <QStandardPaths>

namespace qv {

QString ProgramFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString folder = QDir(base).filePath(QStringLiteral("qv4170"));
    QDir().mkpath(folder);
    return folder;
}

QString ProgramFile(const QString& name) {
    return JoinPath(ProgramFolder(), name);
}

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.isEmpty()) return name;
    if (folder.endsWith(u'/')) return folder + name;
    return folder + u'/' + name;
}

}  // namespace qv
