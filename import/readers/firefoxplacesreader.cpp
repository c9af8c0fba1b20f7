#include "import/readers/firefoxplacesreader.h"

#include "import/readers/placescopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <memory>
#include <sqlite3.h>
#include <vector>

namespace {

enum ItemType { Bookmark = 1, Folder = 2 };

struct Item
{
    qint64 id = 0;
    qint64 parent = 0;
    int type = 0;
    QString title;
    QString url;
    QByteArray guid;
};

struct DatabaseCloser
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

QString columnText(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString();
}

QString errorOf(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// What a top-level root becomes: a folder of this name, the top level itself
// (empty name), or nothing (skipped).
enum class RootKind { TopLevel, Named, Skipped };

RootKind rootKind(const Item &root, QString &name)
{
    const QByteArray guid = root.guid;
    const QString title = root.title;
    if (guid == "menu________" || (guid.isEmpty() && title == u"menu"))
        return RootKind::TopLevel;
    if (guid == "tags________" || (guid.isEmpty() && title == u"tags"))
        return RootKind::Skipped; // each tag lists bookmarks that stand elsewhere
    if (guid == "toolbar_____" || (guid.isEmpty() && title == u"toolbar"))
        name = FirefoxPlacesReader::tr("Bookmarks Toolbar");
    else if (guid == "unfiled_____" || (guid.isEmpty() && title == u"unfiled"))
        name = FirefoxPlacesReader::tr("Other Bookmarks");
    else if (guid == "mobile______" || (guid.isEmpty() && title == u"mobile"))
        name = FirefoxPlacesReader::tr("Mobile Bookmarks");
    else
        name = title;
    return RootKind::Named;
}

class PlacesTree final
{
public:
    explicit PlacesTree(const QString &topLabel) : m_topLabel(topLabel) {}

    void add(Item item)
    {
        m_children[item.parent].push_back(int(m_items.size()));
        m_items.push_back(std::move(item));
    }

    void fill(ImportReadResult &result) const
    {
        result.rows.reserve(qsizetype(m_items.size()));
        QSet<qint64> visited;
        for (int root : m_children.value(0)) {
            if (m_items[root].type != Folder || visited.contains(m_items[root].id))
                continue;
            visited.insert(m_items[root].id);
            for (int top : m_children.value(m_items[root].id)) {
                const Item &item = m_items[top];
                if (item.type != Folder || visited.contains(item.id))
                    continue;
                QString name;
                const RootKind kind = rootKind(item, name);
                // A root that holds nothing (most often the mobile one) brings no folder.
                if (kind == RootKind::Skipped
                    || (kind == RootKind::Named && !m_children.contains(item.id)))
                    continue;
                visited.insert(item.id);
                const int into = kind == RootKind::TopLevel
                                     ? ImportFolders::Top
                                     : result.folders.add(ImportFolders::Top, name);
                walk(item.id, into, visited, result);
            }
        }
    }

private:
    // Depth first without recursion, so a deeply nested damaged file cannot
    // exhaust the stack.
    void walk(qint64 folderId, int into, QSet<qint64> &visited, ImportReadResult &result) const
    {
        struct Level
        {
            const std::vector<int> *children;
            std::size_t next;
            int folder;
        };
        static const std::vector<int> none;
        auto childrenOf = [this](qint64 id) {
            const auto found = m_children.constFind(id);
            return found == m_children.cend() ? &none : &found.value();
        };
        const qsizetype startDepth = result.folders.depth(into);
        std::vector<Level> stack{{childrenOf(folderId), 0, into}};
        while (!stack.empty()) {
            Level &level = stack.back();
            if (level.next >= level.children->size()) {
                stack.pop_back();
                continue;
            }
            const Item &item = m_items[(*level.children)[level.next++]];
            if (item.type == Folder && !visited.contains(item.id)) {
                visited.insert(item.id);
                const int child = result.folders.add(level.folder, item.title);
                stack.push_back({childrenOf(item.id), 0, child});
            } else if (item.type == Bookmark && !item.url.isEmpty()
                       && !item.url.startsWith(QLatin1String("place:"))) {
                result.placedAtMaxDepth +=
                    startDepth + qsizetype(stack.size()) - 1 > ImportFolders::MaxDepth;
                ImportRow row;
                row.title = item.title.isEmpty() ? item.url : item.title;
                row.address = item.url;
                row.label = level.folder == ImportFolders::Top ? m_topLabel
                                                               : result.folders.name(level.folder);
                row.folder = level.folder;
                result.rows.append(std::move(row));
            }
        }
    }

    QString m_topLabel;
    std::vector<Item> m_items;
    QHash<qint64, std::vector<int>> m_children; // by parent id, in Firefox's order
};

constexpr const char *ItemsWithGuid =
    "SELECT b.id, b.parent, b.type, b.title, p.url, b.guid FROM moz_bookmarks b "
    "LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position, b.id";
// Profiles from before bookmarks had guids.
constexpr const char *ItemsWithoutGuid =
    "SELECT b.id, b.parent, b.type, b.title, p.url, NULL FROM moz_bookmarks b "
    "LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position, b.id";

} // namespace

ImportReadResult FirefoxPlacesReader::readPlaces(const QString &path, const QString &topLabel,
                                                 const ReadProgress &progress)
{
    ImportReadResult result;
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo(path).isFile()) {
        result.error = tr("The Firefox bookmarks %1 cannot be found: the profile may have been "
                          "deleted.").arg(shown);
        return result;
    }
    // Removed as soon as the read is over, the database closed before it.
    const PlacesCopy scratch(path);
    const QString copy = scratch.path();
    if (copy.isEmpty()) {
        result.error = tr("The Firefox bookmarks %1 cannot be read: %2").arg(shown, scratch.error());
        return result;
    }

