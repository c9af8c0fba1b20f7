#include "blocking/blockingloader.h"

#include "blocking/enginecache.h"
#include "blocking/filterenginebuilder.h"

#include <QFile>

BlockingLoader::BlockingLoader(QList<FilterListFile> lists, QString cachePath, QObject *parent)
    : QObject(parent), m_lists(std::move(lists)), m_cachePath(std::move(cachePath))
{
}

BlockingLoader::~BlockingLoader()
{
    if (m_thread)
        m_thread->wait();
}

void BlockingLoader::start()
{
    if (m_thread)
        return;
    m_thread.reset(QThread::create([this] { load(); }));
    m_thread->start(QThread::LowPriority);
}

bool BlockingLoader::isReady() const
{
    const QMutexLocker lock(&m_lock);
    return m_ready;
}

std::shared_ptr<const FilterEngine> BlockingLoader::engine()
{
    start();
    QMutexLocker lock(&m_lock);
    while (!m_ready)
        m_done.wait(&m_lock);
    return m_engine;
}

bool BlockingLoader::fromCache() const
{
    const QMutexLocker lock(&m_lock);
    return m_fromCache;
}

void BlockingLoader::load()
{
    std::shared_ptr<const FilterEngine> engine;
    bool cached = false;
    if (!m_lists.isEmpty()) {
        if (std::optional<FilterEngine> stored = EngineCache::load(m_cachePath, m_lists)) {
            engine = std::make_shared<const FilterEngine>(std::move(*stored));
            cached = true;
        } else {
            FilterEngineBuilder builder;
            bool allRead = true;
            for (const FilterListFile &list : std::as_const(m_lists)) {
                QFile file(list.path);
                allRead &= file.open(QIODevice::ReadOnly);
                builder.addList(list.name, file.isOpen() ? file.readAll() : QByteArray());
            }
            engine = std::make_shared<const FilterEngine>(builder.build());
            // A cache that cannot be written only costs the next start a parse; a
            // list that could not be read is not cached as if it were empty.
            if (allRead)
                EngineCache::save(m_cachePath, *engine, m_lists);
        }
    }
    {
        const QMutexLocker lock(&m_lock);
        m_engine = std::move(engine);
        m_fromCache = cached;
        m_ready = true;
    }
    m_done.wakeAll();
    QMetaObject::invokeMethod(this, &BlockingLoader::ready, Qt::QueuedConnection);
}
