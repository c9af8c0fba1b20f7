#include "import/readers/filesnapshot.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHashFunctions>

FileSnapshot FileSnapshot::of(const QString &path, QByteArrayView text)
{
    const QFileInfo info(path);
    return {text.size(), info.lastModified().toMSecsSinceEpoch(), qHash(text, 0)};
}
