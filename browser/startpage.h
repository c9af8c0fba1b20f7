#pragma once

#include "browser/starttiles.h"

#include <QWidget>

class BrowserOwner;
class CWebCommercial;
class QWebEnginePage;
class QWebEngineProfile;
class StartService;

// The "Home" tab: one view showing Harbrow's start page. Until its first
// document has loaded it navigates itself; from then on it keeps that document,
// reloaded when it is shown or F5 is pressed, and hands every other navigation
// and pop-up to the browser page.
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
    // Loads the start page again when its tiles would change.
    void refreshIfOutdated();

signals:
    // The first document has loaded: from now on navigations go to the browser page.
    void firstDocumentLoaded();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void beforeNavigate(const QVariant &url, bool *cancel);
    void takeNewWindow(QWebEnginePage **window, bool *cancel);
    void completeDocument();

    BrowserOwner *m_owner;
    bool m_firstPageLoaded = false;
    bool m_openingStart = true; // the start address of start-up, not yet asked for again
    bool m_reloading = false;   // a reload of the start page, which stays in this view
    CWebCommercial *m_view;
    StartService *m_service;
    StartTiles::Best m_shown; // the tiles of the start page in this view
    QWebEngineProfile *m_profile;
};
