// Texts that the link's operations and the pages that run them share: the elapsed time of an
// operation and the text of a failure that a handler reports instead of letting it pass.
#pragma once

#include <QDateTime>
#include <QString>
#include <exception>
#include <optional>

namespace qv {

// The time since `start` as hours, minutes and seconds of a time of day ("00:01:15").
QString ElapsedText(const QDateTime& start);

// The text of a failure: an AppError's own text, else what the exception says.
QString ErrorText(const std::exception& e);

// Runs an action and gives the text of its failure, nothing when it succeeded: the error
// boundary of a handler, which reports the text rather than letting the failure pass.
template <class F>
std::optional<QString> FailureOf(F&& action) {
    try {
        action();
        return std::nullopt;
    } catch (const std::exception& e) {
        return ErrorText(e);
    } catch (...) {
        return QStringLiteral("Unexpected error");
    }
}

}  // namespace qv
