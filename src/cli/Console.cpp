#include "Console.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <termios.h>
#include <unistd.h>

namespace {

struct termios savedTerminal;

// Echo comes back when the program is stopped during a secret prompt.
void restoreEchoAndDie(int signal)
{
    tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void writeLine(FILE *stream, const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

bool inputIsTerminal()
{
    return isatty(STDIN_FILENO) == 1;
}

} // namespace

void Console::print(const QString &line) const
{
    writeLine(stdout, line);
}

void Console::warn(const QString &line) const
{
    writeLine(stderr, line);
}

std::optional<QString> Console::readLine() const
{
    char *buffer = nullptr;
    size_t capacity = 0;
    const ssize_t length = getline(&buffer, &capacity, stdin);
    std::optional<QString> line;
    if (length >= 0) {
        QByteArrayView bytes(buffer, length);
        while (bytes.endsWith('\n') || bytes.endsWith('\r'))
            bytes.chop(1);
        line = QString::fromUtf8(bytes);
    }
    // The buffer may have held a password.
    if (buffer)
        explicit_bzero(buffer, capacity);
    std::free(buffer);
    return line;
}

std::optional<QString> Console::ask(const QString &prompt) const
{
    if (inputIsTerminal()) {
        std::fputs(prompt.toUtf8().constData(), stderr);
        std::fflush(stderr);
    }
    return readLine();
}

std::optional<QString> Console::askSecret(const QString &prompt) const
{
    if (!inputIsTerminal() || tcgetattr(STDIN_FILENO, &savedTerminal) != 0)
        return ask(prompt);
    struct termios silent = savedTerminal;
    silent.c_lflag &= ~tcflag_t(ECHO);
    const auto oldInterrupt = std::signal(SIGINT, restoreEchoAndDie);
    const auto oldTerminate = std::signal(SIGTERM, restoreEchoAndDie);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    std::optional<QString> secret = ask(prompt);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    std::signal(SIGINT, oldInterrupt);
    std::signal(SIGTERM, oldTerminate);
    // The Return typed was not echoed.
    warn(QString());
    return secret;
}

void Console::showMessage(const QString &, const QString &text, Icon)
{
    warn(text);
}
