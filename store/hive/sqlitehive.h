#pragma once

#include "store/hive/hive.h"

#include <memory>
#include <vector>

class HiveCheck;
class HiveNamesAhead;
class HiveReadAhead;
struct sqlite3;
struct sqlite3_stmt;

// The hive as one SQLite file. Every change outside a transaction is committed
// before the call returns, so a crash loses no completed change.
class SqliteHive final : public Hive
{
public:
    enum class OpenResult { Opened, Damaged };
    // Full reads every page once to find damage before open() returns. Later
    // does the same on a thread of its own, started by startCheck() or by the
    // first write, whichever comes first, so that a window can come up without
    // sharing the processor with it; the first write waits for its answer and
    // is refused, like every later one, when it found damage. A file that
    // opening alone would change (not yet in WAL mode, or without the hive's
    // tables) is checked in full first.
    enum class Check { Header, Full, Later };

    SqliteHive();
    ~SqliteHive() override;
    Q_DISABLE_COPY_MOVE(SqliteHive)

    // Opens or creates the file. A file that is not a sound hive is left
    // untouched: the result is Damaged and errorString() says why.
    OpenResult open(const QString &path, Check check = Check::Full);
    QString errorString() const { return m_error; }
    // How long a write waits for another connection's lock before it fails.
    void setBusyTimeout(int ms);
    bool isOpen() const { return m_db != nullptr; }
    // Starts a check that open() left for later; does nothing otherwise.
    void startCheck();
    // Whether a check left for later is still going or yet to start.
    bool isChecking() const;
    // Waits for a check left for later; true when it found the file damaged.
    bool isDamaged();

    bool createKey(const QString &key) override;
    Lookup readValue(const QString &key, const QByteArray &name) override;
    bool setValue(const QString &key, const QByteArray &name, const QByteArray &data) override;
    bool insertValue(const QString &key, const QByteArray &name, const QByteArray &data) override;
    bool deleteValue(const QString &key, const QByteArray &name) override;
    bool renameValue(const QString &key, const QByteArray &from, const QByteArray &to) override;
    bool visitValues(const QString &key, const ValueVisitor &visit) override;
    bool visitValueNames(const QString &key, const NameVisitor &visit) override;
    std::optional<bool> visitOddValueNames(const QString &key, const NameVisitor &visit) override;
    bool visitValuesWithPrefix(const QString &key, const QByteArray &prefix,
                               const PlacedValueVisitor &visit) override;
    // From the (key, name) index alone.
    std::optional<bool> hasValuesWithPrefix(const QString &key, const QByteArray &prefix) override;
    // Reads them on a thread of its own; a write before the visit drops what it read.
    void readAhead(const QString &key, const QList<QByteArray> &prefixes) override;
    // The same for the names, at idle priority; while a check waits for
    // startCheck(), so does this read.
    void readNamesAhead(const QString &key) override;
    void flush() override;
    void close() override;
    bool beginTransaction() override;
    bool commitTransaction() override;
    void rollbackTransaction() override;
    bool isInTransaction() const override;
    HiveError lastError() const override { return m_failure; }

private:
    class Statement;
    enum StatementId {
        KeyExists, InsertKey, Query, Set, Insert, Delete, Rename, Enumerate, Names, Prefixed, OddNames,
        AnyPrefixed, StatementCount
    };

    bool exec(const char *sql);
    sqlite3_stmt *statement(StatementId id);
    bool checkSound(const QString &path, Check check);
    bool opensUnchanged();
    bool mayWrite();
    bool wrote(int step);
    bool readWhole(int step);
    void noteFailure(int code);
    void retireNamesAhead();
    QByteArray firstText(const char *sql);
    QString engineMessage() const;

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statements[StatementCount] = {};
    int m_depth = 0;
    bool m_doomed = false; // an inner transaction rolled back
    QString m_error;
    HiveError m_failure; // of the last call that failed
    std::unique_ptr<HiveCheck> m_check; // on a thread of its own
    bool m_checkLater = false; // until startCheck() or the first write
    QString m_path;
    std::unique_ptr<HiveReadAhead> m_readAhead; // until the next write
    std::unique_ptr<HiveNamesAhead> m_namesAhead; // until the next write
    QString m_namesLater; // the key whose names are read when the check starts
    std::vector<std::unique_ptr<HiveNamesAhead>> m_namesRetired; // stopped, threads ending
    bool m_damaged = false;
};
