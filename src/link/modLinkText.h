// The elapsed time of an operation, as the link's operations and the pages that run them
// write it. (Failure texts: ErrorText and FailureOf in AppError.h.)
#pragma once

#include "AppError.h"

#include <QDateTime>
#include <QString>

namespace qv {

// The time since `start` as hours, minutes and seconds of a time of day ("00:01:15").
QString ElapsedText(const QDateTime& start);

}  // namespace qv
