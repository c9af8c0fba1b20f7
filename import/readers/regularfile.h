#pragma once

#include <QFile>
#include <QString>

#include <optional>

// Opens path for reading only when it is a regular file (a link to one
// counts): a FIFO, device or socket is refused without waiting for a writer.
namespace RegularFile {

// False with error set when the file is missing, not regular or unreadable.
bool open(QFile &file, const QString &path, QString *error = nullptr);

// The whole file, or nothing (error set) when it cannot be read or is larger than limit.
std::optional<QByteArray> read(const QString &path, qint64 limit, QString *error = nullptr);

} // namespace RegularFile
