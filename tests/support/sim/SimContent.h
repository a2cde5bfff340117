// What the simulated instrument holds: the fields of its read replies, the record lines of each
// download kind, its EEP-ROM and its live readings; a built-in set and fixture files.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

namespace qv::sim {

struct Content {
    QString model = QStringLiteral("QV-4170");
    // Field text of each read reply by its two-letter code ("XZ" -> "USER01    ").
    QMap<QString, QString> reads;
    // Record lines of each download kind: "DR", "DJ", "VE", "TV", "DO", "IH1" to "IH5".
    QMap<QString, QStringList> blocks;
    QByteArray eeprom;
    // Field text of the live-reading reply.
    QString readings;
};

// A plausible instrument with one short interval log and a 256-byte EEP-ROM.
Content DefaultContent();

// The record lines of one interval log: start, identity, gas table, statistics and `samples`
// samples (at most 4,096) every `interval` seconds from `start`, with an event line every
// `eventEvery` samples (0: none).
QStringList IntervalLog(int logNo, int samples, const QDateTime& start, int interval,
                        int eventEvery = 0);

// The lines of one alarm trend: 731 samples around the alarm `moment`, sample 361 at it.
QStringList AlarmTrendLog(int logNo, const QDateTime& moment, int interval);
// The lines of one event log of the alarm ('C') or trouble ('D') kind: one event of `gas`
// (1 to 4) at `when`.
QStringList EventLog(QChar letter, int logNo, const QDateTime& when, int gas);
// One power event line ("FD"): switched on or off at `when`.
QString PowerLine(int logNo, const QDateTime& when, bool on);
// One calibration-history line: the date and the values before and after.
QString HistoryLine(const QDateTime& when, double before, double after);

// Reads fixture files from a folder into the content: "<kind>.txt" (one record line per line,
// kinds as in Content::blocks), "reads.txt" (code TAB fields per line), "eeprom.hex"
// (hexadecimal text). Missing files leave the content as it is; false on an unreadable file.
bool LoadFixtures(Content& content, const QString& folder, QString* error = nullptr);

}  // namespace qv::sim
