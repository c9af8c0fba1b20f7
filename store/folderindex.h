#pragma once

#include "store/folderentry.h"

#include <QByteArray>
#include <QHash>
#include <QMultiHash>
#include <QString>

#include <memory>
#include <vector>

// Every folder in list order, by id and by parent.
class FolderIndex final
{
public:
    // Takes in a folder read from the hive; false when its name could never be
    // a folder's, and it was left out.
    bool load(const QByteArray &name, const QByteArray &plain, qint64 seq);
    void reserve(qsizetype count);
    // After the last folder is loaded: mends the tree and lists the children.
    void finishLoad();

    FolderEntry *add(std::unique_ptr<FolderEntry> folder);
    void setParent(FolderEntry *folder, int parentId);
    void forget(FolderEntry *folder);

    // The first in list order.
    FolderEntry *withId(int id) const;
    int size() const { return int(m_folders.size()); }
    const FolderEntry *at(int index) const { return m_folders[std::size_t(index)].get(); }
    std::vector<FolderEntry *> children(int parentId) const { return m_children.value(parentId); }
    bool hasChildren(int parentId) const { return m_children.contains(parentId); }
    // The id of the child with this name (ignoring case and blanks), or -1.
    int findChild(const QString &name, int parentId) const;
    bool isInSubtree(int folderId, int rootId) const;
    // The folder and every folder below it, each once even in a damaged hive.
    std::vector<FolderEntry *> subtree(FolderEntry *root) const;

    int highestId() const { return m_highestId; }
    void setHighestId(int id) { m_highestId = id; }

    void clear();
    void check() const;

private:
    void mendParentLoops();
    void unlinkChild(FolderEntry *folder);

    std::vector<std::unique_ptr<FolderEntry>> m_folders;
    QMultiHash<int, FolderEntry *> m_byId;
    QHash<int, std::vector<FolderEntry *>> m_children; // by parent id, in list order
    int m_highestId = 100;
};
