// Elapsed times and failure texts.
#include "modLinkText.h"

#include "AppError.h"
#include "Dates.h"

namespace qv {

QString ElapsedText(const QDateTime& start) {
    return rt::FormatDate(rt::AddSeconds(rt::ZeroDate(), start.secsTo(rt::Now())),
                          QStringLiteral("hh:nn:ss"));
}

QString ErrorText(const std::exception& e) {
    if (const auto* app = dynamic_cast<const AppError*>(&e)) return app->text();
    return QString::fromLocal8Bit(e.what());
}

}  // namespace qv
