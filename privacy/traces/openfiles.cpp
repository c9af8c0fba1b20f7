#include "privacy/traces/openfiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QThread>

namespace {

bool isBelow(const QString &path, const QString &folder, const QStringList &ignoring)
{
    // The system names open files by their real path, links resolved.
    const QString real = QFileInfo(folder).canonicalFilePath();
    const QString prefix = (real.isEmpty() ? QDir::cleanPath(folder) : real) + u'/';
    if (!path.startsWith(prefix))
        return false;
    const QString entry = path.mid(prefix.size()).section(u'/', 0, 0);
    return !ignoring.contains(entry);
}

} // namespace

QStringList OpenFiles::below(const QStringList &folders, const QStringList &ignoring)
{
    QStringList open;
#ifdef Q_OS_LINUX
    QDirIterator handles(QStringLiteral("/proc/self/fd"), QDir::Files | QDir::System);
    while (handles.hasNext()) {
        const QString target = QFileInfo(handles.next()).symLinkTarget();
        for (const QString &folder : folders) {
            if (!folder.isEmpty() && isBelow(target, folder, ignoring)) {
                open.append(target);
                break;
            }
        }
    }
#else
    Q_UNUSED(folders)
    Q_UNUSED(ignoring)
#endif
    return open;
}

bool OpenFiles::waitUntilClosed(const QStringList &folders, const QStringList &ignoring,
                                int timeoutMs, int quietMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QDeadlineTimer quiet(quietMs);
    for (;;) {
        if (!below(folders, ignoring).isEmpty())
            quiet.setRemainingTime(quietMs);
        else if (quiet.hasExpired())
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
}
