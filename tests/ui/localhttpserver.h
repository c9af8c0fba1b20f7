#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <memory>

// A small HTTP/1.1 server on 127.0.0.1 for tests: each path answers with the
// status, headers and body a test set for it; anything else is a 404. Every
// request is one connection (Connection: close). Paths are matched without
// their query. With a TLS configuration it speaks HTTPS instead. Header-only,
// so it carries no signals of its own.
class LocalHttpServer final : public QObject
{
public:
    struct Response
    {
        int status = 200;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        // Announce this many bytes more than the body and keep the connection
        // open: a transfer that never ends.
        qint64 withheld = 0;
    };

    explicit LocalHttpServer(QObject *parent = nullptr) : LocalHttpServer(nullptr, parent) {}
    explicit LocalHttpServer(const QSslConfiguration *tls, QObject *parent = nullptr)
        : QObject(parent), m_tls(tls != nullptr)
    {
        if (tls) {
            auto server = std::make_unique<QSslServer>();
            server->setSslConfiguration(*tls);
            m_server = std::move(server);
        } else {
            m_server = std::make_unique<QTcpServer>();
        }
        connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this,
                &LocalHttpServer::takeConnections);
        m_server->listen(QHostAddress::LocalHost);
    }

    bool isListening() const { return m_server->isListening(); }
    quint16 port() const { return m_server->serverPort(); }
    QUrl url(const QString &path) const
    {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2%3")
                        .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"))
                        .arg(port())
                        .arg(path));
    }

    void setResponse(const QString &path, const Response &response) { m_routes[path] = response; }
    // An HTML page with this title and body.
    void setPage(const QString &path, const QString &title, const QString &body = {})
    {
        Response response;
        response.headers = {{"Content-Type", "text/html; charset=utf-8"}};
        response.body = QStringLiteral("<!DOCTYPE html><html><head><title>%1</title></head>"
                                       "<body>%2</body></html>")
                            .arg(title, body)
                            .toUtf8();
        m_routes[path] = response;
    }

    // The paths asked for, in order, queries included.
    QStringList requests() const { return m_requests; }
    int requestCount(const QString &path) const
    {
        int count = 0;
        for (const QString &request : m_requests)
            count += QUrl(request).path() == path;
        return count;
    }
    void clearRequests()
    {
        m_requests.clear();
        m_heads.clear();
    }
    // The request line and headers of the last request for a path, or empty.
    QByteArray lastRequestHead(const QString &path) const
    {
        for (qsizetype i = m_requests.size() - 1; i >= 0; --i) {
            if (QUrl(m_requests.at(i)).path() == path)
                return m_heads.value(i);
        }
        return {};
    }

private:
    void takeConnections()
    {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        }
    }

    void readRequest(QTcpSocket *socket)
    {
        QByteArray &pending = m_pending[socket];
        pending += socket->readAll();
        if (!pending.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> requestLine = pending.left(pending.indexOf("\r\n")).split(' ');
        const QString target = requestLine.size() > 1 ? QString::fromUtf8(requestLine.at(1)) : QString();
        const QString path = QUrl(target).path();
        m_requests.append(target);
        m_heads.append(pending.left(pending.indexOf("\r\n\r\n")));
        m_pending.remove(socket);

        const auto route = m_routes.constFind(path);
        Response response = route != m_routes.cend() ? *route : Response{404, {}, "not found"};
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n";
        for (const auto &header : std::as_const(response.headers))
            reply += header.first + ": " + header.second + "\r\n";
        reply += "Content-Length: " + QByteArray::number(response.body.size() + response.withheld)
                 + "\r\n";
        reply += "Connection: close\r\n\r\n";
        reply += response.body;
        socket->write(reply);
        if (response.withheld == 0)
            socket->disconnectFromHost();
    }

    std::unique_ptr<QTcpServer> m_server;
    bool m_tls = false;
    QHash<QString, Response> m_routes;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QStringList m_requests;
    QList<QByteArray> m_heads;
};
