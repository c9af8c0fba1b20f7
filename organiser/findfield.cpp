#include "organiser/findfield.h"

#include <QKeyEvent>

FindField::FindField(QWidget *parent) : QLineEdit(parent)
{
    setPlaceholderText(tr("Find bookmarks (Ctrl+F)"));
    setClearButtonEnabled(true);
    // Reached by Ctrl+F or a click: Tab keeps running tree, list and tabs.
    setFocusPolicy(Qt::ClickFocus);
}

void FindField::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        emit escapePressed();
        return;
    }
    if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier) {
        event->accept();
        emit downPressed();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool FindField::focusNextPrevChild(bool next)
{
    if (!next)
        return QLineEdit::focusNextPrevChild(next);
    emit tabPressed();
    return true;
}
