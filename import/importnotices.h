#pragma once

#include <QCoreApplication>
#include <QStringList>

class QWidget;

// What the import tells the person beyond its questions, each in one message.
class ImportNotices final
{
    Q_DECLARE_TR_FUNCTIONS(ImportNotices)

public:
    // After a read: how many bookmarks nested too deep were placed at the deepest level kept.
    static void placedAtMaxDepth(QWidget *parent, qsizetype count);
    // After the import: every part of it that did not happen (nothing when none).
    static void afterImport(QWidget *parent, const QStringList &failures);
};
