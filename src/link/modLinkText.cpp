// Elapsed times.
#include "modLinkText.h"

#include "Dates.h"

namespace qv {

QString ElapsedText(const QDateTime& start) {
    return rt::FormatDate(rt::AddSeconds(rt::ZeroDate(), start.secsTo(rt::Now())),
                          QStringLiteral("hh:nn:ss"));
}

}  // namespace qv
