#pragma once

#include <QWebEnginePage>

class PostedDocumentWatch;
class QWebEngineNewWindowRequest;

// The page behind a CWebCommercial view. It turns the engine's callbacks into
// the view's events; handlers connected directly may set the cancel flags.
class WebCommercialPage final : public QWebEnginePage
{
    Q_OBJECT

public:
    WebCommercialPage(QWebEngineProfile *profile, QObject *parent = nullptr);
    ~WebCommercialPage() override;
    Q_DISABLE_COPY_MOVE(WebCommercialPage)

    bool isBusy() const { return m_busy; }
    // The new window being asked for, while newWindowRequested2 is handled:
    // the address it opens with (may be empty) and whether a person asked for
    // it (a click on a link or button, a middle click) rather than a script alone.
    QUrl requestedWindowAddress() const { return m_requestedWindow; }
    bool requestedWindowByUser() const { return m_requestedByUser; }

signals:
    // A top-level navigation is about to start; set *cancel to stop it.
    void beforeNavigate(const QUrl &url, bool *cancel);
    // The page asks for a new window: set *window to the page that takes it,
    // or *cancel to refuse it.
    void newWindowRequested2(QWebEnginePage **window, bool *cancel);
    // A script asks to close the window; set *cancel to refuse.
    void windowClosing(bool *cancel);
    void commandStateChanged(int command, bool enable);
    // The title of a new document, also when it is the same as the last one.
    void documentTitleChanged(const QString &title);
    void documentCompleted(const QUrl &url);
    void navigateCompleted(const QUrl &url);
    // The user let a page through whose certificate could not be verified.
    void certificateErrorAccepted(const QUrl &url, const QString &description);
    // The render process of the page crashed or was killed, showing url.
    void renderProcessStopped(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    void takeNewWindowRequest(QWebEngineNewWindowRequest &request);
    void followHistoryAction(WebAction action, int command, bool *reported);
    void startLoading();
    void finishLoading(bool ok);
    void noteTitle(const QString &title);
    void askAboutCertificate(QWebEngineCertificateError error);
    void refusePermission(const QUrl &origin, Feature feature);
    void askToSendFormAgain();

    bool m_busy = false;
    bool m_backReported = false;
    bool m_forwardReported = false;
    bool m_titleSeen = false; // since the current load started
    PostedDocumentWatch *m_posts;
    bool m_resendAllowed = false; // the user said Yes to sending the form again
    bool m_requestedByUser = false;
    QUrl m_requestedWindow;
    QUrl m_mainFrameTarget; // where the page's own navigation is going
};
