#include "store/hive/hivenamesahead.h"

#include "store/hive/hivereading.h"

#include <QFile>
#include <QThread>

#include <sqlite3.h>

HiveNamesAhead::HiveNamesAhead(const QString &path, const QString &key)
    : m_key(key), m_thread(QThread::create([this, file = QFile::encodeName(path)] { read(file); }))
{
    // Idle priority: start-up and the user's work come first.
    m_thread->start(QThread::IdlePriority);
}

HiveNamesAhead::~HiveNamesAhead()
{
    stop();
    m_thread->wait();
}

bool HiveNamesAhead::isRunning() const
{
    return !m_thread->isFinished();
}

bool HiveNamesAhead::visit(const QString &key, const Hive::NameVisitor &visit)
{
    // Once finished, the thread writes nothing more: its names can be read now.
    const bool whole = m_finished;
    stop();
    if (!whole || m_taken || key.compare(m_key, Qt::CaseInsensitive) != 0)
        return false;
    m_taken = true;
    m_names.visit(
        [&visit](qint64 place, QByteArrayView name, QByteArrayView) { visit(place, name); });
    m_names = {};
    return true;
}

void HiveNamesAhead::read(const QByteArray &file)
{
    sqlite3 *db = HiveReading::openStoppable(file, m_stop, nullptr);
    if (!db)
        return;
    const QByteArray key = m_key.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    int step = SQLITE_ERROR;
    if (sqlite3_prepare_v2(db, HiveReading::NamesSql, -1, &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(stmt, 1, key.constData(), int(key.size()), SQLITE_STATIC);
        while ((step = sqlite3_step(stmt)) == SQLITE_ROW)
            m_names.append(sqlite3_column_int64(stmt, 0), HiveReading::column(stmt, 1));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    m_finished = step == SQLITE_DONE && !m_stop;
}
