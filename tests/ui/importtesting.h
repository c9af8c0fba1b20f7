#pragma once

#include "pagetesting.h"
#include "toplevelpage.h"

#include "store/bookmarkstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

// The top-level page over a store on a real hive file.
class ImportPage final : public TopLevelPage
{
public:
    ImportPage()
    {
        m_hive.hive()->createKey(BookmarkStore::KeyPath);
        m_hive.hive()->setValue(BookmarkStore::KeyPath, "INI", "YES");
        m_store = std::make_unique<BookmarkStore>(m_hive.hive());
    }
    BookmarkStore &store() override { return *m_store; }

    Hive *hive() { return m_hive.hive(); }
    TestHive &file() { return m_hive; }

private:
    TestHive m_hive;
    std::unique_ptr<BookmarkStore> m_store;
};

// Writes a file the test's import reads, making its folders; returns the path.
inline QString writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}
