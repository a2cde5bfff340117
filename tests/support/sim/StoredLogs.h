// The logs stored in a database compared with what the simulated instrument keeps, kind by
// kind and record by record: every value under its own channel, nothing missing, nothing twice.
#pragma once

#include "Database.h"
#include "Dates.h"
#include "Runtime.h"
#include "SimContent.h"
#include "modGlobals.h"
#include "modModel.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QSet>
#include <vector>

namespace qv::test {

inline QDateTime Date(const DbRow& row, const char* column) {
    return row.toDate(QLatin1String(column), QDateTime());
}
inline float Single(const DbRow& row, const QString& column) {
    return static_cast<float>(row.toDouble(column, -999));
}
inline QString Gas(int channel, const char* what) {
    return QStringLiteral("Gas%1%2").arg(channel + 1).arg(QLatin1String(what));
}
inline int16_t Code(int statusDigit) {
    return static_cast<int16_t>(-(statusDigit + 2));
}

// The stored logs compared with what the simulator keeps, kind by kind.
struct Expect {
    Database& db;
    const sim::FixtureLogs& logs;

    std::vector<DbRow> Heads(int types) {
        return db.query(QStringLiteral("Select * From Log_head Where Types=? Order By SeqNo"),
                        {types});
    }
    std::vector<DbRow> Rows(const QString& table, const QVariant& relNo) {
        return db.query(QStringLiteral("Select * From ") + table +
                            QStringLiteral(" Where RelNo=? Order By SeqNo"),
                        {relNo});
    }
    void Identity(const DbRow& head) {
        EXPECT_EQ(head.toText("UserID", {}), logs.identity.user);
        EXPECT_EQ(head.toText("StationID", {}), logs.identity.station);
        EXPECT_EQ(head.toText("SerialNo", {}), logs.identity.serial);
    }
    // The gas rows of a header, checked against the gas table; empty when there are not five.
    std::vector<DbRow> GasTable(const QVariant& relNo) {
        auto gases = db.query(QStringLiteral("Select * From Gas_List Where RelNo=? Order By GasNo"),
                              {relNo});
        EXPECT_EQ(gases.size(), 5u);
        if (gases.size() != 5) return {};
        for (int ch = 0; ch < 4; ++ch) {
            const sim::FixtureGas& g = logs.identity.gases[static_cast<size_t>(ch)];
            EXPECT_EQ(rt::Trim(gases[ch].toText("gName", {})), g.name) << ch;
            EXPECT_TRUE(gases[ch].toBool("gEnable", false)) << ch;
            EXPECT_EQ(gases[ch].toLong("gPoint", -9), g.points) << ch;
            EXPECT_FLOAT_EQ(Single(gases[ch], "gFull"), float(g.fullScale)) << ch;
            EXPECT_FLOAT_EQ(Single(gases[ch], "gDesit"), float(g.step)) << ch;
        }
        return gases;
    }

