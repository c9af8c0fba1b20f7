#include "import/readers/importfolders.h"

#include <QStringList>

int ImportFolders::add(int parent, const QString &name)
{
    const int parentDepth = depth(parent);
    if (parentDepth >= MaxDepth)
        return parent;
    m_folders.push_back({parent, parentDepth + 1, name});
    return count() - 1;
}

QString ImportFolders::path(int folder) const
{
    QStringList names;
    for (; folder != Top; folder = parent(folder))
        names.prepend(name(folder));
    return names.isEmpty() ? QString() : QLatin1Char('\\') + names.join(QLatin1Char('\\'));
}

int ImportFolders::addPath(const QString &path)
{
    int folder = Top;
    const QStringList names = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString &name : names) {
        int found = -1;
        for (int f = 1; f < count() && found < 0; ++f)
            if (parent(f) == folder && this->name(f) == name)
                found = f;
        folder = found >= 0 ? found : add(folder, name);
    }
    return folder;
}
