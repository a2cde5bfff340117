// Helpers shared by the model tests: downloaded lines in the instrument's column layout, a
// download through both passes, the error number a call raises, and a fixed clock.
#pragma once

#include "AppError.h"
#include "Dates.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace qv::test {

// yymmddhhnnss as the instrument writes a moment.
inline QString Stamp(int yy, int mm, int dd, int hh, int nn, int ss) {
    return QString::asprintf("%02d%02d%02d%02d%02d%02d", yy, mm, dd, hh, nn, ss);
}

// One 13-column block of a gas table line: name, full scale, resolution.
inline QString GasBlock(const char* name, const char* full, const char* resolution) {
    return QString::fromLatin1(name).leftJustified(3) +
           QString::fromLatin1(full).rightJustified(5) +
           QString::fromLatin1(resolution).rightJustified(5);
}
// A gas table line with four channels in use and the fifth off; `code` is e.g. "BC".
inline QString GasTableLine(const QString& log, const QString& code) {
    return log + code + GasBlock("CH4", "100.0", "0.1") + GasBlock("O2", "25.0", "0.1") +
           GasBlock("H2S", "100.0", "0.1") + GasBlock("CO", "500", "1") + GasBlock("***", "", "");
}

// The test pass and, when it passes, the store pass over one block of lines.
template <class C>
bool Download(C& c, const QStringList& lines) {
    return c.TestLines(lines) && c.StoreLines(lines);
}

// The number of the AppError that `f` raises, or 0 when it raises none.
template <class F>
int ErrorOf(F&& f) {
    try {
        f();
    } catch (const AppError& e) {
        return e.number();
    }
    return 0;
}

// Sets the program's clock to a fixed moment for the life of the object.
class FixedClock {
  public:
    explicit FixedClock(const QDateTime& at) { rt::SetClock(std::make_shared<Fixed>(at)); }
    ~FixedClock() { rt::SetClock(nullptr); }
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;

  private:
    struct Fixed : rt::Clock {
        QDateTime t;
        explicit Fixed(QDateTime at) : t(std::move(at)) {}
        QDateTime now() const override { return t; }
    };
};

}  // namespace qv::test
