#include "ProgramLock.h"

#include <QDeadlineTimer>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr unsigned long pollMilliseconds = 50;

} // namespace

ProgramLock::ProgramLock(const QString &dataFolder, Scope scope)
    : m_folder(dataFolder)
    , m_scope(scope)
{ }

ProgramLock::~ProgramLock()
{
    if (m_fd >= 0)
        close(m_fd);
}

ProgramLock::Result ProgramLock::acquire(int waitMilliseconds)
{
    const QDeadlineTimer deadline(waitMilliseconds);
    for (;;) {
        const Result result = tryAcquire();
        if (result != Result::HeldByLiveProgram || deadline.hasExpired())
            return result;
        QThread::msleep(pollMilliseconds);
    }
}

ProgramLock::Result ProgramLock::tryAcquire()
{
    const int fd = m_folder.openForLock(fileName);
    struct flock range = {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    range.l_start = m_scope == Scope::Run ? 0 : 1;
    range.l_len = 1;
    if (fd >= 0 && fcntl(fd, F_OFD_SETLK, &range) == 0) {
        m_fd = fd;
        return Result::Acquired;
    }
    const int reason = errno;
    if (fd >= 0)
        close(fd);
    if (fd >= 0 && (reason == EAGAIN || reason == EACCES))
        return Result::HeldByLiveProgram;
    if (!m_folder.writable())
        return Result::NothingWritable;
    m_failure = (fd >= 0 ? m_folder.path() + u'/' + fileName + QStringLiteral(": ")
                            + QString::fromLocal8Bit(strerror(reason))
                         : m_folder.failure())
        + QStringLiteral(". No Vaultine program can lock it, so none writes the records: once no "
                         "Vaultine program runs, remove that file (it holds nothing) or give it "
                         "back to the folder's owner.");
    return Result::Unavailable;
}
