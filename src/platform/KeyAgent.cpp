#include "KeyAgent.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace KeyAgent {

namespace {

// The most an agent holds.
constexpr qsizetype capacity = 4096;
constexpr char fetchRequest = 'k';
constexpr char stopRequest = 'f';
// How long one side of a connection waits for the other.
constexpr timeval patience {2, 0};

std::optional<sockaddr_un> addressOf(const QString &socket)
{
    const QByteArray path = QFile::encodeName(socket);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return address;
}

// The other end is a process of this user, and is waited for a while at most.
bool sameUser(int fd)
{
    ucred peer {};
    socklen_t length = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == geteuid()
        && setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience) == 0
        && setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience) == 0;
}

bool sendAll(int fd, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const ssize_t count = send(fd, bytes.data(), size_t(bytes.size()), MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        bytes = bytes.sliced(count);
    }
    return true;
}

// Up to size bytes, until the end or an error; how many were read.
qsizetype receive(int fd, unsigned char *bytes, qsizetype size)
{
    qsizetype done = 0;
    while (done < size) {
        const ssize_t count = read(fd, bytes + done, size_t(size - done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        done += count;
    }
    return done;
}

// A connection to this user's agent at the socket, the request sent; -1 when there is none.
int ask(const QString &socket, char request)
{
    const std::optional<sockaddr_un> address = addressOf(socket);
    const int fd = address ? ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0) : -1;
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<const sockaddr *>(&*address), sizeof *address) == 0
        && sameUser(fd) && sendAll(fd, QByteArrayView(&request, 1)))
        return fd;
    close(fd);
    return -1;
}

// The listening socket at the address, mode 0600, in place of one an agent that was killed
// left; -1 when it cannot be made.
int listenAt(const sockaddr_un &address)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    unlink(address.sun_path);
    const mode_t mask = umask(0177);
    const bool bound
        = fd >= 0 && bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    umask(mask);
    if (bound && listen(fd, 8) == 0)
        return fd;
    if (fd >= 0)
        close(fd);
    return -1;
}

// Serves one connection of this user: the bytes to a fetch. The stop request's connection is
// given back to be answered once the bytes are gone; -1 for any other.
int answer(int listener, const LockedBytes &secret, qsizetype size)
{
    const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    char request = 0;
    if (client < 0 || !sameUser(client) || read(client, &request, 1) != 1)
        request = 0;
    if (request == fetchRequest)
        sendAll(client, secret.view().first(size));
    if (request == stopRequest)
        return client;
    if (client >= 0)
        close(client);
    return -1;
}

} // namespace

bool start(const QString &socket, QByteArrayView secret, int seconds)
{
    stop(socket);
    const QByteArray path = QFile::encodeName(socket), time = QByteArray::number(seconds);
    // The agent's standard input and output: the bytes in, its answer out.
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    const pid_t agent = fork();
    if (agent == 0) {
        // Of a session of its own: the terminal's end or Ctrl-C does not end it.
        setsid();
        const int nowhere = open("/dev/null", O_WRONLY);
        if (dup2(ends[1], STDIN_FILENO) >= 0 && dup2(ends[1], STDOUT_FILENO) >= 0
            && dup2(nowhere, STDERR_FILENO) >= 0) {
            char program[] = "vaultine-cli";
            char keep[sizeof marker];
            std::memcpy(keep, marker, sizeof marker);
            char *arguments[] = {program, keep, const_cast<char *>(path.constData()),
                const_cast<char *>(time.constData()), nullptr};
            execv("/proc/self/exe", arguments);
        }
        _exit(127);
    }
    close(ends[1]);
    unsigned char ready = 0;
    const bool held = agent > 0 && sendAll(ends[0], secret) && shutdown(ends[0], SHUT_WR) == 0
        && receive(ends[0], &ready, 1) == 1;
    close(ends[0]);
    if (agent > 0 && !held)
        waitpid(agent, nullptr, 0);
    return held;
}

std::optional<LockedBytes> fetch(const QString &socket, qsizetype size)
{
    const int fd = ask(socket, fetchRequest);
    if (fd < 0)
        return std::nullopt;
    LockedBytes secret(size);
    unsigned char more = 0;
    const bool whole = !secret.isNull() && receive(fd, secret.data(), size) == size
        && receive(fd, &more, 1) == 0;
    close(fd);
    return whole ? std::optional(std::move(secret)) : std::nullopt;
}

bool stop(const QString &socket)
{
    const int fd = ask(socket, stopRequest);
    if (fd < 0)
        return false;
    // Answered once the bytes are wiped.
    unsigned char done = 0;
    receive(fd, &done, 1);
    close(fd);
    return true;
}

int serve(char **argv)
{
    const std::optional<sockaddr_un> address = addressOf(QFile::decodeName(argv[2]));
    const int seconds = std::atoi(argv[3]);
    std::optional<LockedBytes> secret(capacity);
    const qsizetype size = secret->isNull() ? 0 : receive(STDIN_FILENO, secret->data(), capacity);
    const int listener = address && size > 0 && seconds > 0 ? listenAt(*address) : -1;
    // Counted on the boot clock, which goes on while the computer sleeps.
    const int timer = timerfd_create(CLOCK_BOOTTIME, TFD_CLOEXEC);
    const itimerspec time {{0, 0}, {seconds, 0}};
    struct stat bound;
    if (listener < 0 || timer < 0 || timerfd_settime(timer, 0, &time, nullptr) != 0
        || stat(address->sun_path, &bound) != 0)
        return 1;
    // Told, then nothing held of the program that started it.
    const int nowhere = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (write(STDOUT_FILENO, "", 1) != 1 || dup2(nowhere, STDIN_FILENO) < 0
        || dup2(nowhere, STDOUT_FILENO) < 0 || chdir("/") != 0)
        return 1;
    pollfd watched[] = {{listener, POLLIN, 0}, {timer, POLLIN, 0}};
    int stopper = -1;
    while (stopper < 0) {
        const int ready = poll(watched, 2, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || watched[1].revents != 0)
            break;
        if (watched[0].revents & POLLIN)
            stopper = answer(listener, *secret, size);
    }
    secret.reset();
    // The socket goes unless another agent took its place.
    struct stat now;
    if (stat(address->sun_path, &now) == 0 && now.st_dev == bound.st_dev
        && now.st_ino == bound.st_ino)
        unlink(address->sun_path);
    if (stopper >= 0) {
        sendAll(stopper, "!");
        close(stopper);
    }
    return 0;
}

} // namespace KeyAgent
