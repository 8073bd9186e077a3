#include "ClipboardHold.h"

#include "Console.h"
#include "DisplayConnection.h"
#include "platform/QtClipboard.h"
#include "vault/RecordLine.h"

#include <QClipboard>
#include <QEventLoop>
#include <QMimeData>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <chrono>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ClipboardHold {

namespace {

// How often the clipboard is emptied at most, and how long a clipboard manager is given each
// time to put the text back.
constexpr int clears = 3;
constexpr std::chrono::seconds lookAgain(2);

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

// Whether a reader of the descriptor waits for every writer to end: a pipe or a socket.
bool awaited(int fd)
{
    struct stat status;
    return fstat(fd, &status) == 0 && (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode));
}

// The holding process, detached from the terminal's session: its standard input and output
// are the given pipes' ends. It keeps standard error, to tell when it could not empty the
// clipboard, unless that would hold up a reader who does not wait for it.
pid_t spawn(int input, int output, int seconds, bool wait)
{
    const QByteArray count = QByteArray::number(seconds);
    const pid_t child = fork();
    if (child != 0)
        return child;
    setsid();
    const int nowhere = open("/dev/null", O_WRONLY);
    if (dup2(input, STDIN_FILENO) < 0 || dup2(output, STDOUT_FILENO) < 0
        || (!wait && awaited(STDERR_FILENO) && dup2(nowhere, STDERR_FILENO) < 0))
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

// The copy this process holds: its text and its stamp, and whether a newer copy of the same
// text took its place.
struct Copy
{
    explicit Copy(const QString &copied)
        : text(copied)
    { }

    QtClipboard clipboard;
    QString text;
    QByteArray stamp = QByteArray::number(QRandomGenerator::system()->generate64(), 16);
    bool superseded = false;
};

// Whether the clipboard holds this copy: its own, or the text held unmarked by another
// program (a clipboard manager that took it over, or put it back). The same text with another
// stamp, or marked secret by another program, is a newer copy with a hold of its own: this
// copy steps aside for good, also when a clipboard manager takes that one over.
bool heldHere(Copy &copy)
{
    if (copy.superseded || !copy.clipboard.holds(copy.text))
        return false;
    const QClipboard *desktop = QGuiApplication::clipboard();
    if (desktop->ownsClipboard())
        return true;
    const QMimeData *data = desktop->mimeData();
    if (!data)
        return true;
    const QByteArray stamp = data->data(QString::fromLatin1(QtClipboard::copyStamp));
    copy.superseded = stamp.isEmpty()
        ? data->data(QString::fromLatin1(QtClipboard::secretHint)) == "secret"
        : stamp != copy.stamp;
    return !copy.superseded;
}

// Whether the text is back within a while (a clipboard manager that keeps a history offers
// it again once it is gone).
bool comesBack(Copy &copy)
{
    QEventLoop loop;
    QTimer::singleShot(lookAgain, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, &loop, [&] {
        if (heldHere(copy))
            loop.quit();
    });
    loop.exec();
    return heldHere(copy);
}

// Empties the clipboard if it holds this copy, and again each time it comes back, a bounded
// number of times. Whether the text is gone or left to a newer copy.
bool takeBack(Copy &copy)
{
    for (int cleared = 0; cleared < clears; ++cleared) {
        if (!heldHere(copy))
            return true;
        // Taken back first: a program that owns the clipboard is asked to let it go only by
        // a new owner.
        copy.clipboard.setText(QString(), true);
        copy.clipboard.clear();
        if (!comesBack(copy))
            return true;
    }
    return false;
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
    const pid_t child = spawn(toChild[0], fromChild[1], seconds, wait);
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
    // Waited for, it tells on standard error when it could not empty the clipboard.
    int status = 0;
    if (child > 0 && (wait || !held))
        waitpid(child, &status, 0);
    close(fromChild[0]);
    return held && status == 0;
}

int serve(int &argc, char **argv)
{
    // Standard error may be a terminal: it gets what this process says itself, no more.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
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
    Copy copy(text);
    copy.clipboard.setStampedText(text, copy.stamp);
    // Told once the clipboard holds it, as a paste right after this program ends finds it.
    QTimer::singleShot(0, [] { writeAll(STDOUT_FILENO, "\n"); });
    QTimer::singleShot(std::chrono::seconds(seconds), Qt::PreciseTimer, application.get(),
        &QCoreApplication::quit);
    // A newer copy is seen when it comes, before a clipboard manager may take it over.
    QObject::connect(
        QGuiApplication::clipboard(), &QClipboard::dataChanged, application.get(), [&] {
            if (!heldHere(copy) && copy.superseded)
                QCoreApplication::quit();
        });
    application->exec();
    if (takeBack(copy))
        return 0;
    Console().warn(QStringLiteral("vaultine-cli: the copied text is still on the clipboard: a "
                                  "clipboard manager put it back each of the %1 times it was "
                                  "emptied. Delete it from that manager's history.")
                       .arg(clears));
    return 1;
}

} // namespace ClipboardHold
