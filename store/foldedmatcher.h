#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// Decides whether a bookmark answers a typed search: every word of the search
// must occur in its title, address or comments, in any order, with case and
// accents ignored. Built once per search text; works on the store's UTF-8.
class FoldedMatcher final
{
public:
    explicit FoldedMatcher(const QString &search);

    // No words: nothing to look for.
    bool isEmpty() const { return m_words.isEmpty(); }
    bool matches(QByteArrayView title, QByteArrayView address, QByteArrayView comments) const;

    // Lower case, accents dropped: "Éclair" and "eclair" fold alike.
    static QString fold(const QString &text);

private:
    void appendFolded(QByteArrayView utf8) const;

    QList<QByteArray> m_words; // folded, UTF-8
    mutable QByteArray m_folded; // reused from one bookmark to the next
};
