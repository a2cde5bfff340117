// The lock file beside the database that keeps a second copy of the program off it: an
// operating-system lock on the open file, held until shut-down, with the computer and user
// names written in the file for the copy that finds it held.
#pragma once

#include <QString>
#include <QStringList>

namespace qv {

class LockFile {
  public:
    enum class Result { Taken, HeldElsewhere, Failed };

    LockFile() = default;
    ~LockFile();
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    // Opens (or creates) the file and takes the lock without waiting; only a copy that holds
    // the lock rewrites the file with the two names. A file left by a run that crashed holds
    // no lock and is taken over.
    Result Take(const QString& path, const QString& computer, const QString& user);
    // Deletes the file and lets the lock go. Nothing happens when no lock is held.
    void Release();
    bool Held() const { return fd_ >= 0; }
    const QString& path() const { return path_; }
    // Why the last Take failed.
    const QString& error() const { return error_; }

    // The computer and user names in a lock file, each "" when the file cannot be read.
    static QStringList ReadHolder(const QString& path);

  private:
    int fd_ = -1;
    QString path_;
    QString error_;
};

// The database path with its last four characters replaced by ".LCK".
QString LockFilePath(const QString& databasePath);
// The names written into the lock file: the host name and the logged-in user's name.
QString ComputerName();
QString UserName();

}  // namespace qv
