// The one error type of the program: a number (the run-time's numbering where the system
// relies on one) and a text. Errors that "pass to the caller" are thrown as AppError.
#pragma once

#include <QString>
#include <exception>
#include <optional>
#include <stdexcept>

namespace qv {

enum ErrorNumber : int {
    ErrInvalidCall = 5,
    ErrOverflow = 6,
    ErrSubscript = 9,
    ErrTypeMismatch = 13,
    ErrFileNotFound = 53,
    ErrFileExists = 58,
    ErrPermission = 70,
    ErrPathNotFound = 76,
    ErrKeyExists = 457,
    ErrObjectMissing = 91,
    ErrDatabase = 3000,  // plus the engine's own result code
};

class AppError : public std::runtime_error {
  public:
    AppError(int number, const QString& text)
        : std::runtime_error(text.toStdString()), number_(number), text_(text) {}
    int number() const { return number_; }
    const QString& text() const { return text_; }

  private:
    int number_;
    QString text_;
};

// The text of a failure: an AppError's own text, else what the exception says.
inline QString ErrorText(const std::exception& e) {
    if (const auto* app = dynamic_cast<const AppError*>(&e)) return app->text();
    return QString::fromLocal8Bit(e.what());
}

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
