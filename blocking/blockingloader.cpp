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

std::shared_ptr<const FilterEngine> BlockingLoader::make(const QList<FilterListFile> &lists,
                                                         const QString &cachePath, bool *cached)
{
    *cached = false;
    if (lists.isEmpty())
        return nullptr;
    if (std::optional<FilterEngine> stored = EngineCache::load(cachePath, lists)) {
        *cached = true;
        return std::make_shared<const FilterEngine>(std::move(*stored));
    }
    FilterEngineBuilder builder;
    bool allRead = true;
    for (const FilterListFile &list : lists) {
        QFile file(list.path);
        allRead &= file.open(QIODevice::ReadOnly);
        builder.addList(list.name, file.isOpen() ? file.readAll() : QByteArray());
    }
    auto engine = std::make_shared<const FilterEngine>(builder.build());
    // A cache that cannot be written only costs the next start a parse; a list
    // that could not be read is not cached as if it were empty.
    if (allRead)
        EngineCache::save(cachePath, *engine, lists);
    return engine;
}

void BlockingLoader::load()
{
    bool cached = false;
    std::shared_ptr<const FilterEngine> engine = make(m_lists, m_cachePath, &cached);
    {
        const QMutexLocker lock(&m_lock);
        m_engine = std::move(engine);
        m_fromCache = cached;
        m_ready = true;
    }
    m_done.wakeAll();
    QMetaObject::invokeMethod(this, &BlockingLoader::ready, Qt::QueuedConnection);
}
