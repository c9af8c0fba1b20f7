#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

// A text label with its own font and colours that opens its address when
// clicked. Callers change fontDescription() and then recreateFont(), or set a
// size in points with setFontSize().
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LinkLabel(QWidget *parent = nullptr);
    explicit LinkLabel(const QString &text, QWidget *parent = nullptr);
    ~LinkLabel() override;
    Q_DISABLE_COPY_MOVE(LinkLabel)

    QFont &fontDescription() { return m_fontDescription; }
    const QFont &fontDescription() const { return m_fontDescription; }
    // Applies the description as the label's font.
    void recreateFont();
    // Sets the font size in points and repaints at once.
    void setFontSize(int points);

    QColor textColour() const { return m_textColour; }
    void setTextColour(const QColor &colour);
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour);

    QString address() const { return m_address; }
    void setAddress(const QString &address) { m_address = address; }

signals:
    void clicked();

protected:
    // By default opens the address; an empty or unusable address opens nothing.
    virtual void onClick();

    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void applyColours();

    QFont m_fontDescription;
    QColor m_textColour;
    QColor m_backgroundColour;
    QString m_address;
    bool m_pressed = false;
};
