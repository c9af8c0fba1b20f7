#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into quitRequested() on the event loop.
// The handler only writes a byte to a pipe; everything else happens in Qt.
// The handlers stay for the rest of the process, so a signal that arrives
// once the event loop is gone (during the last trace removal) ends nothing
// half-way.
class QuitSignalWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignalWatcher(QObject *parent = nullptr);
    ~QuitSignalWatcher() override;
    Q_DISABLE_COPY_MOVE(QuitSignalWatcher)

signals:
    void quitRequested(int signalNumber);

private:
    void readSignals();

    QSocketNotifier *m_notifier = nullptr;
};
