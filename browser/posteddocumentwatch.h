#pragma once

#include <QWebEngineUrlRequestInterceptor>

class QWebEnginePage;

// Knows whether the document a page shows was reached by sending a form, so
// that reloading it can ask before the form is sent again.
class PostedDocumentWatch final : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT

public:
    // Watches page's own requests; the page does not own its interceptor, so
    // the watch is its child.
    explicit PostedDocumentWatch(QWebEnginePage *page);
    Q_DISABLE_COPY_MOVE(PostedDocumentWatch)

    bool documentPosted() const { return m_posted; }

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

private:
    QByteArray m_requested; // the method of the last top-level request
    bool m_posted = false;
};
