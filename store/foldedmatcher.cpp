#include "store/foldedmatcher.h"

#include <QRegularExpression>

#include <array>

namespace {

// ASCII folds by table; anything else goes the long way through fold().
const std::array<char, 128> &asciiLower()
{
    static const std::array<char, 128> table = [] {
        std::array<char, 128> t{};
        for (int c = 0; c < 128; ++c)
            t[c] = char(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
        return t;
    }();
    return table;
}

bool isAscii(QByteArrayView text)
{
    for (char c : text)
        if (uchar(c) >= 0x80)
            return false;
    return true;
}

bool isMark(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
        || category == QChar::Mark_Enclosing;
}

} // namespace

FoldedMatcher::FoldedMatcher(const QString &search)
{
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    const QStringList words = fold(search).split(spaces, Qt::SkipEmptyParts);
    for (const QString &word : words)
        m_words.append(word.toUtf8());
}

QString FoldedMatcher::fold(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString bare;
    bare.reserve(decomposed.size());
    for (QChar c : decomposed)
        if (!isMark(c))
            bare.append(c);
    return bare.toCaseFolded();
}

void FoldedMatcher::appendFolded(QByteArrayView utf8) const
{
    if (!isAscii(utf8)) {
        m_folded.append(fold(QString::fromUtf8(utf8)).toUtf8());
        return;
    }
    const std::array<char, 128> &lower = asciiLower();
    const qsizetype start = m_folded.size();
    m_folded.resize(start + utf8.size());
    char *out = m_folded.data() + start;
    for (char c : utf8)
        *out++ = lower[uchar(c)];
}

// The fields are joined by a line break, which no word holds, so a word never
// matches across two fields.
bool FoldedMatcher::matches(QByteArrayView title, QByteArrayView address,
                            QByteArrayView comments) const
{
    if (m_words.isEmpty())
        return false;
    m_folded.resize(0);
    appendFolded(title);
    m_folded.append('\n');
    appendFolded(address);
    m_folded.append('\n');
    appendFolded(comments);
    const QByteArrayView haystack(m_folded);
    for (const QByteArray &word : m_words)
        if (haystack.indexOf(word) < 0)
            return false;
    return true;
}
