// Shared record-set behaviour.
#include "clsRecordSet.h"

#include "AppError.h"
#include "Dates.h"
#include "Runtime.h"
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
