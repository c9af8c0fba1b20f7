#include "app/bookmarkspageplaceholder.h"

#include "store/bookmarkstore.h"

#include <QVBoxLayout>

BookmarksPagePlaceholder::BookmarksPagePlaceholder(Hive *hive, QWidget *parent)
    : QWidget(parent), m_store(std::make_unique<BookmarkStore>(hive)),
      m_bookmarkList(new QWidget(this))
{
    m_bookmarkList->setObjectName(QStringLiteral("bookmarkList"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_bookmarkList);
}

BookmarksPagePlaceholder::~BookmarksPagePlaceholder() = default;

void BookmarksPagePlaceholder::repaintBookmarkList()
{
    m_bookmarkList->update();
}
