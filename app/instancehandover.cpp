#include "app/instancehandover.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {

// One address a line; an empty line ends the list, and the answer is one line.
constexpr char Accepted[] = "ok\n";
constexpr qint64 MaxRequestBytes = 1 << 20;

} // namespace

InstanceHandOver::InstanceHandOver(const QString &hivePath, QObject *parent)
    : QObject(parent), m_path(socketPath(hivePath)), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceHandOver::takeConnection);
}

InstanceHandOver::~InstanceHandOver() = default;

QString InstanceHandOver::socketPath(const QString &hivePath)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    const QByteArray hash =
        QCryptographicHash::hash(QDir::cleanPath(hivePath).toUtf8(), QCryptographicHash::Sha256);
    return folder + QStringLiteral("/harbrow-") + QString::fromLatin1(hash.toHex().left(16));
}

bool InstanceHandOver::listen()
{
    if (m_server->listen(m_path))
        return true;
    // The lock is ours, so a socket still there is a crashed instance's.
    QLocalServer::removeServer(m_path);
    return m_server->listen(m_path);
}

bool InstanceHandOver::isListening() const
{
    return m_server->isListening();
}

void InstanceHandOver::takeConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        readFrom(socket);
    }
}

void InstanceHandOver::readFrom(QLocalSocket *socket)
{
    if (socket->bytesAvailable() > MaxRequestBytes) {
        socket->abort();
        return;
    }
    const QByteArray buffered = socket->peek(socket->bytesAvailable());
    const qsizetype end = buffered.startsWith('\n') ? 0 : buffered.indexOf("\n\n");
    if (end < 0)
        return;
    socket->read(end + (end == 0 ? 1 : 2));
    QStringList addresses;
    for (const QByteArray &line : buffered.left(end).split('\n'))
        if (!line.isEmpty())
            addresses.append(QString::fromUtf8(line));
    socket->write(Accepted);
    socket->flush();
    emit addressesReceived(addresses);
}

bool InstanceHandOver::handOver(const QString &hivePath, const QStringList &addresses,
                                int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running instance may hold the lock and not be listening yet.
    for (;;) {
        socket.connectToServer(socketPath(hivePath));
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    QByteArray request;
    for (const QString &address : addresses)
        request += address.toUtf8().replace('\n', "%0A") + '\n';
    request += '\n';
    socket.write(request);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(int(deadline.remainingTime())))
        answer += socket.readAll();
    return answer == Accepted;
}
