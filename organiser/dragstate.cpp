#include "organiser/dragstate.h"

#include "organiser/foldertree.h"

#include <QMimeData>

const QString DragState::FolderMimeType = QStringLiteral("application/x-harbrow-folder");
const QString DragState::BookmarkMimeType = QStringLiteral("application/x-harbrow-bookmarks");

FolderTree *DragState::sourceTree()
{
    return s_sourceTree;
}

void DragState::setSourceTree(FolderTree *tree)
{
    s_sourceTree = tree;
}

std::unique_ptr<QMimeData> DragState::folderPayload(int folderId)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(FolderMimeType, QByteArray::number(folderId));
    return data;
}

// The rows themselves are the list's selection; the data only names the kind.
std::unique_ptr<QMimeData> DragState::bookmarkPayload()
{
    auto data = std::make_unique<QMimeData>();
    data->setData(BookmarkMimeType, QByteArray());
    return data;
}

bool DragState::isOurs(const QMimeData *data)
{
    if (!data)
        return false;
    return (s_folderDragging && data->hasFormat(FolderMimeType))
        || (s_bookmarkDragging && data->hasFormat(BookmarkMimeType));
}
