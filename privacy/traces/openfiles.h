#pragma once

#include <QStringList>

// The files this process holds open, as far as the system tells.
class OpenFiles final
{
public:
    // Paths of open files below any of the folders, leaving out those below an
    // entry named in `ignoring` directly inside one of them.
    static QStringList below(const QStringList &folders, const QStringList &ignoring = {});

    // Waits until nothing has been open below the folders (as `below`) for
    // quietMs in a row, at most timeoutMs; true when that moment came. Where the
    // system cannot tell, true.
    static bool waitUntilClosed(const QStringList &folders, const QStringList &ignoring,
                                int timeoutMs, int quietMs = 0);
};
