// The table of stored-log kinds.
#include "BrowserKinds.h"

#include "modGlobals.h"
#include "modKeys.h"

namespace qv {

const std::array<LogKind, 6>& LogKinds() {
    static const std::array<LogKind, 6> kinds{{
        {u'I', u'G', TypeInterval, 5624, "Interval", {"Interval_Data", "Interval_Event"}},
        {u'A', u'K', TypeAlarmTrend, 5625, "Alarm", {"Alarm_Data"}},
        {u'D', u'H', TypeCalHistory, 5626, "History", {"cHistory"}},
        {u'E', u'V', TypeAlarmEvents, 5627, "AEvent", {"Alarm_Event"}},
        {u'B', u'W', TypeTroubleEvents, 5628, "TEvent", {"Trouble_Event"}},
        {u'R', u'P', TypePowerEvents, 5629, "PEvent", {"Power_Event"}},
    }};
    return kinds;
}

const LogKind* KindOfCategory(QChar letter) {
    for (const LogKind& k : LogKinds())
        if (k.category == letter) return &k;
    return nullptr;
}

const LogKind* KindOfRecord(QChar letter) {
    for (const LogKind& k : LogKinds())
        if (k.record == letter) return &k;
    return nullptr;
}

namespace {

// A log's gas definitions and statistics; left behind, they would be read again as the gas
// rows of a later log that is handed the same key.
const QString kGasTable = QStringLiteral("Gas_List");

}  // namespace

const QStringList& ChildTables() {
    static const QStringList tables = [] {
        QStringList all;
        for (const LogKind& k : LogKinds())
            all << k.tables;
        return all << kGasTable;
    }();
    return tables;
}

QStringList ChildTables(const LogKind& kind) {
    return kind.tables + QStringList{kGasTable};
}

QChar KeyLetter(const QString& key) {
    const QString word = GetLastWord(key);
    return word.size() == 1 ? word[0] : QChar();
}

bool IsGroupingLetter(QChar letter) {
    return letter == u'#' || letter == u'S' || letter == u'T' || letter == u'U' || letter == u'M';
}

}  // namespace qv
