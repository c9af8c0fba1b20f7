#include "import/readers/placescopy.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr const char *Journals[] = {"-wal", "-journal"};

// What the database and its journals look like now: any write changes it.
QList<qint64> stamp(const QString &source)
{
    QList<qint64> marks;
    for (const QString &path : {source, source + QLatin1String(Journals[0]),
                                source + QLatin1String(Journals[1])}) {
        const QFileInfo info(path);
        marks << (info.exists() ? info.size() : -1)
              << (info.exists() ? info.lastModified().toMSecsSinceEpoch() : 0);
    }
    return marks;
}

// The cache folder, made when missing and kept to its owner.
bool prepareFolder(const QString &folder, QString &error)
{
    const QFileInfo info(folder);
    if (info.isSymLink()) {
        error = PlacesCopy::tr("%1 is a link, not a folder.").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    if (!QDir().mkpath(folder)
        || !QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        error = PlacesCopy::tr("The folder %1 cannot be made.").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    return true;
}

} // namespace

PlacesCopy::PlacesCopy(const QString &source)
{
    const QString folder = cacheFolder();
    if (!prepareFolder(folder, m_error))
        return;
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        const QList<qint64> before = stamp(source);
        if (!copyOnce(source))
            return;
        if (stamp(source) == before)
            return;
        m_dir.reset();
        m_path.clear();
    }
    m_error = tr("Firefox kept changing the file while it was copied; try again, or close "
                 "Firefox first.");
}

PlacesCopy::~PlacesCopy() = default;

bool PlacesCopy::copyOnce(const QString &source)
{
    m_dir = std::make_unique<QTemporaryDir>(QDir(cacheFolder()).filePath(QStringLiteral("places-XXXXXX")));
    if (!m_dir->isValid()) {
        m_error = m_dir->errorString();
        m_dir.reset();
        return false;
    }
    const QString copy = m_dir->filePath(QStringLiteral("places.sqlite"));
    QFile database(source);
    if (!QFileInfo(source).isFile() || !database.copy(copy)) {
        m_error = database.errorString();
        m_dir.reset();
        return false;
    }
    for (const char *suffix : Journals) {
        const QString journal = source + QLatin1String(suffix);
        if (!QFileInfo::exists(journal))
            continue;
        QFile file(journal);
        if (!QFileInfo(journal).isFile() || !file.copy(copy + QLatin1String(suffix))) {
            m_error = file.errorString();
            m_dir.reset();
            return false;
        }
    }
    m_path = copy;
    return true;
}

QString PlacesCopy::cacheFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
        .filePath(QStringLiteral("import-copies"));
}

void PlacesCopy::sweep()
{
    QDir folder(cacheFolder());
    if (QFileInfo(folder.path()).isSymLink())
        return;
    const QStringList left =
        folder.entryList({QStringLiteral("places-*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &name : left)
        QDir(folder.filePath(name)).removeRecursively();
}
