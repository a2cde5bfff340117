// Shared helpers of the tests: a scratch folder that holds a fresh database and is set as the
// program's data location for the duration of a test.
#pragma once

#include <QString>
#include <QTemporaryDir>

class QWidget;

namespace qv::test {

// Sends a key press to a widget and then the events it posted (an editor commits Return after
// its own handling).
void SendKey(QWidget* target, int key, const QString& text = {});

class ScratchDatabase {
  public:
    // Creates an empty database in a new folder and points DataLocation and DatabasePath at it.
    ScratchDatabase();
    ~ScratchDatabase();
    const QString& path() const { return path_; }
    QString folder() const { return dir_.path(); }
    // Number of rows in a table.
    long long count(const QString& table) const;

  private:
    QTemporaryDir dir_;
    QString path_;
};

}  // namespace qv::test
