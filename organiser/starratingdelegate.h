#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

// Paints a cell holding a rating 0..5 as a strip of 7 x 7 stars instead of
// its number. Set it on the list's rating column.
class StarRatingDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr int StarSize = 7;
    static constexpr int MaxStars = 5;
    static constexpr int LeftMargin = 4;

    explicit StarRatingDelegate(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(StarRatingDelegate)

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The number of stars a cell text stands for; anything else than 0..5 is clamped.
    static int starsFor(const QString &text);

private:
    const QPixmap &strip(qreal devicePixelRatio) const;

    mutable QPixmap m_strip;
};
