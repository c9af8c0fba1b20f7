#pragma once

#include <QObject>
#include <QPointer>

class QMenu;
class QPoint;
class QWebEngineView;

// Decides a view's context menu for one document: the engine's own page menu
// without the entries that would take the user out of Harbrow, or no menu at
// all. A page installs a fresh one at every completed document; the view owns it.
class BrowserHost final : public QObject
{
    Q_OBJECT

public:
    BrowserHost(bool showContextMenu, QObject *owner);
    ~BrowserHost() override;
    Q_DISABLE_COPY_MOVE(BrowserHost)

    bool showsContextMenu() const { return m_showContextMenu; }
    QObject *owner() const { return m_owner; }

    // The menu the user gets in view, or null when there is none.
    QMenu *createContextMenu(QWebEngineView *view) const;
    void showContextMenu(QWebEngineView *view, const QPoint &globalPos) const;

private:
    const bool m_showContextMenu;
    QPointer<QObject> m_owner;
};
