#pragma once

#include "blocking/filterengine.h"
#include "blocking/filterlists.h"

#include <QMutex>
#include <QObject>
#include <QThread>
#include <QWaitCondition>

#include <memory>

// Makes the engine off the main thread: from the compiled cache when the lists
// are unchanged, else by parsing them (and caching the result). Whoever needs it
// before it is ready may wait for it.
class BlockingLoader final : public QObject
{
    Q_OBJECT

public:
    explicit BlockingLoader(QList<FilterListFile> lists, QString cachePath,
                            QObject *parent = nullptr);
    ~BlockingLoader() override;
    Q_DISABLE_COPY_MOVE(BlockingLoader)

    void start();
    bool isReady() const;
    // The engine, waiting for it when it is still being made; null when no list was found.
    std::shared_ptr<const FilterEngine> engine();
    bool fromCache() const;
    const QList<FilterListFile> &lists() const { return m_lists; }

    // The same, made on the calling thread.
    static std::shared_ptr<const FilterEngine> make(const QList<FilterListFile> &lists,
                                                    const QString &cachePath, bool *cached);

signals:
    void ready();

private:
    void load();

    QList<FilterListFile> m_lists;
    QString m_cachePath;
    std::unique_ptr<QThread> m_thread;
    mutable QMutex m_lock;
    QWaitCondition m_done;
    bool m_ready = false;
    bool m_fromCache = false;
    std::shared_ptr<const FilterEngine> m_engine;
};
