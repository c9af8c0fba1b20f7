#include "store/hive/sqlitehive.h"

#include "store/hive/hivecheck.h"
#include "store/hive/hivenamesahead.h"
#include "store/hive/hivereadahead.h"
#include "store/hive/hivereading.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <utility>

namespace {

constexpr const char *Schema = R"(
CREATE TABLE IF NOT EXISTS hive_keys (
  path TEXT PRIMARY KEY COLLATE NOCASE
);
CREATE TABLE IF NOT EXISTS hive_values (
  seq  INTEGER PRIMARY KEY AUTOINCREMENT,
  key  TEXT NOT NULL COLLATE NOCASE REFERENCES hive_keys(path),
  name TEXT NOT NULL COLLATE NOCASE,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  UNIQUE (key, name)
);)";

// Names that are neither folders ("gr" range) nor plain bookmark names, each
// part at most nine digits: the only ones a reader by prefix needs listed apart.
#define HIVE_ODD_NAME                                                                              \
    "NOT ((name >= 'gr' AND name < 'gs') OR (name GLOB 'ur[0-9]*-[0-9]*' "                         \
    "AND substr(name, 3) NOT GLOB '*[^0-9-]*' AND substr(name, 3) NOT GLOB '*-*-*' "               \
    "AND name NOT GLOB 'ur0[0-9]*' AND name NOT GLOB 'ur*-0[0-9]*' "                               \
    "AND instr(name, '-') <= 12 AND length(name) - instr(name, '-') <= 9))"

// Kept by SQLite for every writer, so it stays true whatever wrote the file.
constexpr const char *OddNameIndex =
    "CREATE INDEX IF NOT EXISTS hive_odd_names ON hive_values(key, name) WHERE " HIVE_ODD_NAME;

constexpr const char *StatementSql[] = {
    "SELECT 1 FROM hive_keys WHERE path = ?1",
    "INSERT OR IGNORE INTO hive_keys(path) VALUES (?1)",
    "SELECT data FROM hive_values WHERE key = ?1 AND name = ?2",
    // One statement for a new value and for an overwrite, which keeps the seq:
    // an import of many new values looks each name up once, not twice.
    "INSERT INTO hive_values(key, name, type, data) SELECT ?1, ?2, 1, ?3 "
    "WHERE EXISTS (SELECT 1 FROM hive_keys WHERE path = ?1) "
    "ON CONFLICT (key, name) DO UPDATE SET data = excluded.data, type = 1",
    // A new value only: a name already taken fails the insert.
    "INSERT INTO hive_values(key, name, type, data) SELECT ?1, ?2, 1, ?3 "
    "WHERE EXISTS (SELECT 1 FROM hive_keys WHERE path = ?1)",
    "DELETE FROM hive_values WHERE key = ?1 AND name = ?2",
    "UPDATE hive_values SET name = ?3 WHERE key = ?1 AND name = ?2",
    // Walks the table in seq order; most values sit under one key, so the index
    // and a sort would only cost.
    "SELECT name, data FROM hive_values WHERE +key = ?1 ORDER BY seq",
    HiveReading::NamesSql,
    // In the index's order: the caller puts them in place, faster than a sort here.
    HiveReading::PrefixedSql,
    // Fails to prepare where the file has no such index: the caller walks all names then.
    "SELECT seq, name FROM hive_values INDEXED BY hive_odd_names WHERE key = ?1 AND " HIVE_ODD_NAME,
    "SELECT 1 FROM hive_values WHERE key = ?1 AND name >= ?2 AND name < ?3 LIMIT 1",
};

#undef HIVE_ODD_NAME

constexpr QByteArrayView SqliteMagic("SQLite format 3\0", 16);

