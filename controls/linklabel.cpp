#include "controls/linklabel.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

LinkLabel::LinkLabel(QWidget *parent) : LinkLabel(QString(), parent) {}

LinkLabel::LinkLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent), m_fontDescription(QApplication::font(this)),
      m_textColour(palette().color(QPalette::WindowText)),
      m_backgroundColour(palette().color(QPalette::Window))
{
    setFont(m_fontDescription);
    setAutoFillBackground(true);
    applyColours();
}

LinkLabel::~LinkLabel() = default;

void LinkLabel::recreateFont()
{
    setFont(m_fontDescription);
}

void LinkLabel::setFontSize(int points)
{
    if (points <= 0)
        return;
    m_fontDescription.setPointSize(points);
    recreateFont();
    repaint();
}

void LinkLabel::setTextColour(const QColor &colour)
{
    m_textColour = colour;
    applyColours();
}

void LinkLabel::setBackgroundColour(const QColor &colour)
{
    m_backgroundColour = colour;
    applyColours();
}

void LinkLabel::applyColours()
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, m_textColour);
    colours.setColor(QPalette::Window, m_backgroundColour);
    setPalette(colours);
}

void LinkLabel::onClick()
{
    const QString address = m_address.trimmed();
    if (address.isEmpty())
        return;
    const QUrl url = QUrl::fromUserInput(address);
    if (url.isValid())
        QDesktopServices::openUrl(url);
}

void LinkLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
    if (m_pressed)
        event->accept(); // so that the release comes back here
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click) {
        onClick();
        emit clicked();
    }
}