    void Intervals() {
        const auto heads = Heads(TypeInterval);
        ASSERT_EQ(heads.size(), size_t(logs.intervals.size()));
        for (size_t i = 0; i < heads.size(); ++i) {
            const sim::IntervalFixture& log = logs.intervals[int(i)];
            const DbRow& head = heads[i];
            const QVariant key = head.value("SeqNo");
            QSet<QDateTime> eventTimes;
            for (const auto& e : log.events)
                eventTimes << log.start.addSecs(qint64(e.sample) * log.interval + e.offset);
            EXPECT_EQ(Date(head, "Dates"), log.start);
            EXPECT_EQ(head.toLong("Interval", 0), log.interval);
            EXPECT_EQ(head.toLong("Dcount", 0), log.samples.size() + eventTimes.size());
            Identity(head);
            const auto gases = GasTable(key);
            ASSERT_EQ(gases.size(), 5u);
            const auto& s = log.statistics;
            for (int ch = 0; ch < 4; ++ch) {
                EXPECT_FLOAT_EQ(Single(gases[ch], "gAvr"), float(s.average[ch])) << ch;
                EXPECT_FLOAT_EQ(Single(gases[ch], "gMax"), float(s.maximum[ch])) << ch;
            }
            EXPECT_FLOAT_EQ(Single(gases[1], "gMin"), float(s.minimum1));
            EXPECT_FLOAT_EQ(Single(gases[4], "gAvr"), float(s.average[0]) * ConvFactor);
            EXPECT_EQ(Date(gases[0], "gMaxDate"), s.peak);

            const auto samples = Rows(QStringLiteral("Interval_Data"), key);
            ASSERT_EQ(samples.size(), size_t(log.samples.size()));
            for (int n = 1; n <= log.samples.size(); ++n) {
                const DbRow& row = samples[size_t(n - 1)];
                EXPECT_EQ(Date(row, "Datetimes"), log.start.addSecs(qint64(n) * log.interval));
                for (int ch = 0; ch < 4; ++ch)
                    EXPECT_FLOAT_EQ(Single(row, Gas(ch, "Value")), float(log.samples[n - 1][ch]));
                EXPECT_FLOAT_EQ(Single(row, Gas(4, "Value")), float(log.samples[n - 1][0]));
                EXPECT_FALSE(row.toBool(Gas(0, "NowEv"), true));
                EXPECT_FALSE(row.toBool(Gas(0, "NowCl"), true));
            }
            const auto events = Rows(QStringLiteral("Interval_Event"), key);
            ASSERT_EQ(events.size(), size_t(log.events.size()));
            for (int k = 0; k < log.events.size(); ++k) {
                const auto& e = log.events[k];
                const DbRow& row = events[size_t(k)];
                EXPECT_EQ(Date(row, "Datetimes"),
                          log.start.addSecs(qint64(e.sample) * log.interval + e.offset));
                for (int ch = 0; ch < 5; ++ch)
                    EXPECT_EQ(row.toLong(Gas(ch, "Event"), 0),
                              ch == e.channel ? Code(e.statusDigit) : -1);
            }
        }
    }

    void AlarmTrends() {
        const auto heads = Heads(TypeAlarmTrend);
        ASSERT_EQ(heads.size(), size_t(logs.alarms.size()));
        for (size_t i = 0; i < heads.size(); ++i) {
            const sim::AlarmTrendFixture& log = logs.alarms[int(i)];
            const DbRow& head = heads[i];
            EXPECT_EQ(Date(head, "Dates"), log.moment);
            EXPECT_EQ(head.toLong("Dcount", 0), log.samples.size());
            Identity(head);
            GasTable(head.value("SeqNo"));
            const auto rows = Rows(QStringLiteral("Alarm_Data"), head.value("SeqNo"));
            ASSERT_EQ(rows.size(), size_t(log.samples.size()));
            for (int n = 1; n <= log.samples.size(); ++n) {
                const DbRow& row = rows[size_t(n - 1)];
                EXPECT_EQ(Date(row, "Datetimes"),
                          log.moment.addSecs(qint64(n - 361) * log.interval));
                for (int ch = 0; ch < 4; ++ch)
                    EXPECT_FLOAT_EQ(Single(row, Gas(ch, "Value")), float(log.samples[n - 1][ch]));
                EXPECT_TRUE(row.isNull(QStringLiteral("Gas5Value")));
            }
        }
    }

