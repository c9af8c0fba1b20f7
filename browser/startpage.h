#pragma once

#include <QWidget>

class BrowserOwner;
class CWebCommercial;
class QWebEnginePage;
class QWebEngineProfile;
class StartService;

// The "Home" tab: one view showing Harbrow's start page. Until its first
// document has loaded it navigates itself; from then on it keeps that document
// and hands every navigation and pop-up to the browser page.
class StartPage final : public QWidget
{
    Q_OBJECT

public:
    StartPage(BrowserOwner *owner, QWebEngineProfile *profile, QWidget *parent = nullptr);
    ~StartPage() override;
    Q_DISABLE_COPY_MOVE(StartPage)

    CWebCommercial *view() const { return m_view; }
    bool firstPageLoaded() const { return m_firstPageLoaded; }

public slots:
    void navigateStart(const QString &url);

signals:
    // The first document has loaded: from now on navigations go to the browser page.
    void firstDocumentLoaded();

private:
    void beforeNavigate(const QVariant &url, bool *cancel);
    void takeNewWindow(QWebEnginePage **window, bool *cancel);
    void completeDocument();

    BrowserOwner *m_owner;
    bool m_firstPageLoaded = false;
    bool m_openingStart = true; // the start address of start-up, not yet asked for again
    CWebCommercial *m_view;
    StartService *m_service;
    QWebEngineProfile *m_profile;
};
