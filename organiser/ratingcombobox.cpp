#include "organiser/ratingcombobox.h"

#include "organiser/organiserpictures.h"
#include "organiser/ratingitemdelegate.h"

#include <QStylePainter>

RatingComboBox::RatingComboBox(QWidget *parent) : QComboBox(parent)
{
    const QStringList texts = {tr("  Not set"), tr("  1 star"),  tr("  2 stars"),
                               tr("  3 stars"), tr("  4 stars"), tr("  5 stars")};
    for (int rating = 0; rating <= MaxRating; ++rating)
        addItem(OrganiserPictures::rating(rating), texts.at(rating));
    setIconSize(OrganiserPictures::ratingSize());
    setItemDelegate(new RatingItemDelegate(this));
    setCurrentIndex(0);
}

void RatingComboBox::setRating(int rating)
{
    setCurrentIndex(rating >= 0 && rating <= MaxRating ? rating : 0);
}

QSize RatingComboBox::sizeHint() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QFontMetrics metrics = fontMetrics();
    const QSize content(RatingItemDelegate::pictureOffset(metrics) +
                            OrganiserPictures::ratingSize().width() +
                            RatingItemDelegate::PictureMargin,
                        RatingItemDelegate::entryHeight(metrics));
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option, content, this);
}

void RatingComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Normal : QPalette::Disabled;
    RatingItemDelegate::drawEntry(&painter, field, currentText(), itemIcon(currentIndex()),
                                  palette().color(group, QPalette::ButtonText), isEnabled());
}
