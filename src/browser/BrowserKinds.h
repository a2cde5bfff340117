// The kinds of stored log as the stored-data page names them: the category letter of the tree,
// the record letter of the list, the header's Types, the caption, the list's picture and the
// tables that hold a log's rows.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

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

}  // namespace qv
