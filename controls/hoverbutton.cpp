#include "controls/hoverbutton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace {
constexpr int Padding = 6;
constexpr int Spacing = 4;
constexpr qreal Radius = 4.0;
} // namespace

HoverButton::HoverButton(QWidget *parent) : HoverButton(QString(), parent) {}

HoverButton::HoverButton(const QString &text, QWidget *parent) : QPushButton(text, parent)
{
    setAttribute(Qt::WA_Hover);
}

HoverButton::~HoverButton() = default;

void HoverButton::setIcons(const QIcon &active, const QIcon &normal)
{
    m_activeIcon = active;
    m_normalIcon = normal.isNull() ? active : normal;
    const QList<QSize> sizes = active.availableSizes();
    if (!sizes.isEmpty())
        setIconSize(sizes.constFirst());
    updateGeometry();
    update();
}

void HoverButton::setIconAlignment(IconAlignment alignment)
{
    m_alignment = alignment;
    updateGeometry();
    update();
}

QColor HoverButton::colour(Colour which) const
{
    if (const auto &chosen = m_colours[size_t(which)])
        return *chosen;
    const bool text = which == Colour::NormalText || which == Colour::ActiveText;
    return palette().color(text ? QPalette::ButtonText : QPalette::Button);
}

void HoverButton::setColour(Colour which, const QColor &colour, bool repaint)
{
    m_colours[size_t(which)] = colour;
    if (repaint)
        update();
}

void HoverButton::resetColour(Colour which, bool repaint)
{
    m_colours[size_t(which)].reset();
    if (repaint)
        update();
}

QSize HoverButton::sizeHint() const
{
    const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
    const QSize image = m_activeIcon.isNull() ? QSize() : iconSize();
    const bool gap = !image.isEmpty() && !text().isEmpty();
    QSize content;
    if (m_alignment == IconAlignment::Above) {
        content = QSize(qMax(image.width(), textSize.width()),
                        image.height() + textSize.height() + (gap ? Spacing : 0));
    } else {
        content = QSize(image.width() + textSize.width() + (gap ? Spacing : 0),
                        qMax(image.height(), textSize.height()));
    }
    return content + QSize(2 * Padding, 2 * Padding);
}

void HoverButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool active = isActive() && isEnabled();
    const QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    // Flat buttons show the parent through until the mouse is over them.
    if (!isFlat() || active) {
        QColor fill = colour(active ? Colour::ActiveBackground : Colour::NormalBackground);
        if (isDown())
            fill = fill.darker(112);
        QColor frame = palette().color(QPalette::Mid);
        if (isDefault() || (active && !isFlat()))
            frame = palette().color(QPalette::Highlight);
        painter.setPen(frame);
        painter.setBrush(fill);
        painter.drawRoundedRect(face, Radius, Radius);
    }

    QRect content = rect().adjusted(Padding, Padding, -Padding, -Padding);
    if (isDown())
        content.translate(1, 1);
    const QIcon &icon = active ? m_activeIcon : m_normalIcon;
    const QIcon::Mode mode = !isEnabled() ? QIcon::Disabled
                             : active     ? QIcon::Active
                                          : QIcon::Normal;
    const QSize image = icon.isNull() ? QSize() : iconSize();
    const QString label = text();
    const int textWidth = fontMetrics().horizontalAdvance(label);
    QRect iconRect;
    QRect textRect = content;
    if (!image.isEmpty()) {
        switch (m_alignment) {
        case IconAlignment::Above:
            iconRect = QRect(content.center().x() - image.width() / 2, content.top(), image.width(),
                             image.height());
            textRect.setTop(iconRect.bottom() + Spacing);
            break;
        case IconAlignment::Left:
        case IconAlignment::Right: {
            const int gap = label.isEmpty() ? 0 : Spacing;
            const int total = image.width() + gap + textWidth;
            int left = content.center().x() - total / 2;
            const int iconLeft = m_alignment == IconAlignment::Left ? left : left + textWidth + gap;
            iconRect = QRect(iconLeft, content.center().y() - image.height() / 2, image.width(),
                             image.height());
            textRect = QRect(m_alignment == IconAlignment::Left ? iconRect.right() + 1 + gap : left,
                             content.top(), textWidth, content.height());
            break;
        }
        }
        icon.paint(&painter, iconRect, Qt::AlignCenter, mode);
    }

    if (!label.isEmpty()) {
        QColor ink = colour(active ? Colour::ActiveText : Colour::NormalText);
        if (!isEnabled())
            ink = palette().color(QPalette::Disabled, QPalette::ButtonText);
        painter.setPen(ink);
        const int flags = Qt::TextShowMnemonic |
                          (m_alignment == IconAlignment::Above ? Qt::AlignHCenter | Qt::AlignTop
                                                               : Qt::AlignCenter);
        painter.drawText(textRect, flags, label);
    }

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

// While the left button is held, a button only stays lit; it does not light up.
void HoverButton::enterEvent(QEnterEvent *event)
{
    QPushButton::enterEvent(event);
    if (isFlat() && !(QApplication::mouseButtons() & Qt::LeftButton))
        setHovered(true);
}

void HoverButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    setHovered(false);
}

void HoverButton::focusOutEvent(QFocusEvent *event)
{
    QPushButton::focusOutEvent(event);
    if (isFlat())
        setHovered(false);
}

void HoverButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool inside = rect().contains(event->position().toPoint());
    const QPointer<HoverButton> alive(this);
    QPushButton::mouseReleaseEvent(event); // a clicked() handler may delete the button
    if (alive && isFlat() && inside)
        setHovered(true);
}

void HoverButton::setHovered(bool hovered)
{
    if (m_hovered == hovered)
        return;
    m_hovered = hovered;
    update();
}
