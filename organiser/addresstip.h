#pragma once

class QHelpEvent;
class QRect;
class QString;
class QWidget;

namespace AddressTip {

// Shows a row's web address as the tip of a list's row, cut to one readable
// line; with no address the tip goes and the event is left to others.
void show(QHelpEvent *event, QWidget *viewport, const QString &address, const QRect &row);

} // namespace AddressTip
