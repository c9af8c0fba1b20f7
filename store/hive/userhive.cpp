#include "store/hive/userhive.h"

#include "store/hive/memoryhive.h"
#include "store/hive/sqlitehive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

UserHive::UserHive() = default;

UserHive::~UserHive()
{
    if (m_file)
        m_file->close();
}

QString UserHive::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
         + QStringLiteral("/k-vane/hive.sqlite3");
}

Hive *UserHive::hive() const
{
    if (m_file)
        return m_file.get();
    return m_memory.get();
}

QString UserHive::errorString() const
{
    return m_file && !m_file->errorString().isEmpty() ? m_file->errorString() : m_error;
}

void UserHive::startCheck()
{
    if (m_file)
        m_file->startCheck();
}

bool UserHive::isChecking() const
{
    return m_file && m_file->isChecking();
}

bool UserHive::damageFound()
{
    return m_file && m_file->isDamaged();
}

UserHive::Status UserHive::runInMemory(const QString &error)
{
    m_error = error;
    m_file.reset();
    m_memory = std::make_unique<MemoryHive>();
    return Status::Damaged;
}

UserHive::Status UserHive::open(const QString &path)
{
    m_path = path;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return Status::Unlocked;
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    m_lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError)
            return Status::AlreadyRunning;
        return Status::Unlocked;
    }
    m_file = std::make_unique<SqliteHive>();
    if (m_file->open(path, SqliteHive::Check::Later) != SqliteHive::OpenResult::Opened)
        return runInMemory(m_file->errorString());
    return Status::Opened;
}
