// What the simulated instrument holds: the fields of its read replies, the logs it keeps (each
// kind described record by record, and rendered into the record lines it sends), its EEP-ROM
// and its live readings; a built-in set, a full memory and fixture files.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <array>

namespace qv::sim {

// One channel of a gas table: a name of up to three characters (empty: no sensor), the full
// scale and the reading step with the decimal places the step is written with.
struct FixtureGas {
    QString name;
    double fullScale = 0;
    double step = 1;
    int points = 0;
};
using FixtureGasTable = std::array<FixtureGas, 5>;

// The identity and gas table every log of the instrument carries.
struct FixtureIdentity {
    QString user = QStringLiteral("USER01");
    QString station = QStringLiteral("STATION01");
    QString serial = QStringLiteral("SN1234567890");
    FixtureGasTable gases;
};

// Readings of channels 0 to 3 at one sample.
using Readings = std::array<double, 4>;

// One interval trend: sample n (from 1) lies n intervals after the start; an event line of a
// channel follows its sample and lies `offset` seconds after it.
struct IntervalFixture {
    struct Event {
        int sample = 0;
        int channel = 0;      // 0 to 4
        int statusDigit = 0;  // 0 to 11
        int offset = 0;
    };
    // The statistics lines: average and maximum of channels 0 to 3 at `peak`, channel 1's
    // minimum also at `peak`.
    struct Statistics {
        Readings average{};
        Readings maximum{};
        double minimum1 = 0;
        QDateTime peak;
    };
    int logNo = 1;
    QDateTime start;
    int interval = 60;
    QList<Readings> samples;
    QList<Event> events;
    Statistics statistics;
    // Channels whose sensor has failed: they read FAIL in every sample, whatever `samples` say.
    std::array<bool, 4> failing{};
};

// One alarm trend: 731 samples as an instrument keeps them, sample 361 at the alarm moment.
struct AlarmTrendFixture {
    int logNo = 1;
    QDateTime moment;
    int interval = 10;
    QList<Readings> samples;
};

// One alarm or trouble event: gas 1 to 4 (trouble events also 5, the instrument itself).
struct EventFixture {
    int logNo = 1;  // sent as its last two digits
    QDateTime when;
    int gas = 1;
    int statusDigit = 0;
    bool nowEvent = false;
    bool nowCalib = false;
};

struct PowerFixture {
    int logNo = 1;
    QDateTime when;
    bool on = false;
};

// One line of a channel's calibration history (channel 0 to 4).
struct HistoryFixture {
    int channel = 0;
    QDateTime when;
    double before = 0;
    double after = 0;
};

// The latest calibration of one channel.
struct LatestCalibration {
    QDateTime when;
    double before = 0;
    double after = 0;
};

// The logs the instrument keeps, record by record.
struct FixtureLogs {
    FixtureIdentity identity;
    QList<IntervalFixture> intervals;
    QList<AlarmTrendFixture> alarms;
    QList<EventFixture> alarmEvents;
    QList<EventFixture> troubleEvents;
    QList<PowerFixture> power;
    QList<HistoryFixture> history;
    std::array<LatestCalibration, 5> latest;
};

struct Content {
    QString model = QStringLiteral("QV-4170");
    // Field text of each read reply by its two-letter code ("XZ" -> "USER01    ").
    QMap<QString, QString> reads;
    // Record lines of each download kind: "DR", "DJ", "VE", "TV", "DO", "IH1" to "IH5".
    QMap<QString, QStringList> blocks;
    // The logs behind `blocks`; a kind that fixture files replaced is no longer described here.
    FixtureLogs logs;
    QByteArray eeprom;
    // Live readings of channels 0 to 4, sent with each channel's decimal places.
    std::array<double, 5> readings{12, 20.9, 1.5, 3, 12};
    bool pumpOn = true;
};

// One channel of the gas list the instrument holds ("GJ"): whether a sensor sits there, its name,
// its full scale and the decimal places of its reading step.
struct GasChannel {
    bool present = false;
    QString name;
    double fullScale = 0;
    int points = 0;
};
GasChannel ChannelOf(const Content& content, int channel);

// The live-reading reply: each channel's reading with its decimal places, "*****" for a channel
// without a sensor.
QString ReadingsReply(const Content& content);

// A calibration of one channel at `when`: the channel's latest calibration (the "SO" reply) and
// a new first line of its calibration history.
void RecordCalibration(Content& content, int channel, const QDateTime& when, double before,
                       double after);

// Puts another sensor on a channel (0 to 4), as the gas selection of the service mode does: the
// instrument reports it in its gas list ("GJ"), and the logs rendered from then on (RenderLogs)
// carry it in their gas tables.
void SwapSensor(Content& content, int channel, const FixtureGas& gas, const QString& unit);

// Takes a channel's sensor out (0 to 4): the instrument reports the channel switched off in its
// gas list ("*" in every character) and without a reading, and keeps its levels as they were.
void RemoveSensor(Content& content, int channel);

// The kinds of logged data that erasing the instrument's data removes (not the calibration
// histories).
extern const QStringList kLoggedKinds;

// A plausible instrument with one short interval log, a few logs of every other kind and a
// 256-byte EEP-ROM.
Content DefaultContent();
// The instrument with every memory well filled: a full interval log of 4,096 samples, four alarm
// trends, 50 alarm events, 20 trouble events, 100 power events and 20 calibrations per channel.
Content FullMemoryContent();

// Renders `logs` into the record lines of every kind and the latest-calibration reply.
void RenderLogs(Content& content);
// Forgets the logged data (both the lines and their description).
void EraseLogs(Content& content);

// An interval trend of `samples` samples (record numbers have four digits: at most 9,999) every
// `interval` seconds from `start`, with an event line every `eventEvery` samples (0: none).
IntervalFixture MakeInterval(int logNo, int samples, const QDateTime& start, int interval,
                             int eventEvery = 0);
// An alarm trend of `samples` samples (an instrument keeps 731; another may send more).
AlarmTrendFixture MakeAlarmTrend(int logNo, const QDateTime& moment, int interval,
                                 int samples = 731);

// Record lines of one log of each kind.
QStringList IntervalLines(const IntervalFixture& log, const FixtureIdentity& id);
QStringList AlarmTrendLines(const AlarmTrendFixture& log, const FixtureIdentity& id);
// An event log of the alarm ('C') or trouble ('D') kind.
QStringList EventLines(QChar letter, const EventFixture& event, const FixtureIdentity& id);
QString PowerLine(const PowerFixture& event);
QString HistoryLine(const HistoryFixture& line);

// The record lines of one interval log as the built-in instrument identity writes them.
QStringList IntervalLog(int logNo, int samples, const QDateTime& start, int interval,
                        int eventEvery = 0);

// Reads fixture files from a folder into the content: "<kind>.txt" (one record line per line,
// kinds as in Content::blocks), "reads.txt" (code TAB fields per line), "eeprom.hex"
// (hexadecimal text). Missing files leave the content as it is; false on an unreadable file.
bool LoadFixtures(Content& content, const QString& folder, QString* error = nullptr);

}  // namespace qv::sim