// Binds the parameters of one call and resets the statement when it goes.
class Bound
{
public:
    explicit Bound(sqlite3_stmt *stmt) : m_stmt(stmt) {}
    ~Bound()
    {
        if (m_stmt) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        }
    }
    Bound &text(int index, const QByteArray &text)
    {
        sqlite3_bind_text(m_stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Bound &blob(int index, const QByteArray &data)
    {
        // A zero-length blob must still be a blob, not NULL.
        sqlite3_bind_blob(m_stmt, index, data.constData() ? data.constData() : "", int(data.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    int step() { return m_stmt ? sqlite3_step(m_stmt) : SQLITE_MISUSE; }
    QByteArrayView view(int index) const { return HiveReading::column(m_stmt, index); }
    qint64 integer(int index) const { return sqlite3_column_int64(m_stmt, index); }
    QByteArray column(int index) const { return view(index).toByteArray(); }
    Bound(const Bound &) = delete;
    Bound &operator=(const Bound &) = delete;

private:
    sqlite3_stmt *m_stmt;
};

} // namespace

SqliteHive::SqliteHive() = default;

SqliteHive::~SqliteHive()
{
    close();
}

QString SqliteHive::engineMessage() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
}

namespace {

HiveError::Kind kindOf(int code)
{
    switch (code & 0xff) {
    case SQLITE_FULL:
        return HiveError::Full;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        return HiveError::ReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return HiveError::Locked;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return HiveError::Damaged;
    default:
        return HiveError::Other;
    }
}

} // namespace

void SqliteHive::noteFailure(int code)
{
    m_failure.code = m_db ? sqlite3_extended_errcode(m_db) : code;
    m_failure.kind = kindOf(m_failure.code);
    m_failure.text = m_db ? engineMessage() : QString::fromUtf8(sqlite3_errstr(code));
    // A full disk or an I/O error may end the whole transaction: what the
    // caller writes next must not land on its own, outside it.
    if (m_depth > 0 && m_db && sqlite3_get_autocommit(m_db))
        m_doomed = true;
}

// A write's step: done, or the reason is kept.
bool SqliteHive::wrote(int step)
{
    if (step == SQLITE_DONE)
        return true;
    noteFailure(step);
    return false;
}

// The step that ended a read: the end of the rows, or a failure kept.
bool SqliteHive::readWhole(int step)
{
    return wrote(step);
}

// A read left unfinished holds a transaction of its own: until it is reset,
// every write after it waits, uncommitted, as in an open one.
bool SqliteHive::isInTransaction() const
{
    if (m_depth > 0 || (m_db && !sqlite3_get_autocommit(m_db)))
        return true;
    for (sqlite3_stmt *stmt = m_db ? sqlite3_next_stmt(m_db, nullptr) : nullptr; stmt;
         stmt = sqlite3_next_stmt(m_db, stmt))
        if (sqlite3_stmt_busy(stmt))
            return true;
    return false;
}

QByteArray SqliteHive::firstText(const char *sql)
{
    sqlite3_stmt *stmt = nullptr;
    QByteArray text;
    if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) == SQLITE_OK
        && sqlite3_step(stmt) == SQLITE_ROW)
        text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
    sqlite3_finalize(stmt);
    return text;
}

bool SqliteHive::exec(const char *sql)
{
    return m_db && sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// A file that exists must be a hive (and, when asked, pass a quick check of every
// page) before anything may write to it.
bool SqliteHive::checkSound(const QString &path, Check check)
{
    QFile file(path);
    if (!file.exists() || file.size() == 0)
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QObject::tr("The file cannot be read: %1").arg(file.errorString());
        return false;
    }
    if (file.read(16) != SqliteMagic) {
        m_error = QObject::tr("The file is not a Harbrow data file.");
        return false;
    }
    // A first start stopped before it had written all its tables leaves a
    // database with no more than some of them: finishing it loses nothing, and
    // refusing it would refuse every later start too.
    if (firstText("SELECT count(*) FROM sqlite_master WHERE name = 'hive_values' OR NOT (name IN "
                  "('hive_keys', 'sqlite_autoindex_hive_keys_1', 'sqlite_sequence'))") == "0")
        return true;
    if (firstText("SELECT count(*) FROM sqlite_master WHERE name = 'hive_values'") != "1") {
        m_error = QObject::tr("The file is damaged or is not a Harbrow data file (%1).")
                      .arg(engineMessage());
        return false;
    }
    if (check == Check::Later && opensUnchanged()) {
        m_checkLater = true;
        return true;
    }
    if (check != Check::Header && firstText("PRAGMA quick_check(1)") != "ok") {
        m_error = QObject::tr("The file is damaged (%1).").arg(engineMessage());
        return false;
    }
    return true;
}

