#include "organiser/ratingitemdelegate.h"

#include "organiser/organiserpictures.h"

#include <QApplication>
#include <QPainter>

RatingItemDelegate::RatingItemDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

int RatingItemDelegate::pictureOffset(const QFontMetrics &metrics)
{
    return metrics.horizontalAdvance(QStringLiteral("Not set      "));
}

int RatingItemDelegate::entryHeight(const QFontMetrics &metrics)
{
    return std::max(OrganiserPictures::ratingSize().height(), metrics.height()) + PictureMargin;
}

void RatingItemDelegate::drawEntry(QPainter *painter, const QRect &rect, const QString &text,
                                   const QIcon &picture, const QColor &textColor, bool enabled)
{
    const QFontMetrics metrics = painter->fontMetrics();
    const QSize size = OrganiserPictures::ratingSize();
    const QIcon::Mode mode = enabled ? QIcon::Normal : QIcon::Disabled;
    if (text.isEmpty()) {
        picture.paint(painter, QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, rect),
                      Qt::AlignCenter, mode);
        return;
    }
    painter->save();
    painter->setPen(textColor);
    painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter->restore();
    const QRect place(rect.left() + pictureOffset(metrics),
                      rect.top() + (rect.height() - size.height()) / 2, size.width(),
                      size.height());
    picture.paint(painter, place, Qt::AlignCenter, mode);
}

void RatingItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    QStyleOptionViewItem entry = option;
    initStyleOption(&entry, index);
    const bool selected = entry.state & QStyle::State_Selected;
    const bool enabled = entry.state & QStyle::State_Enabled;
    const QPalette::ColorGroup group = enabled ? QPalette::Normal : QPalette::Disabled;
    painter->fillRect(entry.rect,
                      entry.palette.brush(group, selected ? QPalette::Highlight : QPalette::Base));
    const QColor textColor =
        entry.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    painter->save();
    painter->setFont(entry.font);
    drawEntry(painter, entry.rect.adjusted(TextPadding, 0, 0, 0), entry.text, entry.icon, textColor,
              enabled);
    painter->restore();
    if (entry.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(entry);
        focus.backgroundColor =
            entry.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
        const QWidget *widget = entry.widget;
        (widget ? widget->style() : QApplication::style())
            ->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}

QSize RatingItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const QFontMetrics metrics(option.font);
    return {TextPadding + pictureOffset(metrics) + OrganiserPictures::ratingSize().width() +
                PictureMargin,
            entryHeight(metrics)};
}
