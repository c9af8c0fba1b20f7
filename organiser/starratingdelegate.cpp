#include "organiser/starratingdelegate.h"

#include "organiser/organiserpictures.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>

StarRatingDelegate::StarRatingDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

int StarRatingDelegate::starsFor(const QString &text)
{
    return std::clamp(text.trimmed().toInt(), 0, MaxStars);
}

const QPixmap &StarRatingDelegate::strip(qreal devicePixelRatio) const
{
    if (m_strip.isNull() || !qFuzzyCompare(m_strip.devicePixelRatio(), devicePixelRatio))
        m_strip = OrganiserPictures::render(OrganiserPictures::starStripPath(),
                                            QSize(StarSize * MaxStars, StarSize), devicePixelRatio);
    return m_strip;
}

void StarRatingDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const int stars = starsFor(cell.text);
    cell.text.clear();
    const QWidget *widget = cell.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    if (stars == 0)
        return;

    const qreal ratio = painter->device()->devicePixelRatio();
    const QPixmap &picture = strip(ratio);
    const int width = stars * StarSize;
    const QRect target(option.rect.left() + LeftMargin,
                       option.rect.top() + (option.rect.height() - StarSize) / 2, width, StarSize);
    const QRectF source(0, 0, width * ratio, StarSize * ratio);
    painter->drawPixmap(QRectF(target), picture, source);
}

QSize StarRatingDelegate::sizeHint(const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setWidth(LeftMargin * 2 + StarSize * MaxStars);
    return size.expandedTo(QSize(0, StarSize + 4));
}
