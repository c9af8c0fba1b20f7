#pragma once

#include "organiser/bookmarkpageaccess.h"
#include "store/bookmarkstore.h"
#include "store/hive/memoryhive.h"

#include <QString>

#include <memory>
#include <optional>

// Stands in for the bookmarks page: an empty store, the selected folder, and
// whatever fields a dialog writes back.
class FakePage final : public BookmarkPageAccess
{
public:
    FakePage()
    {
        m_hive.createKey(BookmarkStore::KeyPath);
        m_hive.setValue(BookmarkStore::KeyPath, "INI", "YES"); // no first-run collection
        m_store = std::make_unique<BookmarkStore>(&m_hive);
    }

    BookmarkStore &store() override { return *m_store; }
    int selectedFolderId() const override { return selected; }
    QString selectedFolderName() const override { return QStringLiteral("Favorites"); }
    void setEditedBookmark(const BookmarkRecord &fields) override { edited = fields; }
    QString folderName() const override { return name; }
    void setFolderName(const QString &text) override
    {
        name = text;
        ++nameWrites;
    }
    void setMoveTarget(int folderId) override { moveTarget = folderId; }

    int selected = 0;
    std::optional<BookmarkRecord> edited;
    QString name = QStringLiteral("untouched");
    int nameWrites = 0;
    std::optional<int> moveTarget;

private:
    MemoryHive m_hive;
    std::unique_ptr<BookmarkStore> m_store;
};
