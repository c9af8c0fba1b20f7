#pragma once

#include <QByteArray>
#include <QString>

// The texts a list shows of one bookmark, kept as stored and converted only
// when asked for: a folder of thousands lists without converting every text.
class BookmarkFields final
{
public:
    BookmarkFields() = default;
    explicit BookmarkFields(QByteArray plain) : m_plain(std::move(plain)) {}

    QString address() const;
    QString title() const;
    int rating() const;

private:
    QByteArray m_plain;
};
