#include "browser/webcommercialpage.h"

#include "browser/dispatchid.h"
#include "browser/posteddocumentwatch.h"
#include "controls/prompts.h"

#include <QAction>
#include <QPointer>
#include <QTimer>
#include <QWebEngineCertificateError>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineView>

#include <utility>

WebCommercialPage::WebCommercialPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent), m_posts(new PostedDocumentWatch(this))
{
    followHistoryAction(Back, DispatchId::BackCommand, &m_backReported);
    followHistoryAction(Forward, DispatchId::ForwardCommand, &m_forwardReported);
    connect(this, &QWebEnginePage::loadStarted, this, &WebCommercialPage::startLoading);
    connect(this, &QWebEnginePage::loadFinished, this, &WebCommercialPage::finishLoading);
    connect(this, &QWebEnginePage::titleChanged, this, &WebCommercialPage::noteTitle);
    connect(this, &QWebEnginePage::urlChanged, this, &WebCommercialPage::navigateCompleted);
    connect(this, &QWebEnginePage::windowCloseRequested, this, [this] {
        bool cancel = false;
        emit windowClosing(&cancel);
    });
    connect(this, &QWebEnginePage::certificateError, this,
            &WebCommercialPage::askAboutCertificate);
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            &WebCommercialPage::refusePermission);
    connect(this, &QWebEnginePage::newWindowRequested, this,
            &WebCommercialPage::takeNewWindowRequest);
    connect(this, &QWebEnginePage::renderProcessTerminated, this,
            [this](RenderProcessTerminationStatus status) {
                if (status != NormalTerminationStatus)
                    emit renderProcessStopped(url());
            });
}

WebCommercialPage::~WebCommercialPage() = default;

// The engine's Back and Forward actions know the history; their enabled state
// is the command state.
void WebCommercialPage::followHistoryAction(WebAction webAction, int command, bool *reported)
{
    QAction *historyAction = action(webAction);
    connect(historyAction, &QAction::changed, this, [this, historyAction, command, reported] {
        const bool enable = historyAction->isEnabled();
        if (enable == *reported)
            return; // changed() also fires for text and icon
        *reported = enable;
        emit commandStateChanged(command, enable);
    });
}

bool WebCommercialPage::acceptNavigationRequest(const QUrl &url, NavigationType type,
                                                bool isMainFrame)
{
    if (!isMainFrame)
        return true;
    // However the reload was asked for: key, button, menu or script.
    if (type == NavigationTypeReload && m_posts->documentPosted()
        && !std::exchange(m_resendAllowed, false)) {
        askToSendFormAgain();
        return false;
    }
    m_mainFrameTarget = url;
    bool cancel = false;
    emit beforeNavigate(url, &cancel);
    return !cancel;
}

// The engine asks here once the view has made no window of its own.
void WebCommercialPage::takeNewWindowRequest(QWebEngineNewWindowRequest &request)
{
    m_requestedWindow = request.requestedUrl();
    m_requestedByUser = request.isUserInitiated();
    QWebEnginePage *window = nullptr;
    bool cancel = false;
    emit newWindowRequested2(&window, &cancel);
    m_requestedWindow.clear();
    m_requestedByUser = false;
    if (!cancel && window)
        request.openIn(window);
}

void WebCommercialPage::startLoading()
{
    m_busy = true;
    m_titleSeen = false;
    emit commandStateChanged(DispatchId::UpdateCommands, true);
}

// A failed load completes too: the engine shows its error page as the document.
void WebCommercialPage::finishLoading(bool ok)
{
    Q_UNUSED(ok)
    m_busy = false;
    emit commandStateChanged(DispatchId::UpdateCommands, true);
    // A document whose title equals the last one raises no titleChanged.
    if (!m_titleSeen)
        noteTitle(title());
    emit documentCompleted(url());
}

void WebCommercialPage::noteTitle(const QString &title)
{
    m_titleSeen = true;
    emit documentTitleChanged(title);
}

// The user decides, and only an explicit Yes lets the page through. The
// engine waits for the answer, so the question runs outside its callback.
void WebCommercialPage::askAboutCertificate(QWebEngineCertificateError error)
{
    // Only the page the person went to may ask; a frame inside it is refused.
    const bool ownPage =
        error.url().adjusted(QUrl::RemoveFragment) == m_mainFrameTarget.adjusted(QUrl::RemoveFragment);
    if (!error.isOverridable() || !ownPage) {
        error.rejectCertificate();
        return;
    }
    error.defer();
    QPointer<WebCommercialPage> self(this);
    QTimer::singleShot(0, this, [self, error]() mutable {
        QWidget *parent = self ? QWebEngineView::forPage(self) : nullptr;
        const auto answer = Prompts::instance().ask(
            parent, QMessageBox::Warning, tr("Certificate Error"),
            tr("The identity of %1 cannot be verified:\n%2\n\nDo you want to continue anyway?")
                .arg(error.url().host(), error.description()),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer == QMessageBox::Yes) {
            error.acceptCertificate();
            if (self)
                emit self->certificateErrorAccepted(error.url(), error.description());
        } else {
            error.rejectCertificate();
        }
    });
}

// The engine is in the middle of its navigation: the question comes after it.
void WebCommercialPage::askToSendFormAgain()
{
    QPointer<WebCommercialPage> self(this);
    QTimer::singleShot(0, this, [self] {
        QWidget *parent = QWebEngineView::forPage(self);
        const auto answer = Prompts::instance().ask(
            parent, QMessageBox::Question, tr("Reload"),
            tr("This page was reached by sending a form. Loading it again sends the form "
               "again, and repeats what it did.\n\nSend the form again?"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (!self || answer != QMessageBox::Yes)
            return;
        self->m_resendAllowed = true;
        self->triggerAction(Reload);
    });
}

// Location, camera, microphone, notifications and the like: a page never gets them.
void WebCommercialPage::refusePermission(const QUrl &origin, Feature feature)
{
    setFeaturePermission(origin, feature, PermissionDeniedByUser);
}
