// Lets GoogleTest print Qt values in failure messages (included into every test source).
#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QDateTime& d, std::ostream* os) {
    *os << d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
}
inline void PrintTo(const QVariant& v, std::ostream* os) {
    *os << (v.isNull() ? std::string("Null") : v.toString().toStdString());
}
