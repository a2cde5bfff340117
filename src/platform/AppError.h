// The one error type of the program: a number (the run-time's numbering where the system
// relies on one) and a text. Errors that "pass to the caller" are thrown as AppError.
#pragma once

#include <QString>
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

}  // namespace qv
