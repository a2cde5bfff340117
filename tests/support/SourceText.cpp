// The program's source files and the calls in them.
#include "SourceText.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace qv::test {

namespace {

bool IsWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

}  // namespace

std::vector<SourceFile> SourceFiles(const QString& root, const QStringList& folders) {
    std::vector<SourceFile> files;
    const QDir base(root);
    for (const QString& folder : folders.isEmpty() ? QStringList{QString()} : folders) {
        QDirIterator it(
            base.filePath(folder), {"*.cpp", "*.h"}, QDir::Files,
            folders.isEmpty() ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
        while (it.hasNext()) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly)) continue;
            files.push_back(
                {base.relativeFilePath(file.fileName()), QString::fromUtf8(file.readAll())});
        }
    }
    return files;
}

int LineAt(const QString& text, qsizetype at) {
    return static_cast<int>(text.left(at).count(u'\n')) + 1;
}

qsizetype PastClosing(const QString& text, qsizetype open) {
    int depth = 0;
    for (qsizetype at = open; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c == u'(' || c == u'[' || c == u'{') ++depth;
        if ((c == u')' || c == u']' || c == u'}') && --depth == 0) return at + 1;
    }
    return -1;
}

std::vector<std::pair<int, QString>> Calls(const QString& text, const QString& name) {
    std::vector<std::pair<int, QString>> calls;
    const QString opening = name + u'(';
    for (qsizetype at = text.indexOf(opening); at >= 0; at = text.indexOf(opening, at + 1)) {
        if (at > 0 && IsWordCharacter(text[at - 1])) continue;
        const qsizetype end = PastClosing(text, at + name.size());
        calls.emplace_back(LineAt(text, at), text.mid(at, end < 0 ? -1 : end - at));
    }
    return calls;
}

QStringList CallArguments(const QString& call) {
    QStringList arguments;
    const qsizetype open = call.indexOf(u'(');
    if (open < 0) return arguments;
    int depth = 0;
    qsizetype start = open + 1;
    for (qsizetype at = open; at < call.size(); ++at) {
        const QChar c = call[at];
        if (c == u'(' || c == u'[' || c == u'{') ++depth;
        if (c == u')' || c == u']' || c == u'}') --depth;
        if ((c == u',' && depth == 1) || depth == 0) {
            const QString argument = call.mid(start, at - start).trimmed();
            if (!argument.isEmpty()) arguments << argument;
            start = at + 1;
            if (depth == 0) break;
        }
    }
    return arguments;
}

}  // namespace qv::test
