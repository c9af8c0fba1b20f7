#include "store/hive/transactionwatch.h"

#include "store/hive/hive.h"

#include <QAbstractEventDispatcher>

TransactionWatch::TransactionWatch(const Hive *hive)
{
#ifndef QT_NO_DEBUG
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher && hive)
        m_connection = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [hive] {
            Q_ASSERT_X(!hive->isInTransaction(), "Hive",
                       "the program waits for the person with a write transaction open");
        });
#else
    Q_UNUSED(hive)
#endif
}

TransactionWatch::~TransactionWatch()
{
    QObject::disconnect(m_connection);
}
