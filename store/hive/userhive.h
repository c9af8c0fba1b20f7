#pragma once

#include <QString>

#include <memory>

class Hive;
class MemoryHive;
class QLockFile;
class SqliteHive;

// The current user's hive file, held by one running instance at a time. A file
// that cannot be used is never written to: the program then runs on an empty
// store in memory, and the file stays as it was. Damage deep inside the file is
// looked for once the window is up; once found, the file takes no more writes.
class UserHive final
{
public:
    // Unlocked: no lock could be taken (not that another instance holds it), so
    // nothing may be written: two instances would remove each other's files.
    enum class Status { Opened, Damaged, AlreadyRunning, Unlocked };

    UserHive();
    ~UserHive();
    Q_DISABLE_COPY_MOVE(UserHive)

    static QString defaultPath();

    Status open(const QString &path = defaultPath());
    // The hive to use; null only when another instance holds the file.
    Hive *hive() const;
    QString path() const { return m_path; }
    QString errorString() const;
    // Starts the look for damage inside the file, which opening leaves for
    // when the window is up (or the first write, which waits for it).
    void startCheck();
    // Whether that look is still going or yet to start.
    bool isChecking() const;
    // Waits for that look; true when it found the file damaged (errorString()
    // says how). Every write to the file fails from then on.
    bool damageFound();

private:
    Status runInMemory(const QString &error);

    QString m_path;
    QString m_error;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<SqliteHive> m_file;
    std::unique_ptr<MemoryHive> m_memory;
};
