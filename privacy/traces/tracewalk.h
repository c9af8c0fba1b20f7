#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#ifndef Q_OS_UNIX
#include "privacy/traces/windowswalk.h"
#endif

// One place on disk that holds a category's traces: a folder, of which either
// every entry, only the named entries, or every entry but the named ones is
// removed. The folder itself always stays.
struct TraceFolder
{
    enum class Select { All, Only, AllBut };

    QString path;
    Select select = Select::All;
    QStringList names;
};

// Collects what lies below trace folders into two lists and then deletes them:
// every file front to back, then every directory, each listed after everything
// below it, so the deepest go first. Names starting with a dot are neither
// listed nor entered. A symbolic link (or junction) is listed as itself and
// never followed, so nothing outside the folders is entered or deleted. Paths
// are kept whole, in the file system's own bytes, whatever their length.
// Failures are silent: what cannot be read or deleted is skipped. Each entry is
// deleted through the handle of the folder it was listed in, never through its
// path looked up again, so a folder swapped for a link meanwhile redirects nothing.
class TraceWalk final
{
public:
    TraceWalk() = default;
    ~TraceWalk();
    Q_DISABLE_COPY_MOVE(TraceWalk)

    void collectFolderContents(const TraceFolder &folder);
    void removeCollected();

    const QList<QByteArray> &files() const { return m_files; }
    const QList<QByteArray> &directories() const { return m_directories; }

    // Native path bytes to and from text (UTF-8 where the system speaks UTF-16).
    static QByteArray pathBytes(const QString &path);
    static QString pathText(const QByteArray &path);

private:
    struct Selection;
#ifdef Q_OS_UNIX
    // An entry as found: the folder handle it was listed through and its name.
    struct Entry
    {
        int folder;
        QByteArray name;
    };

    void walk(int folderHandle, const QByteArray &path, const Selection *top);
    int keepHandle(int handle);
    void closeHandles();

    QList<int> m_handles; // open until the collected entries are removed
    QList<Entry> m_fileEntries;
    QList<Entry> m_directoryEntries;
#else
    WindowsWalk m_walk;
#endif

    QList<QByteArray> m_files;
    QList<QByteArray> m_directories;
};
