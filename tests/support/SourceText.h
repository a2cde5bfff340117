// Reading the program's own source, for tests that hold a rule over all of it: its files, and
// the calls written in a text.
#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace qv::test {

struct SourceFile {
    QString name;  // relative to the source root, "shell/frmMain.cpp"
    QString text;
};

// Every .cpp and .h below the root, or below those of its folders given ("link/ui").
std::vector<SourceFile> SourceFiles(const QString& root, const QStringList& folders = {});

// The line (from 1) of a position in a text.
int LineAt(const QString& text, qsizetype at);

// The position just past the bracket that closes the one at `open` ("(", "[" or "{"); -1 when it
// is not closed.
qsizetype PastClosing(const QString& text, qsizetype open);

// Each call of `name` (a whole word, also after "::", "." or "->") in a text: its line and its
// text from the name to the closing parenthesis.
std::vector<std::pair<int, QString>> Calls(const QString& text, const QString& name);

// The arguments of a call's text ("f(a, g(b, c))": "a", "g(b, c)"), trimmed.
QStringList CallArguments(const QString& call);

}  // namespace qv::test
