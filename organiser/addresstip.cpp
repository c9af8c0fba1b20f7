#include "organiser/addresstip.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

namespace AddressTip {

// Long addresses are cut so the tip stays one readable line.
constexpr qsizetype TipLength = 79;

void show(QHelpEvent *event, QWidget *viewport, const QString &address, const QRect &row)
{
    if (address.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return;
    }
    const QString shown =
        address.size() > TipLength ? address.left(TipLength) + QChar(0x2026) : address;
    QRect wholeRow = row;
    wholeRow.setLeft(0);
    wholeRow.setRight(viewport->width());
    QToolTip::showText(event->globalPos(), shown, viewport, wholeRow);
}

} // namespace AddressTip
