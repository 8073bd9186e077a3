#include "DataFolder.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

QByteArray encoded(const QString &name)
{
    return QFile::encodeName(name);
}

QString mebibytes(qint64 bytes)
{
    return QStringLiteral("%1 MiB").arg(double(bytes) / (1 << 20), 0, 'f', 1);
}

// Writes all of the bytes, going on after a write cut short by a signal.
bool writeAll(int fd, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(fd, bytes.data(), size_t(bytes.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

} // namespace

DataFolder::DataFolder(const QString &path)
    : m_path(path)
{ }

DataFolder::~DataFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int DataFolder::openFolder() const
{
    // Opened anew for each call: a folder moved away meanwhile is not written into. The folder
    // itself may be a link the owner made; nothing inside it is followed.
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    const int fd = ::open(encoded(m_path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0) {
        failWithErrno(QString());
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    m_fd = fd;
    m_owner = info.st_uid;
    m_group = info.st_gid;
    return m_fd;
}

void DataFolder::create(const QStringList &privateFiles) const
{
    // Made by root in another's folder: given to that owner, who could not use it otherwise.
    const QByteArray path = encoded(m_path);
    struct stat above;
    if (::mkdir(path.constData(), 0700) == 0 && geteuid() == 0
        && ::stat(encoded(QFileInfo(m_path).absolutePath()).constData(), &above) == 0
        && ::chown(path.constData(), above.st_uid, above.st_gid) != 0)
        failWithErrno(QString());
    const int dir = openFolder();
    struct stat info;
    if (dir < 0 || fstat(dir, &info) != 0)
        return;
    if ((info.st_mode & 077) != 0)
        fchmod(dir, info.st_mode & 0700);
    for (const QString &name : privateFiles) {
        const int fd = openFile(name, O_RDONLY | O_NONBLOCK);
        if (fd >= 0 && fstat(fd, &info) == 0 && (info.st_mode & 077) != 0)
            fchmod(fd, info.st_mode & 0600);
        if (fd >= 0)
            ::close(fd);
    }
}

bool DataFolder::writable() const
{
    const int dir = openFolder();
    return dir >= 0 && faccessat(dir, ".", W_OK, AT_EACCESS) == 0;
}

int DataFolder::openFile(const QString &name, int flags) const
{
    const int dir = m_fd;
    if (dir < 0)
        return -1;
    const int fd = openat(dir, encoded(name).constData(), flags | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int reason = errno;
        failWithErrno(name);
        if (reason == ELOOP)
            fail(name, QStringLiteral("it is a symbolic link, which is never followed"));
        errno = reason;
        return -1;
    }
    struct stat info;
    const char *refusal = nullptr;
    if (fstat(fd, &info) != 0)
        refusal = strerror(errno);
    else if (!S_ISREG(info.st_mode))
        refusal = "it is not a regular file";
    else if (info.st_uid != m_owner && !givenToOwner(fd, info))
        refusal = "it belongs to another user than the folder does";
    if (refusal == nullptr)
        return fd;
    ::close(fd);
    fail(name, QString::fromLocal8Bit(refusal));
    errno = EPERM;
    return -1;
}

template <typename Read>
DataFolder::Content DataFolder::readOpened(const QString &name, const Read &read) const
{
    // Without blocking: a pipe put in the file's place must not stop the program.
    openFolder();
    const int fd = openFile(name, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return {errno == ENOENT || errno == ENOTDIR ? Status::Missing : Status::Failed, {}};
    struct stat info;
    Content content {Status::Failed, {}};
    if (fstat(fd, &info) != 0)
        failWithErrno(name);
    else
        content = read(fd, info);
    ::close(fd);
    return content;
}

DataFolder::Content DataFolder::read(const QString &name, qint64 limit) const
{
    return readOpened(name, [&](int fd, const struct stat &info) -> Content {
        if (info.st_size > limit) {
            fail(name,
                QStringLiteral("it holds %1, more than the %2 the program reads")
                    .arg(mebibytes(info.st_size), mebibytes(limit)));
            return {Status::Failed, {}};
        }
        // The file may grow while it is read: reading on to the limit and one byte past it
        // shows it.
        QByteArray bytes;
        qsizetype size = 0;
        ssize_t got = 1;
        while (got != 0 && size <= limit) {
            if (size == bytes.size())
                bytes.resize(std::min(std::max(2 * size, qsizetype(info.st_size) + 1), limit + 1));
            got = ::read(fd, bytes.data() + size, size_t(bytes.size() - size));
            if (got < 0 && errno != EINTR)
                break;
            size += std::max<ssize_t>(got, 0);
        }
        if (got < 0)
            failWithErrno(name);
        else if (size > limit)
            fail(name,
                QStringLiteral("it grew past the %1 the program reads").arg(mebibytes(limit)));
        else
            return {Status::Read, bytes.first(size)};
        return {Status::Failed, {}};
    });
}

DataFolder::Content DataFolder::readEnd(const QString &name, qint64 count) const
{
    return readOpened(name, [&](int fd, const struct stat &info) -> Content {
        QByteArray end(std::min<qint64>(count, info.st_size), Qt::Uninitialized);
        if (pread(fd, end.data(), size_t(end.size()), info.st_size - end.size()) == end.size())
            return {Status::Read, end};
        failWithErrno(name);
        return {Status::Failed, {}};
    });
}

bool DataFolder::exists(const QString &name) const
{
    struct stat info;
    const int dir = openFolder();
    return dir >= 0 && fstatat(dir, encoded(name).constData(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

std::optional<DataFolder::Stamp> DataFolder::stamp(const QString &name) const
{
    struct stat info;
    const int dir = openFolder();
    if (dir < 0 || fstatat(dir, encoded(name).constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return Stamp {info.st_dev, info.st_ino, info.st_size,
        qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

QStringList DataFolder::names() const
{
    QStringList found;
    const int dir = openFolder();
    DIR *entries = dir < 0 ? nullptr : fdopendir(dup(dir));
    if (entries == nullptr)
        return found;
    rewinddir(entries);
    while (const dirent *entry = readdir(entries)) {
        struct stat info;
        if (fstatat(dir, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
            found.append(QFile::decodeName(entry->d_name));
    }
    closedir(entries);
    return found;
}

bool DataFolder::write(const QString &name, QByteArrayView content) const
{
    const int dir = openFolder();
    if (dir < 0)
        return false;
    struct stat info;
    if (fstatat(dir, encoded(name).constData(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        // The file stays what it is: a link, another's file, one made read-only on purpose.
        const int fd = openFile(name, O_RDONLY | O_NONBLOCK);
        if (fd < 0)
            return false;
        ::close(fd);
        if (faccessat(dir, encoded(name).constData(), W_OK, AT_EACCESS) != 0)
            return failWithErrno(name);
    }
    const QString next = name + QLatin1String(newSuffix);
    const QByteArray nextName = encoded(next);
    unlinkat(dir, nextName.constData(), 0);
    const int fd = openFile(next, O_WRONLY | O_CREAT | O_EXCL);
    if (fd < 0)
        return false;
    const bool written = (fchmod(fd, 0600) == 0 || failWithErrno(name))
        && (writeAll(fd, content) || failWithErrno(name))
        && (fdatasync(fd) == 0 || failWithErrno(name));
    const bool closed = ::close(fd) == 0 || failWithErrno(name);
    // The old file keeps a second name until the folder is synced, so that a folder whose sync
    // fails gets it back (a file system without links goes without).
    const QByteArray file = encoded(name), old = encoded(name + QLatin1String(oldSuffix));
    unlinkat(dir, old.constData(), 0);
    const bool kept
        = written && closed && linkat(dir, file.constData(), dir, old.constData(), 0) == 0;
    const bool renamed = written && closed
        && (renameat(dir, nextName.constData(), dir, file.constData()) == 0 || failWithErrno(name));
    const bool synced = renamed && syncFolder(name);
    if (renamed && !synced && kept)
        renameat(dir, old.constData(), dir, file.constData());
    if (!renamed)
        unlinkat(dir, nextName.constData(), 0);
    if (kept)
        unlinkat(dir, old.constData(), 0);
    return synced;
}

bool DataFolder::append(const QString &name, const Appendix &bytes) const
{
    openFolder();
    int fd = openFile(name, O_RDWR);
    const bool created = fd < 0 && errno == ENOENT;
    if (created)
        fd = openFile(name, O_RDWR | O_CREAT | O_EXCL);
    if (fd < 0)
        return false;
    struct stat info;
    char last = 0;
    bool done = fstat(fd, &info) == 0 || failWithErrno(name);
    if (done && info.st_nlink > 1) {
        // A file with other names (a backup made with hard links) is written anew: an append
        // would change them too.
        ::close(fd);
        const Content content = read(name);
        const char end = content.bytes.isEmpty() ? 0 : content.bytes.back();
        return content.status == Status::Read
            && write(name, content.bytes + bytes(content.bytes.size(), end));
    }
    const qint64 size = done ? info.st_size : 0;
    if (done && size > 0 && pread(fd, &last, 1, size - 1) != 1)
        done = failWithErrno(name);
    done = done && (!created || fchmod(fd, 0600) == 0 || failWithErrno(name))
        && lseek(fd, size, SEEK_SET) == size
        && (writeAll(fd, bytes(size, last)) || failWithErrno(name))
        && (fdatasync(fd) == 0 || failWithErrno(name)) && (!created || syncFolder(name));
    if (!done) {
        // Cut back and checked, so that no part of the line stays to be read as a record.
        const QString reason = m_failure;
        const bool restored = created ? unlinkat(m_fd, encoded(name).constData(), 0) == 0
                                      : fstat(fd, &info) == 0
                && (info.st_size == size
                    || (ftruncate(fd, size) == 0 && fdatasync(fd) == 0 && fstat(fd, &info) == 0
                        && info.st_size == size));
        m_failure = restored ? reason
                             : reason
                + QStringLiteral("; it could not be cut back to its length before the write, "
                                 "so its last line may be cut short");
    }
    ::close(fd);
    return done;
}

bool DataFolder::remove(const QString &name) const
{
    const int dir = openFolder();
    if (dir < 0)
        return false;
    if (unlinkat(dir, encoded(name).constData(), 0) != 0)
        return errno == ENOENT || failWithErrno(name);
    return syncFolder(name);
}

bool DataFolder::rename(const QString &from, const QString &to) const
{
    const int dir = openFolder();
    return dir >= 0
        && (renameat(dir, encoded(from).constData(), dir, encoded(to).constData()) == 0
            || failWithErrno(from))
        && syncFolder(to);
}

int DataFolder::openForLock(const QString &name) const
{
    openFolder();
    int fd = openFile(name, O_RDWR | O_CREAT);
    if (fd >= 0 || errno != EACCES)
        return fd;
    // A lock file of the owner's made read-only is made writable again: a lock needs it.
    fd = openFile(name, O_RDONLY | O_NONBLOCK);
    const bool mended = fd >= 0 && fchmod(fd, 0600) == 0;
    if (fd >= 0)
        ::close(fd);
    return mended ? openFile(name, O_RDWR) : -1;
}

bool DataFolder::givenToOwner(int fd, const struct stat &info) const
{
    // Root's files in another's folder go to that owner, who could not use them otherwise; a
    // file with other names elsewhere is never given away.
    return geteuid() == 0 && info.st_nlink == 1 && fchown(fd, m_owner, m_group) == 0;
}

bool DataFolder::syncFolder(const QString &name) const
{
    return fsync(m_fd) == 0
        || fail(name,
            QString::fromLocal8Bit(strerror(errno)) + QStringLiteral(" (syncing its folder)"));
}

bool DataFolder::fail(const QString &name, const QString &reason) const
{
    const QString file = name.isEmpty() ? m_path : m_path + u'/' + name;
    m_failure = QStringLiteral("%1: %2").arg(file, reason);
    return false;
}

bool DataFolder::failWithErrno(const QString &name) const
{
    return fail(name, QString::fromLocal8Bit(strerror(errno)));
}
