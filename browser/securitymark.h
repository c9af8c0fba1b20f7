#pragma once

#include <QHash>
#include <QLabel>
#include <QUrl>

class QWebEngineView;

// "Not secure" before the address while the view shows a page of a site whose
// certificate error the user accepted; the error is in its tooltip. The engine
// keeps such an exception for the site, so every page of it is marked.
class SecurityMark final : public QLabel
{
    Q_OBJECT

public:
    explicit SecurityMark(QWebEngineView *view, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(SecurityMark)

public slots:
    void noteAcceptedError(const QUrl &url, const QString &description);
    void follow(const QUrl &shown);

private:
    static QString siteOf(const QUrl &url);

    QWebEngineView *m_view;
    QHash<QString, QString> m_accepted; // site -> the error accepted for it
};
