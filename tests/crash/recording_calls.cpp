// Records every operation that changes the files of one folder, in the order made, for the
// crash-state explorer (tst_crashstates) to rebuild what a power cut may leave. LD_PRELOAD this
// library and set
//   VAULTINE_TRACE_IN  the folder whose files (and the folder itself) are recorded
//   VAULTINE_TRACE     the file the operations are appended to, one a line:
//                      KIND INODE OFFSET NAME TO HEX-BYTES, split by tabs, where KIND is create,
//                      write, sync (of a file), syncdir, rename, link, unlink or truncate (to
//                      the size OFFSET)
// Names are those given relative to a descriptor of the folder, as the program's one way into
// its folder makes every call.
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

template <typename Function> Function *real(const char *name)
{
    return reinterpret_cast<Function *>(dlsym(RTLD_NEXT, name));
}

// 1: the descriptor is the folder; 2: a file in it; 0: neither.
int placeOf(int fd)
{
    const char *folder = getenv("VAULTINE_TRACE_IN");
    char link[64], path[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t size = folder ? readlink(link, path, sizeof path - 1) : -1;
    const size_t length = folder ? strlen(folder) : 0;
    if (size < 0 || (path[size] = '\0', strncmp(path, folder, length) != 0))
        return 0;
    if (path[length] == '\0')
        return 1;
    return path[length] == '/' && !strchr(path + length + 1, '/') && !strstr(path, " (deleted)")
        ? 2
        : 0;
}

bool inFolder(int dir, const char *name)
{
    return dir != AT_FDCWD && !strchr(name, '/') && placeOf(dir) == 1;
}

long long inode(int fd)
{
    struct stat info;
    return fstat(fd, &info) == 0 ? (long long)info.st_ino : -1;
}

void record(const char *kind, long long inode, long long offset = 0, const char *name = "",
    const char *to = "", const void *bytes = nullptr, ssize_t size = 0)
{
    std::string line = std::string(kind) + '\t' + std::to_string(inode) + '\t'
        + std::to_string(offset) + '\t' + name + '\t' + to + '\t';
    for (ssize_t i = 0; i < size; ++i) {
        const unsigned char byte = static_cast<const unsigned char *>(bytes)[i];
        line += "0123456789abcdef"[byte >> 4];
        line += "0123456789abcdef"[byte & 15];
    }
    line += '\n';
    const int fd = real<int(int, const char *, int, ...)>("openat")(
        AT_FDCWD, getenv("VAULTINE_TRACE"), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0
        || real<ssize_t(int, const void *, size_t)>("write")(fd, line.data(), line.size())
            != ssize_t(line.size()))
        abort(); // a trace with a gap would rebuild wrong states
    close(fd);
}

} // namespace

extern "C" {

int openat(int dir, const char *name, int flags, ...)
{
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(rest, mode_t) : 0;
    va_end(rest);
    struct stat info;
    const bool traced = inFolder(dir, name);
    const bool created
        = traced && (flags & O_CREAT) && fstatat(dir, name, &info, AT_SYMLINK_NOFOLLOW) != 0;
    const int fd = real<int(int, const char *, int, ...)>("openat")(dir, name, flags, mode);
    if (fd >= 0 && created)
        record("create", inode(fd), 0, name);
    if (fd >= 0 && traced && (flags & O_TRUNC))
        record("truncate", inode(fd));
    return fd;
}

ssize_t write(int fd, const void *bytes, size_t size)
{
    const bool traced = placeOf(fd) == 2;
    const off_t offset
        = traced ? lseek(fd, 0, (fcntl(fd, F_GETFL) & O_APPEND) ? SEEK_END : SEEK_CUR) : 0;
    const ssize_t written = real<ssize_t(int, const void *, size_t)>("write")(fd, bytes, size);
    if (traced && written > 0)
        record("write", inode(fd), offset, "", "", bytes, written);
    return written;
}

ssize_t pwrite(int fd, const void *bytes, size_t size, off_t offset)
{
    const ssize_t written
        = real<ssize_t(int, const void *, size_t, off_t)>("pwrite")(fd, bytes, size, offset);
    if (written > 0 && placeOf(fd) == 2)
        record("write", inode(fd), offset, "", "", bytes, written);
    return written;
}

int fsync(int fd)
{
    const int result = real<int(int)>("fsync")(fd);
    const int place = result == 0 ? placeOf(fd) : 0;
    if (place != 0)
        record(place == 1 ? "syncdir" : "sync", inode(fd));
    return result;
}

int fdatasync(int fd)
{
    const int result = real<int(int)>("fdatasync")(fd);
    if (result == 0 && placeOf(fd) == 2)
        record("sync", inode(fd));
    return result;
}

int ftruncate(int fd, off_t size)
{
    const int result = real<int(int, off_t)>("ftruncate")(fd, size);
    if (result == 0 && placeOf(fd) == 2)
        record("truncate", inode(fd), size);
    return result;
}

int renameat(int from, const char *fromName, int to, const char *toName)
{
    const int result
        = real<int(int, const char *, int, const char *)>("renameat")(from, fromName, to, toName);
    if (result == 0 && inFolder(from, fromName) && inFolder(to, toName))
        record("rename", -1, 0, fromName, toName);
    return result;
}

int linkat(int from, const char *fromName, int to, const char *toName, int flags)
{
    const int result = real<int(int, const char *, int, const char *, int)>("linkat")(
        from, fromName, to, toName, flags);
    if (result == 0 && inFolder(from, fromName) && inFolder(to, toName))
        record("link", -1, 0, fromName, toName);
    return result;
}

int unlinkat(int dir, const char *name, int flags)
{
    const int result = real<int(int, const char *, int)>("unlinkat")(dir, name, flags);
    if (result == 0 && inFolder(dir, name))
        record("unlink", -1, 0, name);
    return result;
}

} // extern "C"
