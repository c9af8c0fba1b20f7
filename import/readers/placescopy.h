#pragma once

#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A private copy of a Firefox places database with its journal files, so
// that it opens as Firefox last left it without touching Firefox's own. It
// is taken into Harbrow's own cache folder (owner only), taken again when the
// database or its log changed while it was copied, and removed with this
// object; copies a crash left behind are swept by sweep().
class PlacesCopy final
{
    Q_DECLARE_TR_FUNCTIONS(PlacesCopy)

public:
    static constexpr int Attempts = 5;

    explicit PlacesCopy(const QString &source);
    ~PlacesCopy();
    Q_DISABLE_COPY_MOVE(PlacesCopy)

    // The copied database, or empty with error() saying why.
    QString path() const { return m_path; }
    QString error() const { return m_error; }

    static QString cacheFolder();
    // Removes every copy left in the cache folder.
    static void sweep();

private:
    bool copyOnce(const QString &source);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    QString m_error;
};
