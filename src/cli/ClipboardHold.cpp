#include "ClipboardHold.h"

#include "Console.h"
#include "DisplayConnection.h"
#include "platform/QtClipboard.h"
#include "vault/RecordLine.h"

#include <QTimer>

#include <algorithm>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ClipboardHold {

namespace {

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t count = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (count < 0 && errno != EINTR)
            return false;
        done += std::max<ssize_t>(count, 0);
    }
    return true;
}

// Everything a descriptor gives until its end.
QByteArray readAll(int fd)
{
    QByteArray all;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count == 0 || (count < 0 && errno != EINTR))
            break;
        all.append(buffer, std::max<ssize_t>(count, 0));
    }
    explicit_bzero(buffer, sizeof buffer);
    return all;
}

QByteArray readLine(int fd, bool &ended)
{
    QByteArray line;
    char c;
    ssize_t count;
    while ((count = ::read(fd, &c, 1)) != 0) {
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            break;
        if (c == '\n') {
            ended = true;
            break;
        }
        line.append(c);
    }
    return line;
}

// The holding process, detached from the terminal's session: its standard input and output
// are the given pipes' ends, its errors go nowhere.
pid_t spawn(int input, int output, int seconds)
{
    const QByteArray count = QByteArray::number(seconds);
    const pid_t child = fork();
    if (child != 0)
        return child;
    setsid();
    const int nowhere = open("/dev/null", O_WRONLY);
    if (dup2(input, STDIN_FILENO) < 0 || dup2(output, STDOUT_FILENO) < 0
        || dup2(nowhere, STDERR_FILENO) < 0)
        _exit(1);
    char program[] = "vaultine-cli";
    char hold[sizeof marker];
    std::memcpy(hold, marker, sizeof marker);
    char *arguments[] = {program, hold, const_cast<char *>(count.constData()), nullptr};
    execv("/proc/self/exe", arguments);
    _exit(1);
}

// Until the holding process ends.
void countDown(int fd, int seconds)
{
    for (int left = seconds; left > 0; --left) {
        std::fprintf(stderr, "\rThe clipboard is emptied in %d s. ", left);
        std::fflush(stderr);
        pollfd end {fd, POLLIN, 0};
        if (poll(&end, 1, 1000) > 0)
            break;
    }
    std::fputs("\n", stderr);
}

} // namespace

bool start(const QByteArray &text, int seconds, bool wait, const Console &console)
{
    int toChild[2];
    int fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0)
        return false;
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        close(toChild[0]);
        close(toChild[1]);
        return false;
    }
    const pid_t child = spawn(toChild[0], fromChild[1], seconds);
    close(toChild[0]);
    close(fromChild[1]);
    // A holding process that died early must not end this one.
    const auto oldPipe = std::signal(SIGPIPE, SIG_IGN);
    const bool sent = child > 0 && writeAll(toChild[1], text);
    std::signal(SIGPIPE, oldPipe);
    close(toChild[1]);
    // An empty line: held; a line of text: why not; nothing: the process died.
    bool answered = false;
    const QByteArray answer = sent ? readLine(fromChild[0], answered) : QByteArray();
    const bool held = answered && answer.isEmpty();
    if (!held) {
        console.warn(answer.isEmpty() ? QStringLiteral("The clipboard could not be reached.")
                                      : QString::fromUtf8(answer));
    } else if (wait) {
        countDown(fromChild[0], seconds);
        readAll(fromChild[0]);
    }
    if (child > 0 && (wait || !held))
        waitpid(child, nullptr, 0);
    close(fromChild[0]);
    return held;
}

int serve(int &argc, char **argv)
{
    const int seconds = std::atoi(argv[2]);
    QByteArray bytes = readAll(STDIN_FILENO);
    const QString text = RecordLine::fromBytes(bytes); // a leading U+FEFF kept
    explicit_bzero(bytes.data(), size_t(bytes.size()));
    if (text.isEmpty()) {
        writeAll(STDOUT_FILENO, "Nothing came to put on the clipboard.\n");
        return 1;
    }
    const auto application = DisplayConnection::open(argc, argv);
    if (!application) {
        writeAll(STDOUT_FILENO,
            "vaultine-cli copy needs a display (DISPLAY or WAYLAND_DISPLAY), "
            "and none could be reached.\n");
        return 1;
    }
    QtClipboard clipboard;
    clipboard.setText(text, true);
    // Told once the clipboard holds it, as a paste right after this program ends finds it.
    QTimer::singleShot(0, [] { writeAll(STDOUT_FILENO, "\n"); });
    QTimer::singleShot(std::chrono::seconds(seconds), Qt::PreciseTimer, application.get(),
        &QCoreApplication::quit);
    application->exec();
    if (clipboard.holds(text)) {
        // Taken back first: a program that owns the clipboard is asked to let it go only
        // by a new owner.
        clipboard.setText(QString(), true);
        clipboard.clear();
    }
    return 0;
}

} // namespace ClipboardHold
