#include "store/bookmarkfields.h"

#include "store/bookmarkvalue.h"
#include "store/storedtext.h"

using namespace BookmarkValue;

QString BookmarkFields::address() const
{
    return QString::fromUtf8(splitLines(m_plain).field[0]);
}

QString BookmarkFields::title() const
{
    return QString::fromUtf8(splitLines(m_plain).field[1]);
}

int BookmarkFields::rating() const
{
    return clampRating(StoredText::leadingInt(splitLines(m_plain).rest));
}
