// The folders are the program's layers: the core folders use only the layers below them, so that
// the platform layers build without the program above them and the core without windows; no page
// reaches into the main window. And a comment gives its own reason.
#include "SourceText.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <map>

namespace qv::test {
namespace {

TEST(Layers, EachFolderIncludesOnlyItsOwnLayerAndThoseBelow) {
    // The core folders and the folders each may use besides itself.
    const std::map<QString, QStringList> below{
        {"platform", {}},
        {"platform/ui", {"platform"}},
        {"foundation", {"platform"}},
        {"foundation/ui", {"platform", "platform/ui", "foundation"}},
        {"model", {"platform", "foundation"}},
        {"link", {"platform", "foundation", "model"}},
    };
    const std::vector<SourceFile> files = SourceFiles(QStringLiteral(QV_SOURCE_DIR));
    std::map<QString, QString> folderOf;
    for (const SourceFile& file : files)
        folderOf[QFileInfo(file.name).fileName()] = QFileInfo(file.name).path();
    static const QRegularExpression include(QStringLiteral("^#include \"([^\"]+)\""),
                                            QRegularExpression::MultilineOption);
    QStringList found;
    for (const auto& [name, text] : files) {
        const QString folder = QFileInfo(name).path();
        if (folder == ".") continue;  // the program's entry, above every layer
        const auto allowed = below.find(folder);
        for (auto m = include.globalMatch(text); m.hasNext();) {
            const auto used = folderOf.find(m.next().captured(1));
            if (used == folderOf.end() || used->second == folder) continue;
            // A window folder may use any layer but the main window's.
            const bool ok = allowed == below.end() ? used->second != "shell"
                                                   : allowed->second.contains(used->second);
            if (!ok) found << name + " includes " + used->second + '/' + used->first;
        }
    }
    EXPECT_GT(files.size(), 100u);
    EXPECT_EQ(found, QStringList()) << found.join('\n').toStdString();
}

TEST(Layers, CommentsGiveTheirOwnReasons) {
    // A reason that only points at a body of rules tells the reader nothing.
    static const QRegularExpression pointer(
        QStringLiteral("//.*(\\b(the|layout) rules\\b|rules')"));
    QStringList found;
    for (const auto& [name, text] : SourceFiles(QStringLiteral(QV_SOURCE_DIR)))
        for (auto m = pointer.globalMatch(text); m.hasNext();) {
            const auto match = m.next();
            found << QString("%1:%2 %3")
                         .arg(name)
                         .arg(LineAt(text, match.capturedStart()))
                         .arg(match.captured(0));
        }
    EXPECT_EQ(found, QStringList()) << found.join('\n').toStdString();
}

}  // namespace
}  // namespace qv::test