    // Alarm and trouble events: one header per month, one row per event in download order.
    void Events(int types, const QString& table, const QString& name,
                const QList<sim::EventFixture>& events) {
        const auto heads = Heads(types);
        QMap<QString, qint64> headOfMonth;
        for (const DbRow& head : heads) {
            EXPECT_EQ(head.toText("Names", {}), name);
            Identity(head);
            headOfMonth[head.toText("FolderID", {})] = head.toLong("SeqNo", 0);
        }
        QSet<QString> months;
        for (const auto& e : events)
            months << rt::FormatDate(e.when, QStringLiteral("mm/yy"));
        EXPECT_EQ(heads.size(), size_t(months.size()));
        const auto rows =
            db.query(QStringLiteral("Select * From ") + table + QStringLiteral(" Order By SeqNo"));
        ASSERT_EQ(rows.size(), size_t(events.size()));
        for (int k = 0; k < events.size(); ++k) {
            const sim::EventFixture& e = events[k];
            const DbRow& row = rows[size_t(k)];
            EXPECT_EQ(row.toLong("RelNo", 0),
                      headOfMonth.value(rt::FormatDate(e.when, QStringLiteral("mm/yy"))));
            EXPECT_EQ(row.toLong("GasNo", -9), e.gas - 1);
            EXPECT_EQ(rt::Trim(row.toText("GasName", {})),
                      e.gas == 5 ? QStringLiteral("System")
                                 : logs.identity.gases[size_t(e.gas - 1)].name);
            EXPECT_EQ(row.toLong("Alarm_Type", 0), Code(e.statusDigit));
            EXPECT_EQ(Date(row, "Dates"), e.when);
            EXPECT_EQ(row.toLong("NowEv", -9), e.nowEvent ? 1 : 0);
            EXPECT_EQ(row.toLong("NowCl", -9), e.nowCalib ? 1 : 0);
        }
    }

    void Power() {
        const auto heads = Heads(TypePowerEvents);
        ASSERT_EQ(heads.size(), 1u);
        Identity(heads[0]);
        const auto rows = Rows(QStringLiteral("Power_Event"), heads[0].value("SeqNo"));
        ASSERT_EQ(rows.size(), size_t(logs.power.size()));
        for (int k = 0; k < logs.power.size(); ++k) {
            EXPECT_EQ(Date(rows[size_t(k)], "Dates"), logs.power[k].when);
            EXPECT_EQ(rows[size_t(k)].toBool("Power_Type", !logs.power[k].on), logs.power[k].on);
        }
    }

    // One row per calibration date, in the order the dates first arrived, every channel in it.
    void History() {
        const auto heads = Heads(TypeCalHistory);
        ASSERT_EQ(heads.size(), 1u);
        Identity(heads[0]);
        QList<QDateTime> dates;
        for (const auto& h : logs.history)
            if (!dates.contains(h.when)) dates << h.when;
        const auto rows = Rows(QStringLiteral("cHistory"), heads[0].value("SeqNo"));
        ASSERT_EQ(rows.size(), size_t(dates.size()));
        for (int k = 0; k < dates.size(); ++k) {
            const DbRow& row = rows[size_t(k)];
            EXPECT_EQ(Date(row, "Dates"), dates[k]);
            for (int ch = 0; ch < 5; ++ch) {
                float before = -1, after = -1;
                for (const auto& h : logs.history)
                    if (h.channel == ch && h.when == dates[k]) {
                        before = float(h.before);
                        after = float(h.after);
                    }
                EXPECT_FLOAT_EQ(Single(row, Gas(ch, "Before")), before);
                EXPECT_FLOAT_EQ(Single(row, Gas(ch, "After")), after);
            }
        }
        const auto latest = db.query(QStringLiteral("Select * From cLatestHist"));
        ASSERT_EQ(latest.size(), 1u);
        for (int ch = 0; ch < 5; ++ch) {
            const sim::LatestCalibration& l = logs.latest[size_t(ch)];
            EXPECT_EQ(Date(latest[0], qPrintable(Gas(ch, "CalDate"))), l.when);
            EXPECT_FLOAT_EQ(Single(latest[0], Gas(ch, "Before")), float(l.before));
            EXPECT_FLOAT_EQ(Single(latest[0], Gas(ch, "After")), float(l.after));
        }
    }
};

}  // namespace qv::test
