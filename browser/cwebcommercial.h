#pragma once

#include <QPointer>
#include <QUrl>
#include <QVariant>
#include <QWebEngineView>

class BrowserHost;
class QWebEngineProfile;
class WebCommercialPage;

// The embedded browser view: the operations and events the pages use, under
// their dispatch names. Handlers of the events with a cancel flag must be
// connected directly.
class CWebCommercial final : public QWebEngineView
{
    Q_OBJECT

public:
    CWebCommercial(QWebEngineProfile *profile, QWidget *parent = nullptr);
    ~CWebCommercial() override;
    Q_DISABLE_COPY_MOVE(CWebCommercial)

    // Operations.
    void GoBack();
    void GoForward();
    void GoHome();
    void Navigate(const QString &url);
    void Refresh();
    void Stop();
    void Navigate2(const QVariant &url);

    // Properties. Application is the page that takes a new window handed
    // out in NewWindow2; Document is null while no document is loaded.
    QWebEnginePage *Application() const;
    QWebEnginePage *Document() const;
    QString LocationName() const;
    QString LocationURL() const;
    bool Busy() const;
    // The new window being asked for, while NewWindow2 is handled: its first
    // address (may be empty) and whether a person's click asked for it.
    QUrl NewWindowAddress() const;
    bool NewWindowByUser() const;

    // Where GoHome goes.
    void setHomeAddress(const QUrl &url) { m_home = url; }
    QUrl homeAddress() const { return m_home; }

    // The document host object deciding the context menu; the view owns it.
    void setHost(BrowserHost *host);
    BrowserHost *host() const;

signals:
    void BeforeNavigate2(const QVariant &url, bool *cancel);
    void NewWindow2(QWebEnginePage **window, bool *cancel);
    void CommandStateChange(int command, bool enable);
    void TitleChange(const QString &title);
    void DocumentComplete(const QVariant &url);
    void NavigateComplete2(const QVariant &url);
    void OnQuit();
    void WindowClosing(bool isChildWindow, bool *cancel);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void showStopped(const QUrl &url);

    WebCommercialPage *m_page;
    QPointer<BrowserHost> m_host;
    QUrl m_home;
    QUrl m_stopped; // the page whose render process ended, until it is loaded again
    bool m_loadingStopped = false;
    bool m_hasDocument = false;
};
