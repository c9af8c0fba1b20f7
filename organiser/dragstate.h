#pragma once

#include <QPointer>
#include <QString>

#include <memory>

class FolderTree;
class QMimeData;

// What the folder trees need to know about a drag that started in this
// program: whether a folder or bookmark drag runs, which tree it left, and the
// data it carries. Drags from elsewhere never set the flags, so they are refused.
class DragState final
{
public:
    static const QString FolderMimeType;
    static const QString BookmarkMimeType;

    static bool folderDragging() { return s_folderDragging; }
    static void setFolderDragging(bool on) { s_folderDragging = on; }
    static bool bookmarkDragging() { return s_bookmarkDragging; }
    static void setBookmarkDragging(bool on) { s_bookmarkDragging = on; }
    static bool anyDragging() { return s_folderDragging || s_bookmarkDragging; }

    // The tree a folder drag started in, while it exists.
    static FolderTree *sourceTree();
    static void setSourceTree(FolderTree *tree);

    static std::unique_ptr<QMimeData> folderPayload(int folderId);
    static std::unique_ptr<QMimeData> bookmarkPayload();

    // Whether data comes from a drag of this program that is running now.
    static bool isOurs(const QMimeData *data);

private:
    static inline bool s_folderDragging = false;
    static inline bool s_bookmarkDragging = false;
    static inline QPointer<FolderTree> s_sourceTree;
};
