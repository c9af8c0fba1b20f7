#include "browser/posteddocumentwatch.h"

#include <QWebEnginePage>

PostedDocumentWatch::PostedDocumentWatch(QWebEnginePage *page)
    : QWebEngineUrlRequestInterceptor(page)
{
    page->setUrlRequestInterceptor(this);
    // A redirect after a post is a request of its own, so the method that
    // counts is that of the last request before the document came.
    connect(page, &QWebEnginePage::loadFinished, this,
            [this] { m_posted = m_requested == "POST"; });
}

void PostedDocumentWatch::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
        m_requested = info.requestMethod();
}
