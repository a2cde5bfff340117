// Shared record-set behaviour.
#include "clsRecordSet.h"

#include "AppError.h"
#include "Database.h"
#include "Dates.h"
#include "Runtime.h"
#include "modDatabase.h"
#include "modGasCommon.h"
#include "modGlobals.h"

namespace qv {

void clsRecordSet::ClearShared(int32_t types) {
    header_.ClearDatas();
    header_.SetTypes(types);
    dbPath_ = DatabasePath;
}

void clsRecordSet::RequireInstrument() const {
    if (!instrument_)
        throw AppError(
            ErrObjectMissing,
            QStringLiteral("The log %1 has no instrument settings to complete its header; "
                           "nothing was stored.")
                .arg(header_.Names()));
}

void clsRecordSet::StoreRowCount(Database& db, const QString& table, int32_t relNo) {
    db.execute(QStringLiteral("Update Log_Head Set Dcount=(Select Count(*) From ") + table +
                   QStringLiteral(" Where RelNo=?) Where SeqNo=?;"),
               {relNo, relNo});
}

void clsRecordSet::PrepareRepeatCheck(Database& db, const QString& table, int32_t types) {
    if (!EnsureRepeatIndex(db, table)) return;
    db.execute(QStringLiteral("Update Log_Head Set Dcount=(Select Count(*) From ") + table +
                   QStringLiteral(" Where ") + table +
                   QStringLiteral(".RelNo=Log_Head.SeqNo) Where Types=?;"),
               {types});
}

bool clsRecordSet::ReadGasTable(const QString& vData, bool TestFlag) {
    if (vData.size() < 69) return false;
    bool answer = true;
    for (int g = 0; g < 5; ++g) {
        const int column = 5 + 13 * g;
        const QString name = rt::Mid(vData, column, 3);
        if (name == QLatin1String("***") || name == QLatin1String("   ")) {
            if (!TestFlag) header_.SetGasEnable(g, false);
            continue;
        }
        const QString full = rt::Mid(vData, column + 3, 5);
        const QString step = rt::Mid(vData, column + 8, 5);
        if (!rt::IsNumeric(full) || !rt::IsNumeric(step)) {
            answer = false;
            continue;
        }
        if (TestFlag) continue;
        header_.SetGasEnable(g, true);
        header_.SetGasName(g, name);
        header_.SetGasFull(g, ParseGasValue(full));
        header_.SetGasDesit(g, ParseGasValue(step));
        header_.SetGasPoint(g, CountDecimals(step));
    }
    return answer;
}

QString PrintableOnly(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c.unicode() >= 32 && c.unicode() <= 126) out += c;
    return out;
}

LineDate ReadLineDate(const QString& line, int start) {
    LineDate r;
    auto field = [&](int column) { return rt::Mid(line, column, 2); };
    const QString y = field(start), m = field(start + 2), d = field(start + 4);
    if (rt::IsNumeric(y) && rt::IsNumeric(m) && rt::IsNumeric(d)) {
        // Two-character fields cannot leave the range of a whole number.
        r.date = rt::DateSerial(2000 + rt::CInt(y), rt::CInt(m), rt::CInt(d));
        r.dateOk = r.date.isValid();
    }
    const QString h = field(start + 6), n = field(start + 8), s = field(start + 10);
    if (rt::IsNumeric(h) && rt::IsNumeric(n) && rt::IsNumeric(s)) {
        r.timeOk = true;
        if (r.dateOk)
            r.date = rt::AddSeconds(r.date, rt::TimeSerial(rt::CInt(h), rt::CInt(n), rt::CInt(s)));
    }
    return r;
}

}  // namespace qv
