#pragma once

#include <QObject>
#include <QSet>
#include <QString>

#include <functional>

class BookmarkStore;
class FolderTree;
class QTreeWidgetItem;

// Keeps a folder tree as small as what can be seen: a folder's children are
// created when it is first expanded, and until then the folder only shows its
// expand arrow. A refresh brings just the folders that changed in the store up
// to date, in place, so that expansion, selection and scroll position stay.
// The store stays the one source of truth; the tree holds only visible rows.
class LazyFill final : public QObject
{
    Q_OBJECT

public:
    // One child of a folder, in the order the tree shows them.
    struct Entry
    {
        int id = 0;
        QString label;
        bool folder = true;
    };
    // The children of a folder (0: the top level), as the store has them now.
    using Lister = std::function<QList<Entry>(int folderId)>;
    enum class Shows { Folders, FoldersAndBookmarks };

    LazyFill(FolderTree *tree, BookmarkStore &store, Shows shows, Lister lister);
    Q_DISABLE_COPY_MOVE(LazyFill)

    // A tree with one root item of this label standing for the top level.
    void setRootLabel(const QString &label) { m_rootLabel = label; }
    // The item standing for the top level: the root item, or the invisible root.
    QTreeWidgetItem *topItem() const;

    // Fills the tree again from the store, keeping what was expanded, the
    // current item and the scroll position where those still exist.
    void rebuild();
    // Brings the folders that changed since the last fill up to date. Returns
    // false when nothing was shown differently.
    bool refresh();
    // Creates item's children if they were not created yet.
    void ensureFilled(QTreeWidgetItem *item);
    static bool isFilled(const QTreeWidgetItem *item);

    // The item of a folder; with reveal, its ancestors are filled on the way,
    // else null when it has not been created.
    QTreeWidgetItem *folderItem(int folderId, bool reveal);

private:
    struct State
    {
        QSet<int> expanded;   // folder ids
        QList<qint64> current; // keys from the top down
        int scroll = 0;
    };

    static qint64 key(const QTreeWidgetItem *item);
    static qint64 key(const Entry &entry);
    State capture() const;
    void restore(const State &state);
    void reopen(QTreeWidgetItem *item, const QSet<int> &expanded);
    QTreeWidgetItem *makeItem(const Entry &entry, QTreeWidgetItem *parent, int at);
    void showArrow(QTreeWidgetItem *item, bool hasChildren);
    bool hasChildren(int folderId) const;
    bool refreshFolder(int folderId);
    bool refreshChildren(QTreeWidgetItem *item, int folderId);
    void fill(QTreeWidgetItem *item);
    static QTreeWidgetItem *childWithKey(const QTreeWidgetItem *item, qint64 key);

    FolderTree *m_tree;
    BookmarkStore &m_store;
    Shows m_shows;
    Lister m_lister;
    QString m_rootLabel;
    quint64 m_seen = 0; // the store's change count at the last fill
    bool m_built = false;
};
