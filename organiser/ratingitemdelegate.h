#pragma once

#include <QStyledItemDelegate>

// Draws one entry of the star rating list: its text at the left and its picture
// at a fixed offset, so that all pictures line up whatever the text.
class RatingItemDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr int PictureMargin = 6; // added to the picture's height
    static constexpr int TextPadding = 4;   // in the drop-down list only

    explicit RatingItemDelegate(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(RatingItemDelegate)

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Where the picture starts, from the entry's left edge.
    static int pictureOffset(const QFontMetrics &metrics);
    static int entryHeight(const QFontMetrics &metrics);
    // Draws text and picture into rect; the background is the caller's.
    static void drawEntry(QPainter *painter, const QRect &rect, const QString &text,
                          const QIcon &picture, const QColor &textColor, bool enabled);
};
