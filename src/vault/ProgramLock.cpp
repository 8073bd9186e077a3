#include "ProgramLock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned long pollMilliseconds = 50;

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

ProgramLock::ProgramLock(const QString &dataFolder)
    : m_path(QFile::encodeName(dataFolder + QStringLiteral("/vaultine.lock")))
{ }

ProgramLock::~ProgramLock()
{
    if (m_fd < 0)
        return;
    // Removed while still locked: a program waiting on this file then locks a new one.
    unlink(m_path.constData());
    close(m_fd);
}

ProgramLock::Result ProgramLock::acquire(int waitMilliseconds)
{
    const QDeadlineTimer deadline(waitMilliseconds);
    for (;;) {
        const std::optional<Result> result = tryAcquire();
        if (!result)
            continue;
        if (*result != Result::HeldByLiveProgram || deadline.hasExpired())
            return *result;
        QThread::msleep(pollMilliseconds);
    }
}

std::optional<ProgramLock::Result> ProgramLock::tryAcquire()
{
    int fd = open(m_path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // A lock file that cannot be written (read-only, or a folder in its place) still locks:
    // otherwise two programs would write the same files.
    if (fd < 0)
        fd = open(m_path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Result::Unavailable;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(fd);
        return held ? Result::HeldByLiveProgram : Result::Unavailable;
    }
    struct stat opened;
    struct stat named;
    if (fstat(fd, &opened) != 0 || stat(m_path.constData(), &named) != 0
        || !sameFile(opened, named)) {
        close(fd);
        return std::nullopt;
    }
    m_fd = fd;
    return Result::Acquired;
}
