// Grid value texts, event colours, the alarm moment, reading texts, column channels, interval
// rows and the captions of a calibration history.
#include "modViewSupport.h"

#include "Database.h"
#include "Runtime.h"
#include "clsHeader.h"
#include "clsHistory.h"
#include "clsInterval.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace qv {

namespace {

constexpr int32_t RGB(int r, int g, int b) {
    return static_cast<int32_t>(r | (g << 8) | (b << 16));
}

}  // namespace

QString GridValueText(const QVariant& value) {
    if (!value.isValid()) return QString();
    switch (value.typeId()) {
        case QMetaType::QString:
            return value.toString();
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case QMetaType::Float:
            return rt::SingleText(value.toFloat());
        case QMetaType::Double:
            return rt::DoubleText(value.toDouble());
        case QMetaType::QDateTime:
            return GeneralDate(value.toDateTime());
        default:
            return value.toString();
    }
}

int32_t GetEventColor(int32_t code, int32_t currentColor) {
    switch (code) {
        case 0:
        case GasNoData:
            return currentColor != 0 ? RGB(192, 192, 192) : 0;
        case GasNormal:
            return RGB(64, 192, 128);
        case GasWarning:
            return RGB(255, 128, 0);
        case GasAlarm:
            return RGB(255, 0, 0);
        case GasStel:
            return RGB(255, 192, 192);
        case GasTwa:
            return RGB(192, 128, 192);
        case GasOver:
        case GasMax:
            return RGB(255, 64, 64);
        case GasCalib:
            return RGB(128, 192, 128);
        case GasFailCal:
        case GasFailSensor:
        case GasFailBattery:
        case GasFailFlow:
        case GasFailCircuit:
            return RGB(128, 128, 128);
        case GasClg:
            return RGB(192, 128, 128);
        case GasMin:
            return RGB(128, 255, 192);
        default:
            return 0;
    }
}

void MarkAlarmGases(int32_t relNo, std::array<float, 6>& AlarmValues,
                    std::array<bool, 6>& AlarmFlags) {
    Database db(DatabasePath);
    MarkAlarmGases(relNo, db, AlarmValues, AlarmFlags);
}

void MarkAlarmGases(int32_t relNo, Database& db, std::array<float, 6>& AlarmValues,
                    std::array<bool, 6>& AlarmFlags) {
    AlarmValues.fill(static_cast<float>(GasNoData));
    AlarmFlags.fill(false);
    const auto rows = db.query(QStringLiteral("Select Gas1Value, Gas2Value, Gas3Value, Gas4Value, "
                                              "Gas5Value From Alarm_Data Where RelNo = ? "
                                              "Order By SeqNo Limit 1 Offset ?;"),
                               {relNo, AlarmMomentRow});
    if (!rows.empty())
        for (int g = 0; g < 5; ++g)
            AlarmValues[static_cast<size_t>(g)] = static_cast<float>(
                rows.front().toDouble(QStringLiteral("Gas%1Value").arg(g + 1), GasFailFlow));
    for (size_t g = 0; g < 4; ++g)
        AlarmFlags[g] = AlarmValues[g] < 0 && AlarmValues[g] != static_cast<float>(GasNoData);
}

const QString& GasValueTexts::Text(float value, int gas, bool conv) {
    const int16_t points = header_.GasPoint(conv ? 4 : gas);
    const quint64 key = static_cast<quint64>(std::bit_cast<quint32>(value)) |
                        (static_cast<quint64>(static_cast<quint16>(points)) << 32) |
                        (static_cast<quint64>(conv) << 48);
    auto it = texts_.constFind(key);
    if (it == texts_.constEnd()) it = texts_.insert(key, FormatGasValue(value, points, conv));
    return *it;
}

QString SecondUnitForm(const clsHeader& header, float gas1Value) {
    return FormatGasValue(gas1Value, header.GasPoint(4), true);
}

int ShownChannel(int column) {
    return column == 0 && ConvEnable ? 4 : column;
}

std::vector<IntervalRow> IntervalRowsInTimeOrder(const clsInterval& r, bool eventsOnly) {
    struct Timed {
        qint64 key;
        int index;
        bool dated;
    };
    // Each record's place in time; one without a readable date stays just after the record
    // stored before it. Equal times keep their stored order.
    const auto ordered = [](int count, const auto& dateOf) {
        std::vector<Timed> v;
        v.reserve(static_cast<size_t>(std::max(count, 0)));
        qint64 last = std::numeric_limits<qint64>::min();
        for (int i = 0; i < count; ++i) {
            const QDateTime date = dateOf(i);
            if (date.isValid()) last = date.toMSecsSinceEpoch();
            v.push_back({last, i, date.isValid()});
        }
        std::stable_sort(v.begin(), v.end(),
                         [](const Timed& a, const Timed& b) { return a.key < b.key; });
        return v;
    };
    const std::vector<Timed> samples =
        ordered(r.DataCount(), [&](int i) { return r.DateTimes(i); });
    const std::vector<Timed> events =
        ordered(r.EventCount(), [&](int k) { return r.EventDateTimes(k); });

    std::vector<IntervalRow> rows;
    rows.reserve(samples.size() + events.size());
    size_t p = 0;
    size_t q = 0;
    while (p < samples.size() || q < events.size()) {
        const bool eventNext =
            q < events.size() && (p == samples.size() || events[q].key <= samples[p].key);
        if (eventNext) {
            const bool match = p < samples.size() && events[q].dated && samples[p].dated &&
                               samples[p].key == events[q].key;
            rows.push_back({events[q].index, match ? samples[p].index : -1});
            if (match) ++p;
            ++q;
        } else {
            if (!eventsOnly) rows.push_back({-1, samples[p].index});
            ++p;
        }
    }
    return rows;
}

QStringList HistoryCaptions(const clsHistory& r, int Index) {
    const bool loaded = Index >= 0 && Index < std::min(r.DataCount(), r.SlotCount());
    QStringList captions;
    for (int gas = 0; gas < 5; ++gas)
        captions << (loaded ? r.Gas(gas, Index) : HeaderGas(r.GasInfo(), gas)).Caption();
    return captions;
}

void WalkHistory(const clsHistory& r, const std::function<void(const QStringList&)>& captions,
                 const std::function<void(int)>& calibration) {
    QStringList shown = HistoryCaptions(r, 0);
    captions(shown);
    for (int i = 0; i < r.DataCount(); ++i) {
        if (QStringList own = HistoryCaptions(r, i); own != shown) {
            shown = std::move(own);
            captions(shown);
        }
        calibration(i);
    }
}

}  // namespace qv