    auto fail = [&](sqlite3 *db) {
        result.error = tr("The Firefox bookmarks %1 cannot be read: %2").arg(shown, errorOf(db));
        result.rows.clear();
        return result;
    };
    sqlite3 *opened = nullptr;
    const int openResult = sqlite3_open_v2(QFile::encodeName(copy).constData(), &opened,
                                           SQLITE_OPEN_READWRITE, nullptr);
    Database db(opened);
    if (openResult != SQLITE_OK)
        return fail(db.get());

    qint64 total = 0;
    if (progress) {
        sqlite3_stmt *counting = nullptr;
        sqlite3_prepare_v2(db.get(), "SELECT count(*) FROM moz_bookmarks", -1, &counting, nullptr);
        Statement count(counting);
        if (count && sqlite3_step(count.get()) == SQLITE_ROW)
            total = sqlite3_column_int64(count.get(), 0);
    }

    sqlite3_stmt *prepared = nullptr;
    if (sqlite3_prepare_v2(db.get(), ItemsWithGuid, -1, &prepared, nullptr) != SQLITE_OK
        && sqlite3_prepare_v2(db.get(), ItemsWithoutGuid, -1, &prepared, nullptr) != SQLITE_OK)
        return fail(db.get());
    Statement items(prepared);

    PlacesTree tree(topLabel);
    qint64 done = 0;
    int step;
    while ((step = sqlite3_step(items.get())) == SQLITE_ROW) {
        if (progress && ++done % 4096 == 0 && !progress(done, total)) {
            result.cancelled = true;
            return result;
        }
        Item item;
        item.id = sqlite3_column_int64(items.get(), 0);
        item.parent = sqlite3_column_int64(items.get(), 1);
        item.type = sqlite3_column_int(items.get(), 2);
        item.title = columnText(items.get(), 3);
        item.url = columnText(items.get(), 4);
        if (const auto *guid = sqlite3_column_text(items.get(), 5))
            item.guid = QByteArray(reinterpret_cast<const char *>(guid),
                                   sqlite3_column_bytes(items.get(), 5));
        tree.add(std::move(item));
    }
    if (step != SQLITE_DONE)
        return fail(db.get());
    tree.fill(result);
    return result;
}
