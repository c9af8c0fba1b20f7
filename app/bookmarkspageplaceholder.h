#pragma once

#include <QWidget>

#include <memory>

class BookmarkStore;
class Hive;

// Stands in for the bookmarks page: owns the one bookmark store for as long as
// the page lives, so that a first start writes the default collection, and
// holds an (empty) bookmark list area.
class BookmarksPagePlaceholder final : public QWidget
{
    Q_OBJECT

public:
    explicit BookmarksPagePlaceholder(Hive *hive, QWidget *parent = nullptr);
    ~BookmarksPagePlaceholder() override;
    Q_DISABLE_COPY_MOVE(BookmarksPagePlaceholder)

    BookmarkStore *store() const { return m_store.get(); }
    QWidget *bookmarkList() const { return m_bookmarkList; }

public slots:
    void repaintBookmarkList();

private:
    std::unique_ptr<BookmarkStore> m_store;
    QWidget *m_bookmarkList;
};
