#pragma once

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

// An HTTP proxy on 127.0.0.1 that answers every request itself, a few
// milliseconds late as a distant server would, so that each fetch costs
// something real. Each request is one connection (Connection: close): hundreds
// of idle kept-alive connections would make every turn of the event loop slow.
// Counts what it served, so a benchmark can tell what was fetched.
class DelayingHttpProxy final : public QObject
{
public:
    explicit DelayingHttpProxy(int delayMs, QObject *parent = nullptr)
        : QObject(parent), m_delayMs(delayMs)
    {
        connect(&m_server, &QTcpServer::pendingConnectionAvailable, this,
                &DelayingHttpProxy::takeConnections);
        m_server.listen(QHostAddress::LocalHost);
    }

    quint16 port() const { return m_server.serverPort(); }
    int served() const { return m_served; }
    // What a page asks for, by its address ("http://host/path").
    void setPage(const QByteArray &url, const QByteArray &html) { m_pages[url] = html; }

private:
    void takeConnections()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        }
    }

    void readRequest(QTcpSocket *socket)
    {
        QByteArray pending = socket->property("pending").toByteArray() + socket->readAll();
        if (!pending.contains("\r\n\r\n")) {
            socket->setProperty("pending", pending);
            return;
        }
        disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
        const QByteArray target = pending.left(pending.indexOf("\r\n")).split(' ').value(1);
        QTimer::singleShot(m_delayMs, Qt::PreciseTimer, socket,
                           [this, socket, target] { answer(socket, target); });
    }

    void answer(QTcpSocket *socket, const QByteArray &target)
    {
        const auto page = m_pages.constFind(target);
        const bool isPage = page != m_pages.constEnd();
        const QByteArray body = isPage ? *page : QByteArray(64, 'x');
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: "
                      + QByteArray(isPage ? "text/html" : "image/gif")
                      + "\r\nCache-Control: no-store\r\nConnection: close\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
        ++m_served;
    }

    QTcpServer m_server;
    int m_delayMs;
    int m_served = 0;
    QHash<QByteArray, QByteArray> m_pages;
};
