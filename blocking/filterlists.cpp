#include "blocking/filterlists.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

void addIfPresent(QList<FilterListFile> &lists, const QString &name, const QFileInfo &info)
{
    if (info.isFile() && info.isReadable())
        lists.append({name, info.absoluteFilePath(), info.size(),
                      info.lastModified().toMSecsSinceEpoch()});
}

} // namespace

QString FilterLists::systemFolder()
{
    return QStringLiteral("/usr/share/chromium/extensions/ublock-origin/assets/thirdparties/easylist");
}

QString FilterLists::userFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/k-vane/blocking-lists");
}

QList<FilterListFile> FilterLists::find(const QString &systemFolder, const QString &userFolder)
{
    QList<FilterListFile> lists;
    const QDir system(systemFolder);
    addIfPresent(lists, QStringLiteral("EasyList"), QFileInfo(system.filePath(QStringLiteral("easylist.txt"))));
    addIfPresent(lists, QStringLiteral("EasyPrivacy"), QFileInfo(system.filePath(QStringLiteral("easyprivacy.txt"))));
    const QDir user(userFolder);
    for (const QFileInfo &info : user.entryInfoList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
        addIfPresent(lists, info.fileName(), info);
    return lists;
}
