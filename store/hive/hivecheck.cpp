#include "store/hive/hivecheck.h"

#include "store/hive/hivereading.h"

#include <QFile>
#include <QObject>

#include <sqlite3.h>

HiveCheck::HiveCheck(const QString &path)
    : m_result(std::async(std::launch::async, &HiveCheck::run, QFile::encodeName(path),
                          std::cref(m_stop)))
{
}

HiveCheck::~HiveCheck()
{
    m_stop = true;
    if (m_result.valid())
        m_result.wait();
}

bool HiveCheck::isDone() const
{
    return m_answered || m_result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

QString HiveCheck::damage()
{
    if (!m_answered) {
        m_damage = m_result.get();
        m_answered = true;
    }
    return m_damage;
}

// A check stopped half way says nothing about the file: only its owner stops it,
// on the way out.
QString HiveCheck::run(const QByteArray &file, const std::atomic<bool> &stop)
{
    QString damage;
    sqlite3 *db = HiveReading::openStoppable(file, stop, &damage);
    if (!db)
        return QObject::tr("The file cannot be opened (%1).").arg(damage);
    sqlite3_stmt *stmt = nullptr;
    QByteArray verdict;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &stmt, nullptr) == SQLITE_OK
        && sqlite3_step(stmt) == SQLITE_ROW)
        verdict = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
    const QString error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    if (verdict != "ok" && !stop)
        damage = QObject::tr("The file is damaged (%1).")
                     .arg(verdict.isEmpty() ? error : QString::fromUtf8(verdict).simplified());
    return damage;
}
