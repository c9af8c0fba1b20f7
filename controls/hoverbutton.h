#pragma once

#include <QColor>
#include <QIcon>
#include <QPushButton>

#include <array>
#include <optional>

// A push button that draws its own face: flat until the mouse is over it, with
// an active icon and colours while hovered or pressed and normal ones otherwise.
// A double click counts as a second press. Cursor and tooltip are the widget's own
// (setCursor, setToolTip).
class HoverButton : public QPushButton
{
    Q_OBJECT

public:
    enum class Colour { NormalBackground, NormalText, ActiveBackground, ActiveText };
    enum class IconAlignment { Left = 0, Above = 1, Right = 2 };

    explicit HoverButton(QWidget *parent = nullptr);
    explicit HoverButton(const QString &text, QWidget *parent = nullptr);
    ~HoverButton() override;
    Q_DISABLE_COPY_MOVE(HoverButton)

    // The normal icon defaults to the active one.
    void setIcons(const QIcon &active, const QIcon &normal = QIcon());
    QIcon activeIcon() const { return m_activeIcon; }
    QIcon normalIcon() const { return m_normalIcon; }

    IconAlignment iconAlignment() const { return m_alignment; }
    void setIconAlignment(IconAlignment alignment);

    // Colours default to the palette's button colours and follow it until set.
    QColor colour(Colour which) const;
    void setColour(Colour which, const QColor &colour, bool repaint = true);
    void resetColour(Colour which, bool repaint = true);

    bool isHovered() const { return m_hovered; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool isActive() const { return m_hovered || isDown(); }
    void setHovered(bool hovered);

    QIcon m_activeIcon;
    QIcon m_normalIcon;
    IconAlignment m_alignment = IconAlignment::Left;
    std::array<std::optional<QColor>, 4> m_colours;
    bool m_hovered = false;
};
