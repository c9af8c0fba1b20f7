#include "privacy/traces/tracewalk.h"

#include <QFile>
#include <QSet>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

struct TraceWalk::Selection
{
    TraceFolder::Select select;
    QSet<QByteArray> names;

    bool takes(const QByteArray &name) const
    {
        switch (select) {
        case TraceFolder::Select::Only:
            return names.contains(name);
        case TraceFolder::Select::AllBut:
            return !names.contains(name);
        case TraceFolder::Select::All:
            break;
        }
        return true;
    }
};

namespace {

bool endsWithSeparator(const QByteArray &path)
{
#ifdef Q_OS_WIN
    return path.endsWith('\\') || path.endsWith('/');
#else
    return path.endsWith('/');
#endif
}

#ifndef Q_OS_UNIX
// Adds the paths the walk found since the last call.
void appendNewPaths(QList<QByteArray> &bytes, const std::vector<std::wstring> &paths)
{
    for (size_t i = size_t(bytes.size()); i < paths.size(); ++i)
        bytes.append(TraceWalk::pathBytes(QString::fromStdWString(paths[i])));
}
#endif

} // namespace

QByteArray TraceWalk::pathBytes(const QString &path)
{
#ifdef Q_OS_UNIX
    return QFile::encodeName(path);
#else
    return path.toUtf8();
#endif
}

QString TraceWalk::pathText(const QByteArray &path)
{
#ifdef Q_OS_UNIX
    return QFile::decodeName(path);
#else
    return QString::fromUtf8(path);
#endif
}

void TraceWalk::collectFolderContents(const TraceFolder &folder)
{
    QByteArray path = pathBytes(folder.path);
    if (endsWithSeparator(path))
        path.chop(1);
    // An empty path (or the file system's root, once its separator is gone) is no folder.
    if (path.isEmpty())
        return;

    Selection top{folder.select, {}};
    for (const QString &name : folder.names)
        top.names.insert(pathBytes(name));

#ifdef Q_OS_UNIX
    // The folder itself is opened as named, even through a link the user set up;
    // below it no link is ever followed.
    const int handle = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle >= 0)
        walk(handle, path, &top);
#else
    // "C:", its separator gone, would name the drive's current folder, not its root.
    if (path.endsWith(':'))
        return;
    m_walk.collect(pathText(path).toStdWString(), [&top](const std::wstring &name) {
        return top.takes(pathBytes(QString::fromStdWString(name)));
    });
    appendNewPaths(m_files, m_walk.files());
    appendNewPaths(m_directories, m_walk.directories());
#endif
}

#ifdef Q_OS_UNIX

namespace {

unsigned char entryType(int folderHandle, const dirent *entry)
{
    if (entry->d_type != DT_UNKNOWN)
        return entry->d_type;
    struct stat status;
    if (::fstatat(folderHandle, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return DT_UNKNOWN;
    return S_ISDIR(status.st_mode) ? DT_DIR : DT_REG;
}

// Handles stay open until the removal: a walk over many folders may need more
// than the soft limit allows, so it is raised to the hard one once.
int openFolderAt(int parent, const char *name)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int handle = ::openat(parent, name, flags);
    if (handle < 0 && errno == EMFILE) {
        rlimit limit;
        if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
            limit.rlim_cur = limit.rlim_max;
            ::setrlimit(RLIMIT_NOFILE, &limit);
            handle = ::openat(parent, name, flags);
        }
    }
    return handle;
}

} // namespace

TraceWalk::~TraceWalk()
{
    closeHandles();
}

int TraceWalk::keepHandle(int handle)
{
    m_handles.append(handle);
    return handle;
}

void TraceWalk::closeHandles()
{
    for (int handle : std::as_const(m_handles))
        ::close(handle);
    m_handles.clear();
    m_fileEntries.clear();
    m_directoryEntries.clear();
}

// The listing reads through a handle of its own; folderHandle stays open for
// the deletion of what is listed in it.
void TraceWalk::walk(int folderHandle, const QByteArray &path, const Selection *top)
{
    keepHandle(folderHandle);
    const int listing = ::openat(folderHandle, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *folder = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!folder) {
        if (listing >= 0)
            ::close(listing);
        return;
    }
    while (const dirent *entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.')
            continue;
        const QByteArray name = QByteArray::fromRawData(entry->d_name, qstrlen(entry->d_name));
        if (top && !top->takes(name))
            continue;
        QByteArray entryPath = path + '/' + name;
        Entry found{folderHandle, QByteArray(name.constData(), name.size())};
        if (entryType(folderHandle, entry) == DT_DIR) {
            // O_NOFOLLOW: a folder swapped for a link since it was listed is not entered.
            const int child = openFolderAt(folderHandle, entry->d_name);
            if (child >= 0)
                walk(child, entryPath, nullptr);
            m_directories.append(std::move(entryPath));
            m_directoryEntries.append(std::move(found));
        } else {
            m_files.append(std::move(entryPath));
            m_fileEntries.append(std::move(found));
        }
    }
    ::closedir(folder);
}

void TraceWalk::removeCollected()
{
    for (const Entry &entry : std::as_const(m_fileEntries))
        ::unlinkat(entry.folder, entry.name.constData(), 0);
    for (const Entry &entry : std::as_const(m_directoryEntries))
        ::unlinkat(entry.folder, entry.name.constData(), AT_REMOVEDIR);
    closeHandles();
}

#else

TraceWalk::~TraceWalk() = default;

void TraceWalk::removeCollected()
{
    m_walk.removeCollected();
}

#endif
