#pragma once

#include <QList>
#include <QString>

// One list file and what identifies its content for the compiled cache.
struct FilterListFile
{
    QString name;
    QString path;
    qint64 size = 0;
    qint64 modified = 0; // milliseconds since the epoch

    friend bool operator==(const FilterListFile &, const FilterListFile &) = default;
};

// Where the lists come from: EasyList and EasyPrivacy as the system installs
// them, then every *.txt file of the user's own lists folder.
namespace FilterLists {

QString systemFolder();
// $XDG_CONFIG_HOME/k-vane/blocking-lists
QString userFolder();
// The lists present now, with their sizes and times; missing ones are left out.
QList<FilterListFile> find(const QString &systemFolder = FilterLists::systemFolder(),
                           const QString &userFolder = FilterLists::userFolder());

} // namespace FilterLists
