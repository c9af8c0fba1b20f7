#pragma once

#include <QMap>
#include <QToolButton>
#include <QUrl>

class BlockingInterceptor;
class QWebEngineView;

// The Browser tab's count of requests blocked on the page shown, with a menu of
// the blocked hosts, "Allow on this site" and "Block on this site", and what was
// read (or why nothing is blocked). Also takes a blocked page to Harbrow's own
// page about it, and follows that page's "Go back" and "Open anyway".
class BlockingIndicator final : public QToolButton
{
    Q_OBJECT

public:
    BlockingIndicator(BlockingInterceptor *interceptor, QWebEngineView *view,
                      QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(BlockingIndicator)

    int blockedCount() const { return m_count; }
    const QMap<QString, int> &blockedHosts() const { return m_hosts; }
    // The registrable domain of the page shown.
    QByteArray site() const;

public slots:
    void allowOnThisSite();
    void blockOnThisSite();
    void updateText();

private:
    void startPage(const QUrl &url);
    void applyToSite(bool stored);
    void countBlocked(const QUrl &url, bool mainFrame, const QString &rule, const QString &list);
    void followOwnPage(const QUrl &url);
    void fillMenu();
    void goBackPastBlocked();

    BlockingInterceptor *m_interceptor;
    QWebEngineView *m_view;
    QMenu *m_menu;
    QUrl m_page;
    int m_count = 0;
    QMap<QString, int> m_hosts;
    QString m_lastBlockedHost;
};
