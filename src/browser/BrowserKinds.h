// The kinds of stored log as the stored-data page names them: the category letter of the tree,
// the record letter of the list, the header's Types, the caption, the list's picture and the
// tables that hold a log's rows.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace qv {

struct LogKind {
    QChar category;
    QChar record;
    int32_t types;
    int message;
    const char* icon;
    QStringList tables;
};

// In the tree's order of categories.
const std::array<LogKind, 6>& LogKinds();
// nullptr for a letter or Types of no kind.
const LogKind* KindOfCategory(QChar letter);
const LogKind* KindOfRecord(QChar letter);
// Every table that holds rows under a header's RelNo, the gas rows of every kind included.
const QStringList& ChildTables();
// The tables that hold one log's rows under its header's RelNo: its kind's and the gas rows.
QStringList ChildTables(const LogKind& kind);
// The letter of a key (its last word) as one character; a null QChar when it has more.
QChar KeyLetter(const QString& key);
// Root, serial number, station, user and folder.
bool IsGroupingLetter(QChar letter);

// A grouping level of the tree: its letter and the Log_Head column it groups by.
struct GroupingLevel {
    QChar letter;
    QString column;
};
// S, T, U and M; nullptr for another letter.
const GroupingLevel* LevelOfLetter(QChar letter);

// Tree keys carry the value of every level on the node's path with that level's letter, so two
// branches never share a key however their values run together ("12" over "3" and "1" over "23"),
// and a key names the same logs for as long as anything holds it. A key is still a value part, a
// blank and the node's letter: the top level's key is its value and letter ("SN1001 S"), a
// category's the folder's value part and its letter ("05/24 I").
//
// The key of the grouping node with `value` and `letter` below the node `parentKey`.
QString GroupingKey(const QString& parentKey, QChar letter, const QString& value);
// The key of the category node with `letter` below the folder node `folderKey`.
QString CategoryKey(const QString& folderKey, QChar letter);
// What a grouping or category key names: its levels from the top, each with its value, and the
// kind of a category (nullptr for a grouping node). Nothing for the root or a key of another
// form.
struct KeyPath {
    std::vector<std::pair<const GroupingLevel*, QString>> levels;
    const LogKind* kind = nullptr;
};
std::optional<KeyPath> ReadKeyPath(const QString& key);

}  // namespace qv
