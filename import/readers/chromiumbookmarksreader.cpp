#include "import/readers/chromiumbookmarksreader.h"

#include "import/readers/filelimits.h"
#include "import/readers/regularfile.h"

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
    Walker(const ReadProgress &progress, ImportReadResult &result)
        : m_progress(progress), m_result(result)
    {
    }

    // Returns false when progress cancelled the walk.
    bool walk(const QJsonObject &folder, int into, const QString &label)
    {
        // Depth first without recursion: the file's nesting is not ours to trust.
        struct Level
        {
            QJsonArray children;
            qsizetype next;
            int folder;
            QString label;
        };
        std::vector<Level> stack{
            {folder.value(QLatin1String("children")).toArray(), 0, into, label}};
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
                const int child = m_result.folders.add(level.folder, name);
                stack.push_back({node.value(QLatin1String("children")).toArray(), 0, child,
                                 m_result.folders.name(child)});
            } else if (type == u"url") {
                const QString url = node.value(QLatin1String("url")).toString();
                if (url.isEmpty())
                    continue;
                // Each level of the stack is one folder deeper than the first.
                const qsizetype depth =
                    m_result.folders.depth(stack.front().folder) + qsizetype(stack.size()) - 1;
                m_result.placedAtMaxDepth += depth > ImportFolders::MaxDepth;
                ImportRow row;
                row.title = name.isEmpty() ? url : name;
                row.address = url;
                row.label = level.label;
                row.folder = level.folder;
                m_result.rows.append(std::move(row));
            }
        }
        return true;
    }

private:
    const ReadProgress &m_progress;
    ImportReadResult &m_result;
    qint64 m_steps = 0;
};

} // namespace

ImportReadResult ChromiumBookmarksReader::readBookmarks(const QString &path,
                                                        const QString &topLabel,
                                                        const ReadProgress &progress)
{
    ImportReadResult result;
    const QString shown = QDir::toNativeSeparators(path);
    QFile file;
    if (!QFileInfo(path).isFile()) {
        result.error = tr("The Chromium bookmarks %1 cannot be found: the profile may have been "
                          "deleted.")
                           .arg(shown);
        return result;
    }
    QString error;
    if (!RegularFile::open(file, path, &error)) {
        result.error = tr("The Chromium bookmarks %1 cannot be read: %2").arg(shown, error);
        return result;
    }
    if (file.size() > FileLimits::MaxReadSize) {
        result.error = tr("The file %1 is larger than %2 MB and cannot be imported.")
                           .arg(shown)
                           .arg(FileLimits::MaxReadSize / (1024 * 1024));
        return result;
    }
    const QByteArray json = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error =
            tr("The Chromium bookmarks %1 cannot be read: %2").arg(shown, file.errorString());
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
    Walker walker(progress, result);
    for (const Root &root : order) {
        const QJsonObject folder = roots.value(root.key).toObject();
        bool finished;
        if (root.fallbackName.isEmpty()) {
            finished = walker.walk(folder, ImportFolders::Top, topLabel);
        } else {
            // A root that holds nothing (most often the mobile one) brings no folder.
            if (folder.value(QLatin1String("children")).toArray().isEmpty())
                continue;
            QString name = folder.value(QLatin1String("name")).toString();
            if (name.isEmpty())
                name = root.fallbackName;
            const int into = result.folders.add(ImportFolders::Top, name);
            finished = walker.walk(folder, into, name);
        }
        if (!finished)
            return ImportReadResult::cancelledRead();
    }
    return result;
}