// Opening writes nothing to a WAL file that has the hive's tables and index already.
bool SqliteHive::opensUnchanged()
{
    return firstText("PRAGMA journal_mode") == "wal"
        && firstText("SELECT count(*) FROM sqlite_master WHERE (type = 'table' "
                     "AND name IN ('hive_keys', 'hive_values')) "
                     "OR (type = 'index' AND name = 'hive_odd_names')") == "3";
}

void SqliteHive::startCheck()
{
    if (!m_checkLater)
        return;
    m_checkLater = false;
    m_check = std::make_unique<HiveCheck>(m_path);
    if (!m_namesLater.isEmpty())
        readNamesAhead(std::exchange(m_namesLater, QString()));
}

bool SqliteHive::isChecking() const
{
    return m_checkLater || (m_check && !m_check->isDone());
}

bool SqliteHive::isDamaged()
{
    startCheck();
    if (m_check) {
        const QString damage = m_check->damage();
        m_check.reset();
        if (!damage.isEmpty()) {
            m_damaged = true;
            m_error = damage;
        }
    }
    return m_damaged;
}

bool SqliteHive::mayWrite()
{
    // Its reads from before this write are no longer what a visit would see.
    m_readAhead.reset();
    m_namesLater.clear();
    retireNamesAhead();
    m_failure = {}; // a write that fails says why afresh
    if (!m_db || isDamaged()) {
        m_failure = {HiveError::Damaged, SQLITE_CORRUPT,
                     m_error.isEmpty() ? QObject::tr("The file is not open.") : m_error};
        return false;
    }
    if (m_depth > 0 && m_doomed && sqlite3_get_autocommit(m_db))
        return false; // the transaction is gone: m_failure says why
    return true;
}

// Its thread may still be reading at idle priority: waiting for it to end on a
// busy machine could hold up the user, so it ends on its own meanwhile.
void SqliteHive::retireNamesAhead()
{
    if (m_namesAhead) {
        m_namesAhead->stop();
        m_namesRetired.push_back(std::move(m_namesAhead));
    }
    std::erase_if(m_namesRetired, [](const auto &retired) { return !retired->isRunning(); });
}

