#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// Web addresses passed from a second start to the instance that holds the
// hive. The running instance listens on a local socket in the user's runtime
// folder, named after its hive and open to that user alone; a second start
// hands its addresses over there instead of touching the hive.
class InstanceHandOver final : public QObject
{
    Q_OBJECT

public:
    // hivePath: the hive the running instance holds; one socket per hive.
    explicit InstanceHandOver(const QString &hivePath, QObject *parent = nullptr);
    ~InstanceHandOver() override;
    Q_DISABLE_COPY_MOVE(InstanceHandOver)

    static QString socketPath(const QString &hivePath);

    // Listens for second starts. Only the holder of the hive's lock may call
    // it: a socket left behind by an instance that crashed is replaced.
    bool listen();
    bool isListening() const;

    // A second start's side: gives the addresses to the running instance and
    // waits until it has taken them. False when none took them in time.
    static bool handOver(const QString &hivePath, const QStringList &addresses,
                         int timeoutMs = 5000);

signals:
    // A second start handed these over; the first is to be opened.
    void addressesReceived(const QStringList &addresses);

private:
    void takeConnection();
    void readFrom(QLocalSocket *socket);

    QString m_path;
    QLocalServer *m_server;
};
