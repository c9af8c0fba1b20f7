#pragma once

#include <QMetaObject>

class Hive;

// In debug builds, stops the program when its event loop goes to wait for the
// person while the hive holds a write transaction: whatever they do next
// would wait, unsaved, for a commit that may come only at exit, or never.
class TransactionWatch final
{
public:
    explicit TransactionWatch(const Hive *hive);
    ~TransactionWatch();
    Q_DISABLE_COPY_MOVE(TransactionWatch)

private:
    QMetaObject::Connection m_connection;
};
