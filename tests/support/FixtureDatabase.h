// Stored logs for tests and benchmarks: a builder that writes logs of every kind into a database
// file (headers through the log header's own writer, rows as the record classes store them),
// and the shared fixture database built with it.
#pragma once

#include "Database.h"
#include "TestSupport.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace qv::test {

// Who recorded a log.
struct FixtureIdentity {
    QString serial;
    QString station;
    QString user;
};

// Writes logs into an existing database file, all in one transaction committed by Commit (or
// the destructor). Each Add returns the new log's header key.
class FixtureBuilder {
  public:
    explicit FixtureBuilder(const QString& path);
    ~FixtureBuilder();
    FixtureBuilder(const FixtureBuilder&) = delete;
    FixtureBuilder& operator=(const FixtureBuilder&) = delete;

    // An interval trend of `samples` samples from `start`, one every `seconds`, and `events`
    // event times; gas 3 holds no maximum when gas3Missing is set. The channel `failingGas` (0 to
    // 4) reads FAIL in every sample, each with a FAIL event at its moment.
    int32_t AddInterval(const FixtureIdentity& id, const QString& name, const QDateTime& start,
                        int samples, int seconds = 60, int events = 0, bool gas3Missing = false,
                        int failingGas = -1);
    // An alarm trend of `samples` samples around `moment` (sample 361, when there are that many,
    // holds `momentValues`; Gas5Value stays Null as the program stores it).
    int32_t AddAlarmTrend(const FixtureIdentity& id, const QString& name, const QDateTime& moment,
                          int samples, std::array<float, 4> momentValues);
    // A calibration history with one calibration on each date.
    int32_t AddHistory(const FixtureIdentity& id, const QList<QDateTime>& dates);
    // The alarm or trouble events of one month: `count` events a day apart from `first`, the
    // gas numbers taken in turn from `gasNumbers`.
    int32_t AddAlarmEvents(const FixtureIdentity& id, const QDateTime& first, int count);
    int32_t AddTroubleEvents(const FixtureIdentity& id, const QDateTime& first, int count,
                             const QList<int>& gasNumbers);
    // `count` power events an hour apart from `first`, switched on and off in turn.
    int32_t AddPowerEvents(const FixtureIdentity& id, const QDateTime& first, int count);

    Database& db() { return *db_; }
    void Commit();

  private:
    int32_t AddHeader(const FixtureIdentity& id, const QString& name, const QDateTime& date,
                      const QString& folder, int32_t types, int dCount, int32_t intervals,
                      bool gas3Missing = false);
    int32_t AddEvents(const QString& table, int32_t types, const FixtureIdentity& id,
                      const QDateTime& first, int count, const QList<int>& gasNumbers);
    int32_t NextKey(const QString& table);

    std::unique_ptr<Database> db_;
    std::unique_ptr<Database::Transaction> tx_;
    QHash<QString, int32_t> nextKeys_;
};

// The shared fixture: a scratch folder with a database holding the logs below, set as the
// program's data location while it lives.
//
// Identities (serial / station / user):
//   A  SN1001 / ST-1 / Alice
//   B  sn1001 / St-2 / ALICE          same serial and user as A, other case
//   C  SN2002 / x' Or ''=' / O'Brien  quotes in the station and the user
//   D  * / * / *                      empty identities as stored
//   E  12 / 3 / Bob, F  1 / 23 / Bob  grouped by serial and station their keys clash
// Months (folders): 12/23, 05/24, 06/24; power events live in the folder "-----".
struct FixtureLogs {
    int32_t intervalA0514 = 0;  // A, 05/24, 100 samples, 3 events, name "Tank 'A' run"
    int32_t intervalA0614 = 0;  // A, 06/24, 50 samples, gas 3 without a maximum
    int32_t intervalB = 0;      // B, 05/24, "tank b"
    int32_t intervalC = 0;      // C, 12/23
    int32_t intervalD = 0;      // D, 05/24
    int32_t intervalE = 0;      // E, 05/24
    int32_t intervalF = 0;      // F, 05/24
    int32_t alarmA = 0;         // A, 05/24, 731 samples, moment 12.5 / -4 / 0 / -1
    int32_t alarmShortA = 0;    // A, 05/24, 200 samples: no alarm moment
    int32_t historyA = 0;       // A, 3 calibrations (folder "-----")
    int32_t historyC = 0;       // C, 1 calibration
    int32_t alarmEventsA = 0;   // A, 05/24, 12 events
    int32_t alarmEventsC = 0;   // C, 12/23, 10 events
    int32_t troubleA = 0;       // A, 05/24, 11 events, gas numbers 0 to 4 and 7
    int32_t powerA = 0;         // A, 11 events
    int32_t powerB = 0;         // B, 2 events
};

// One log of each kind a page shows (the long alarm trend for the alarm trends), with a name
// for messages and file names.
struct LogOfKind {
    QString name;
    int32_t type;
    int32_t seqNo;
};
std::vector<LogOfKind> OneLogOfEachKind(const FixtureLogs& logs);

class FixtureDatabase : public ScratchDatabase {
  public:
    // Builds the database in a new folder and points DataLocation and DatabasePath at it.
    FixtureDatabase();
    const FixtureLogs& logs() const { return logs_; }
    static FixtureIdentity A() { return {"SN1001", "ST-1", "Alice"}; }
    static FixtureIdentity B() { return {"sn1001", "St-2", "ALICE"}; }
    static FixtureIdentity C() { return {"SN2002", "x' Or ''='", "O'Brien"}; }
    static FixtureIdentity D() { return {"*", "*", "*"}; }
    static FixtureIdentity E() { return {"12", "3", "Bob"}; }
    static FixtureIdentity F() { return {"1", "23", "Bob"}; }

  private:
    FixtureLogs logs_;
};

}  // namespace qv::test