SqliteHive::OpenResult SqliteHive::open(const QString &path, Check check)
{
    close();
    m_error.clear();
    m_path = path;
    const QByteArray file = QFile::encodeName(path);
    // One connection used from one thread: no need for SQLite's own locking.
    if (sqlite3_open_v2(file.constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        m_error = QObject::tr("The file cannot be opened (%1).").arg(engineMessage());
        close();
        return OpenResult::Damaged;
    }
    sqlite3_busy_timeout(m_db, 2000);
    if (!checkSound(path, check)) {
        m_damaged = true;
        close();
        return OpenResult::Damaged;
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    // FULL keeps a committed change even through a power cut, not only a crash.
    if (!exec("PRAGMA journal_mode=WAL") || !exec("PRAGMA synchronous=FULL")
        || !exec("PRAGMA foreign_keys=ON") || !exec(Schema)) {
        m_error = QObject::tr("The file cannot be used (%1).").arg(engineMessage());
        close();
        return OpenResult::Damaged;
    }
    // Only a help for reading: a file that cannot take it is still used, walked whole.
    exec(OddNameIndex);
    return OpenResult::Opened;
}

void SqliteHive::setBusyTimeout(int ms)
{
    if (m_db)
        sqlite3_busy_timeout(m_db, ms);
}

sqlite3_stmt *SqliteHive::statement(StatementId id)
{
    if (!m_db)
        return nullptr;
    if (!m_statements[id])
        sqlite3_prepare_v3(m_db, StatementSql[id], -1, SQLITE_PREPARE_PERSISTENT,
                           &m_statements[id], nullptr);
    return m_statements[id];
}

// A key that is there already costs no write, so start-up need not wait for a
// check on a thread of its own.
bool SqliteHive::createKey(const QString &key)
{
    const QByteArray path = key.toUtf8();
    if (Bound(statement(KeyExists)).text(1, path).step() == SQLITE_ROW)
        return true;
    return mayWrite() && wrote(Bound(statement(InsertKey)).text(1, path).step());
}

Hive::Lookup SqliteHive::readValue(const QString &key, const QByteArray &name)
{
    Bound query(statement(Query));
    query.text(1, key.toUtf8()).text(2, name);
    const int step = query.step();
    if (step == SQLITE_ROW)
        return std::optional<QByteArray>(query.column(0));
    if (!readWhole(step))
        return std::nullopt;
    return std::optional<QByteArray>();
}

// A write that touched no row met a missing key (or, for a delete or rename,
// a missing value): no failure of the file's, but nothing was done either.
bool SqliteHive::setValue(const QString &key, const QByteArray &name, const QByteArray &data)
{
    if (!mayWrite())
        return false;
    Bound set(statement(Set));
    return wrote(set.text(1, key.toUtf8()).text(2, name).blob(3, data).step())
        && sqlite3_changes(m_db) > 0;
}

bool SqliteHive::insertValue(const QString &key, const QByteArray &name, const QByteArray &data)
{
    if (!mayWrite())
        return false;
    Bound insert(statement(Insert));
    return wrote(insert.text(1, key.toUtf8()).text(2, name).blob(3, data).step())
        && sqlite3_changes(m_db) > 0;
}

bool SqliteHive::deleteValue(const QString &key, const QByteArray &name)
{
    if (!mayWrite())
        return false;
    Bound remove(statement(Delete));
    return wrote(remove.text(1, key.toUtf8()).text(2, name).step()) && sqlite3_changes(m_db) > 0;
}

bool SqliteHive::renameValue(const QString &key, const QByteArray &from, const QByteArray &to)
{
    if (!mayWrite())
        return false;
    Bound rename(statement(Rename));
    return wrote(rename.text(1, key.toUtf8()).text(2, from).text(3, to).step())
        && sqlite3_changes(m_db) > 0;
}

bool SqliteHive::visitValues(const QString &key, const ValueVisitor &visit)
{
    Bound rows(statement(Enumerate));
    rows.text(1, key.toUtf8());
    int step;
    while ((step = rows.step()) == SQLITE_ROW)
        if (!visit(rows.view(0), rows.view(1)))
            return true;
    return readWhole(step);
}

bool SqliteHive::visitValueNames(const QString &key, const NameVisitor &visit)
{
    const bool handed = m_namesAhead && m_namesAhead->visit(key, visit);
    retireNamesAhead();
    if (handed)
        return true;
    Bound rows(statement(Names));
    rows.text(1, key.toUtf8());
    int step;
    while ((step = rows.step()) == SQLITE_ROW)
        visit(rows.integer(0), rows.view(1));
    return readWhole(step);
}

std::optional<bool> SqliteHive::visitOddValueNames(const QString &key, const NameVisitor &visit)
{
    sqlite3_stmt *odd = statement(OddNames);
    if (!odd)
        return std::nullopt;
    Bound rows(odd);
    rows.text(1, key.toUtf8());
    int step;
    while ((step = rows.step()) == SQLITE_ROW)
        visit(rows.integer(0), rows.view(1));
    return readWhole(step);
}

bool SqliteHive::visitValuesWithPrefix(const QString &key, const QByteArray &prefix,
                                       const PlacedValueVisitor &visit)
{
    if (prefix.isEmpty())
        return true;
    if (m_readAhead) {
        if (const auto read = m_readAhead->take(key, prefix)) {
            read->visit(visit);
            return true;
        }
    }
    Bound rows(statement(Prefixed));
    rows.text(1, key.toUtf8()).text(2, prefix).text(3, HiveReading::upperBound(prefix));
    int step;
    while ((step = rows.step()) == SQLITE_ROW)
        visit(rows.integer(0), rows.view(1), rows.view(2));
    return readWhole(step);
}

std::optional<bool> SqliteHive::hasValuesWithPrefix(const QString &key, const QByteArray &prefix)
{
    sqlite3_stmt *any = statement(AnyPrefixed);
    if (!any || prefix.isEmpty())
        return std::nullopt;
    Bound rows(any);
    rows.text(1, key.toUtf8()).text(2, prefix).text(3, HiveReading::upperBound(prefix));
    switch (rows.step()) {
    case SQLITE_ROW:
        return true;
    case SQLITE_DONE:
        return false;
    default:
        return std::nullopt;
    }
}

void SqliteHive::readAhead(const QString &key, const QList<QByteArray> &prefixes)
{
    // Another connection would not see what an open transaction has written.
    if (m_db && m_depth == 0)
        m_readAhead = std::make_unique<HiveReadAhead>(m_path, key, prefixes);
}

void SqliteHive::readNamesAhead(const QString &key)
{
    retireNamesAhead();
    // Even at idle priority the read slows a window coming up, on a machine
    // of two cores by a fifth: it waits with the check.
    if (m_checkLater) {
        m_namesLater = key;
        return;
    }
    if (m_db && m_depth == 0)
        m_namesAhead = std::make_unique<HiveNamesAhead>(m_path, key);
}

void SqliteHive::flush()
{
    if (mayWrite() && m_depth == 0)
        sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
}

void SqliteHive::close()
{
    m_readAhead.reset();
    m_namesAhead.reset();
    m_namesRetired.clear();
    m_check.reset();
    m_checkLater = false;
    m_namesLater.clear();
    m_path.clear();
    for (sqlite3_stmt *&stmt : m_statements) {
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
    if (m_db) {
        if (m_depth > 0)
            exec("ROLLBACK");
        // What the log holds stays there rather than go into a damaged file.
        if (m_damaged)
            sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_close(m_db);
        m_db = nullptr;
    }
    m_depth = 0;
    m_doomed = false;
    m_damaged = false;
}

bool SqliteHive::beginTransaction()
{
    if (m_depth == 0 && !mayWrite())
        return false;
    if (m_depth == 0 && !exec("BEGIN IMMEDIATE")) {
        noteFailure(sqlite3_errcode(m_db));
        return false;
    }
    ++m_depth;
    return true;
}

bool SqliteHive::commitTransaction()
{
    if (m_depth == 0)
        return false;
    if (--m_depth > 0)
        return !m_doomed;
    const bool committed = !m_doomed && exec("COMMIT");
    if (!committed && !m_doomed)
        noteFailure(sqlite3_errcode(m_db));
    if (!sqlite3_get_autocommit(m_db))
        exec("ROLLBACK"); // a failed commit must not leave the transaction open
    m_doomed = false;
    return committed;
}

// An inner rollback dooms the outermost transaction: what follows still goes
// into it, and its commit rolls everything back, so nothing lands by halves.
void SqliteHive::rollbackTransaction()
{
    if (m_depth == 0)
        return;
    m_doomed = true;
    if (--m_depth > 0)
        return;
    exec("ROLLBACK");
    m_doomed = false;
}
