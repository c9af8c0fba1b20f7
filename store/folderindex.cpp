#include "store/folderindex.h"

#include "store/bookmarkvalue.h"
#include "store/seqorder.h"
#include "store/storedtext.h"

#include <QSet>

bool FolderIndex::load(const QByteArray &name, const QByteArray &plain, qint64 seq)
{
    const int id =
        StoredText::leadingInt(QByteArrayView(name).sliced(std::min<qsizetype>(2, name.size())));
    if (id <= 0)
        return false; // not a folder we could ever name; left as it is in the hive
    BookmarkValue::FolderFields fields = BookmarkValue::splitFolder(plain);
    auto folder = std::make_unique<FolderEntry>();
    folder->seq = seq;
    folder->valueName = name; // shared, not copied
    folder->name = std::move(fields.name);
    folder->id = id;
    folder->parentId = fields.parentId;
    m_byId.insert(id, folder.get());
    m_folders.push_back(std::move(folder));
    m_highestId = std::max(m_highestId, id);
    return true;
}

void FolderIndex::reserve(qsizetype count)
{
    m_byId.reserve(count);
}

void FolderIndex::finishLoad()
{
    mendParentLoops();
    for (const auto &folder : m_folders)
        m_children[folder->parentId].push_back(folder.get());
}

// A damaged hive may hold folders whose parent chain loops, or whose parent is
// missing; each loop's first folder in list order, and each orphan, is taken as
// top-level so that every walk ends and every folder can be seen.
void FolderIndex::mendParentLoops()
{
    for (const auto &folder : m_folders)
        folder->walk = FolderEntry::Unseen;
    std::vector<FolderEntry *> path;
    for (const auto &start : m_folders) {
        path.clear();
        FolderEntry *folder = start.get();
        while (folder && folder->walk == FolderEntry::Unseen) {
            folder->walk = FolderEntry::OnPath;
            path.push_back(folder);
            FolderEntry *parent = folder->parentId == 0 ? nullptr : withId(folder->parentId);
            if (!parent)
                folder->parentId = 0; // its parent is gone: show it at the top
            folder = parent;
        }
        if (folder && folder->walk == FolderEntry::OnPath) {
            auto loop = std::find(path.begin(), path.end(), folder);
            FolderEntry *entry = *std::min_element(loop, path.end(), SeqOrder::before);
            entry->parentId = 0;
        }
        for (FolderEntry *visited : path)
            visited->walk = FolderEntry::Done;
    }
}

FolderEntry *FolderIndex::add(std::unique_ptr<FolderEntry> folder)
{
    FolderEntry *added = folder.get();
    m_folders.push_back(std::move(folder));
    m_byId.insert(added->id, added);
    m_children[added->parentId].push_back(added);
    m_highestId = std::max(m_highestId, added->id);
    return added;
}

void FolderIndex::setParent(FolderEntry *folder, int parentId)
{
    unlinkChild(folder);
    folder->parentId = parentId;
    auto &siblings = m_children[parentId];
    siblings.insert(SeqOrder::position(siblings, folder), folder);
}

void FolderIndex::unlinkChild(FolderEntry *folder)
{
    auto siblings = m_children.find(folder->parentId);
    if (siblings == m_children.end())
        return;
    auto at = SeqOrder::position(*siblings, folder);
    if (at != siblings->end() && *at == folder)
        siblings->erase(at);
    if (siblings->empty())
        m_children.erase(siblings);
}

void FolderIndex::forget(FolderEntry *folder)
{
    unlinkChild(folder);
    m_children.remove(folder->id);
    m_byId.remove(folder->id, folder);
    m_folders.erase(SeqOrder::position(m_folders, folder));
}

FolderEntry *FolderIndex::withId(int id) const
{
    FolderEntry *first = nullptr;
    for (auto [it, end] = m_byId.equal_range(id); it != end; ++it)
        if (!first || (*it)->seq < first->seq)
            first = *it;
    return first;
}

int FolderIndex::findChild(const QString &name, int parentId) const
{
    const auto children = m_children.constFind(parentId);
    if (children == m_children.cend())
        return -1;
    const QString wanted = name.trimmed();
    for (const FolderEntry *folder : *children)
        if (folder->name.trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return folder->id;
    return -1;
}

bool FolderIndex::isInSubtree(int folderId, int rootId) const
{
    for (std::size_t steps = 0; folderId != 0 && steps <= m_folders.size(); ++steps) {
        if (folderId == rootId)
            return true;
        const FolderEntry *folder = withId(folderId);
        if (!folder)
            return false;
        folderId = folder->parentId;
    }
    return false;
}

std::vector<FolderEntry *> FolderIndex::subtree(FolderEntry *root) const
{
    std::vector<FolderEntry *> folders{root};
    QSet<const FolderEntry *> seen{root};
    for (std::size_t next = 0; next < folders.size(); ++next) {
        for (FolderEntry *child : m_children.value(folders[next]->id)) {
            if (!seen.contains(child)) {
                seen.insert(child);
                folders.push_back(child);
            }
        }
    }
    return folders;
}

void FolderIndex::clear()
{
    m_children.clear();
    m_byId.clear();
    m_folders.clear();
    m_highestId = 100;
}

void FolderIndex::check() const
{
#ifndef QT_NO_DEBUG
    Q_ASSERT(qsizetype(m_folders.size()) == m_byId.size());
    std::size_t children = 0;
    for (const auto &siblings : m_children)
        children += siblings.size();
    Q_ASSERT(children == m_folders.size());
#endif
}
