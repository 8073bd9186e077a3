// Makes chosen system calls fail with an error, as a failing disk does, for the files of one
// folder only: LD_PRELOAD this library and set
//   VAULTINE_FAIL      calls to fail, comma-separated: open (for writing), write, fdatasync,
//                      fsync, rename, ftruncate, unlink
//   VAULTINE_FAIL_IN   the folder whose files (and the folder itself) they fail for
//   VAULTINE_FAIL_ERRNO  the error, EIO by default (ENOSPC: "nospc")
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

int failing(const char *call)
{
    const char *calls = getenv("VAULTINE_FAIL");
    if (!calls)
        return 0;
    const size_t length = strlen(call);
    for (const char *at = std::strstr(calls, call); at; at = strstr(at + 1, call)) {
        if ((at == calls || at[-1] == ',') && (at[length] == ',' || at[length] == '\0'))
            return 1;
    }
    return 0;
}

int inFolder(const char *path)
{
    const char *folder = getenv("VAULTINE_FAIL_IN");
    const size_t length = folder ? strlen(folder) : 0;
    return folder && strncmp(path, folder, length) == 0
        && (path[length] == '/' || path[length] == '\0');
}

int fdInFolder(int fd)
{
    char link[64], path[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t size = readlink(link, path, sizeof path - 1);
    if (size < 0)
        return 0;
    path[size] = '\0';
    return inFolder(path);
}

int atInFolder(int dir, const char *name)
{
    if (name[0] == '/' || dir == AT_FDCWD)
        return inFolder(name) || (name[0] != '/' && fdInFolder(dir));
    return fdInFolder(dir);
}

int fail(void)
{
    const char *error = getenv("VAULTINE_FAIL_ERRNO");
    errno = error && strcmp(error, "nospc") == 0 ? ENOSPC : EIO;
    return -1;
}

template <typename Function> Function *real(const char *name)
{
    return reinterpret_cast<Function *>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

int openat(int dir, const char *name, int flags, ...)
{
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(rest, mode_t) : 0;
    va_end(rest);
    if (failing("open") && (flags & (O_WRONLY | O_RDWR)) && atInFolder(dir, name))
        return fail();
    return real<int(int, const char *, int, ...)>("openat")(dir, name, flags, mode);
}

ssize_t write(int fd, const void *bytes, size_t size)
{
    if (failing("write") && fdInFolder(fd))
        return fail();
    return real<ssize_t(int, const void *, size_t)>("write")(fd, bytes, size);
}

int fdatasync(int fd)
{
    return failing("fdatasync") && fdInFolder(fd) ? fail() : real<int(int)>("fdatasync")(fd);
}

int fsync(int fd)
{
    return failing("fsync") && fdInFolder(fd) ? fail() : real<int(int)>("fsync")(fd);
}

int ftruncate(int fd, off_t size)
{
    return failing("ftruncate") && fdInFolder(fd) ? fail()
                                                  : real<int(int, off_t)>("ftruncate")(fd, size);
}

int renameat(int from, const char *fromName, int to, const char *toName)
{
    if (failing("rename") && atInFolder(to, toName))
        return fail();
    return real<int(int, const char *, int, const char *)>("renameat")(from, fromName, to, toName);
}

int unlinkat(int dir, const char *name, int flags)
{
    if (failing("unlink") && atInFolder(dir, name))
        return fail();
    return real<int(int, const char *, int)>("unlinkat")(dir, name, flags);
}

} // extern "C"
