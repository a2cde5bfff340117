// How the data model writes values into the database: one place for the value forms of the
// row rules, so that a probe and the insert it guards always use the same texts.
#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace qv {

// A Single as the database keeps it: the shortest decimal that reads back as the same Single
// (0.05f is stored as 0.05, not 0.0500000007), Null for a value that is not finite.
QVariant SqlSingle(float value);
// A date, Null when invalid.
QVariant SqlDate(const QDateTime& value);
// A text column that holds one blank in place of the empty text.
QString SqlTextOrBlank(const QString& text);
// The stored folder text: "-----" for no folder.
QString SqlFolder(const QString& folder);

}  // namespace qv
