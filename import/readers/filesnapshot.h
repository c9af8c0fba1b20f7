#pragma once

#include <QByteArrayView>
#include <QString>

// What a file was when it was read: enough to tell, before it is rewritten,
// whether it is still byte for byte that file.
struct FileSnapshot
{
    qint64 size = -1;
    qint64 modified = 0; // milliseconds since the epoch
    size_t hash = 0;

    // The snapshot of path whose content is text (as just read).
    static FileSnapshot of(const QString &path, QByteArrayView text);
    bool isValid() const { return size >= 0; }
    bool operator==(const FileSnapshot &) const = default;
};
