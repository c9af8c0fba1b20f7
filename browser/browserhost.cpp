#include "browser/browserhost.h"

#include <QMenu>
#include <QWebEnginePage>
#include <QWebEngineView>

BrowserHost::BrowserHost(bool showContextMenu, QObject *owner)
    : m_showContextMenu(showContextMenu), m_owner(owner)
{
}

BrowserHost::~BrowserHost() = default;

namespace {

// No separator at either end or next to another one.
void dropLoneSeparators(QMenu *menu)
{
    QAction *previous = nullptr;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator() && (!previous || previous->isSeparator()))
            menu->removeAction(action);
        else
            previous = action;
    }
    if (previous && previous->isSeparator())
        menu->removeAction(previous);
}

} // namespace

// A new tab, a new window or the page source would open outside Harbrow's one
// view; links are followed in it through "Follow link".
QMenu *BrowserHost::createContextMenu(QWebEngineView *view) const
{
    if (!m_showContextMenu || !view)
        return nullptr;
    QMenu *menu = view->createStandardContextMenu();
    for (QWebEnginePage::WebAction removed :
         {QWebEnginePage::OpenLinkInNewWindow, QWebEnginePage::OpenLinkInNewTab,
          QWebEnginePage::OpenLinkInNewBackgroundTab, QWebEnginePage::ViewSource})
        menu->removeAction(view->pageAction(removed));
    dropLoneSeparators(menu);
    return menu;
}

// The entries are the engine's own actions, so it carries out what is chosen.
void BrowserHost::showContextMenu(QWebEngineView *view, const QPoint &globalPos) const
{
    QMenu *menu = createContextMenu(view);
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}
