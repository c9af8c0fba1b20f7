#include "store/bookmarkvalue.h"

#include "store/storedtext.h"

#include <algorithm>

namespace BookmarkValue {

Lines splitLines(QByteArrayView plain)
{
    Lines lines;
    qsizetype from = 0;
    for (QByteArrayView &field : lines.field) {
        if (from > plain.size())
            return lines;
        const qsizetype end = plain.indexOf(LineFeed, from);
        if (end < 0) {
            field = plain.sliced(from);
            return lines;
        }
        field = plain.sliced(from, end - from);
        from = end + 1;
    }
    lines.rest = plain.sliced(from);
    return lines;
}

int clampRating(int rating)
{
    return std::clamp(rating, 0, 5);
}

QByteArray composePlain(const BookmarkRecord &record)
{
    return StoredText::line(record.address) + LineFeed + StoredText::line(record.title) + LineFeed
         + StoredText::line(record.comments, '\t') + LineFeed + StoredText::line(record.reserved)
         + LineFeed + QByteArray::number(clampRating(record.rating));
}

QByteArray withTitle(const QByteArray &plain, const QString &title)
{
    const qsizetype first = plain.indexOf(LineFeed);
    const qsizetype second = first < 0 ? -1 : plain.indexOf(LineFeed, first + 1);
    const QByteArray line = StoredText::line(title);
    if (first < 0)
        return plain + LineFeed + line;
    return plain.left(first + 1) + line + (second < 0 ? QByteArray() : plain.mid(second));
}

std::optional<NameParts> splitName(QByteArrayView name)
{
    const qsizetype ur = name.indexOf("ur");
    const qsizetype dash = ur < 0 ? -1 : name.indexOf('-', ur + 2);
    if (dash < 0)
        return std::nullopt;
    NameParts parts{name.sliced(ur + 2, dash - ur - 2), name.sliced(dash + 1), false};
    parts.usual = ur == 0 && StoredText::isPlainNumber(parts.folder)
               && StoredText::isPlainNumber(parts.id);
    return parts;
}

QByteArray bookmarkName(int folderId, QByteArrayView idText)
{
    return "ur" + QByteArray::number(folderId) + '-' + idText.toByteArray();
}

QByteArray folderName(int folderId)
{
    return "gr" + QByteArray::number(folderId);
}

QByteArray folderPlain(const QString &name, int parentId)
{
    return StoredText::line(name) + LineFeed + QByteArray::number(parentId);
}

FolderFields splitFolder(const QByteArray &plain)
{
    const qsizetype lineFeed = plain.indexOf(LineFeed);
    if (lineFeed < 0)
        return {QString::fromUtf8(plain), 0};
    return {QString::fromUtf8(QByteArrayView(plain).first(lineFeed)),
            std::max(0, StoredText::leadingInt(QByteArrayView(plain).sliced(lineFeed + 1)))};
}

} // namespace BookmarkValue
