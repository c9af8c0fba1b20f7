#include "import/readers/regularfile.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFile {

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

bool open(QFile &file, const QString &path, QString *error)
{
    // Without O_NONBLOCK, opening a FIFO waits for a writer forever.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        setError(error, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        setError(error, QCoreApplication::translate("RegularFile", "It is not a regular file."));
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        setError(error, file.errorString());
        return false;
    }
    return true;
}

std::optional<QByteArray> read(const QString &path, qint64 limit, QString *error)
{
    QFile file;
    if (!open(file, path, error))
        return std::nullopt;
    if (file.size() > limit) {
        setError(error, QCoreApplication::translate("RegularFile", "The file is too large."));
        return std::nullopt;
    }
    QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, file.errorString());
        return std::nullopt;
    }
    return text;
}

} // namespace RegularFile
