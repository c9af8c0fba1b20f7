#include "import/readers/chromiumbookmarksreader.h"

#include "import/readers/filelimits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <vector>

namespace {

class Walker final
{
public:
    Walker(const ReadProgress &progress) : m_progress(progress) {}

    // Returns false when progress cancelled the walk.
    bool walk(const QJsonObject &folder, const QString &path, const QString &label, ImportRows &rows)
    {
        // Depth first without recursion: the file's nesting is not ours to trust.
        struct Level
        {
            QJsonArray children;
            qsizetype next;
            QString path;
            QString label;
        };
        std::vector<Level> stack{{folder.value(QLatin1String("children")).toArray(), 0, path, label}};
        while (!stack.empty()) {
            Level &level = stack.back();
            if (level.next >= level.children.size()) {
                stack.pop_back();
                continue;
            }
            const QJsonObject node = level.children.at(level.next++).toObject();
            if (m_progress && ++m_steps % 4096 == 0 && !m_progress(m_steps, 0))
                return false;
            const QString type = node.value(QLatin1String("type")).toString();
            const QString name = node.value(QLatin1String("name")).toString();
            if (type == u"folder") {
                const QString childPath = level.path + QLatin1Char('\\') + name;
                stack.push_back({node.value(QLatin1String("children")).toArray(), 0, childPath, name});
            } else if (type == u"url") {
                const QString url = node.value(QLatin1String("url")).toString();
                if (!url.isEmpty())
                    rows.append(ImportRow{name.isEmpty() ? url : name, url, level.label, level.path, {}});
            }
        }
        return true;
    }

private:
    const ReadProgress &m_progress;
    qint64 m_steps = 0;
};

} // namespace

ImportReadResult ChromiumBookmarksReader::readBookmarks(const QString &path, const QString &topLabel,
                                                        const ReadProgress &progress)
{
    ImportReadResult result;
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        result.error = tr("The Chromium bookmarks %1 cannot be found: the profile may have been "
                          "deleted.").arg(shown);
        return result;
    }
    if (file.size() > FileLimits::MaxReadSize) {
        result.error = tr("The file %1 is larger than %2 MB and cannot be imported.")
                           .arg(shown)
                           .arg(FileLimits::MaxReadSize / (1024 * 1024));
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = tr("The Chromium bookmarks %1 cannot be read: %2").arg(shown, file.errorString());
        return result;
    }
    const QByteArray json = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = tr("The Chromium bookmarks %1 cannot be read: %2").arg(shown, file.errorString());
        return result;
    }
    result = readBookmarksJson(json, topLabel, progress);
    if (!result.error.isEmpty())
        result.error = tr("The Chromium bookmarks %1 cannot be read: %2").arg(shown, result.error);
    return result;
}

ImportReadResult ChromiumBookmarksReader::readBookmarksJson(const QByteArray &json,
                                                            const QString &topLabel,
                                                            const ReadProgress &progress)
{
    ImportReadResult result;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        result.error = tr("the file is damaged (%1 at byte %2).")
                           .arg(parseError.errorString())
                           .arg(parseError.offset);
        return result;
    }
    const QJsonObject roots = document.object().value(QLatin1String("roots")).toObject();
    if (roots.isEmpty()) {
        result.error = tr("the file holds no Chromium bookmarks.");
        return result;
    }
    // The folder names Chromium shows when the file gives none.
    struct Root
    {
        QLatin1String key;
        QString fallbackName; // empty: the contents go to the top level
    };
    const Root order[] = {{QLatin1String("bookmark_bar"), tr("Bookmarks bar")},
                          {QLatin1String("other"), QString()},
                          {QLatin1String("synced"), tr("Mobile bookmarks")}};
    Walker walker(progress);
    for (const Root &root : order) {
        const QJsonObject folder = roots.value(root.key).toObject();
        bool finished;
        if (root.fallbackName.isEmpty()) {
            finished = walker.walk(folder, QString(), topLabel, result.rows);
        } else {
            QString name = folder.value(QLatin1String("name")).toString();
            if (name.isEmpty())
                name = root.fallbackName;
            finished = walker.walk(folder, QLatin1Char('\\') + name, name, result.rows);
        }
        if (!finished) {
            result.rows.clear();
            result.cancelled = true;
            return result;
        }
    }
    return result;
}
