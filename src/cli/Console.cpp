#include "Console.h"

#include "vault/RecordLine.h"

#include <QList>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

int terminal = -1;
struct termios savedTerminal;

// Echo comes back when the program is stopped during a secret prompt.
void restoreEchoAndDie(int signal)
{
    tcsetattr(terminal, TCSANOW, &savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

bool writeBytes(FILE *stream, const QByteArray &bytes)
{
    const size_t written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    return std::fflush(stream) == 0 && written == size_t(bytes.size()) && !std::ferror(stream);
}

// Text for a stream: on a terminal, control characters a stored field may hold (ESC starts
// sequences that rewrite the screen) are shown as ^X, as cat -v shows them, and invisible
// format characters (direction overrides that reorder what follows, zero-width spaces) by
// their code, such as <U+202E>.
QByteArray shownOn(FILE *stream, const QString &text)
{
    if (isatty(fileno(stream)) != 1)
        return text.toUtf8();
    QString shown;
    // By code point: tag characters, beyond the 16-bit range, are invisible format characters.
    for (const char32_t code : text.toUcs4()) {
        const QChar::Category category = QChar::category(code);
        if (category == QChar::Other_Format)
            shown += QStringLiteral("<U+%1>").arg(uint(code), 4, 16, QChar(u'0')).toUpper();
        else if (category != QChar::Other_Control || code == u'\n' || code == u'\t')
            shown += QString::fromUcs4(&code, 1);
        else
            shown += (code >= 0x80 ? QStringLiteral("M-^") : QStringLiteral("^"))
                + QChar(code == 0x7f ? u'?' : char16_t((code + 0x40) & 0x7f));
    }
    return shown.toUtf8();
}

bool inputIsTerminal()
{
    return isatty(STDIN_FILENO) == 1;
}

// One line of a stream without its line break; none at its end.
std::optional<QString> lineOf(FILE *stream)
{
    char *buffer = nullptr;
    size_t capacity = 0;
    const ssize_t length = getline(&buffer, &capacity, stream);
    std::optional<QString> line;
    if (length >= 0) {
        QByteArrayView bytes(buffer, length);
        while (bytes.endsWith('\n') || bytes.endsWith('\r'))
            bytes.chop(1);
        // Read as stored lines are: a leading U+FEFF kept, a line not in UTF-8 as Windows-1252.
        line = RecordLine::fromBytes(QByteArray::fromRawData(buffer, bytes.size()));
    }
    // The buffer may have held a password.
    if (buffer)
        explicit_bzero(buffer, capacity);
    std::free(buffer);
    return line;
}

// One line of a descriptor read a byte at a time, so that no buffer of the C library holds it
// and what follows its line end stays unread; none at the input's end or on a read error. Its
// bytes are wiped as the buffer grows and once the text is made.
std::optional<QString> secretLineOf(int descriptor)
{
    std::vector<char> bytes;
    bytes.reserve(256);
    const auto wipe = [](std::vector<char> &old) { explicit_bzero(old.data(), old.size()); };
    char byte = 0;
    ssize_t count;
    while ((count = read(descriptor, &byte, 1)) == 1 || (count < 0 && errno == EINTR)) {
        if (count == 1 && byte == '\n')
            break;
        if (count != 1)
            continue;
        if (bytes.size() == bytes.capacity()) {
            std::vector<char> larger;
            larger.reserve(bytes.capacity() * 2);
            larger.assign(bytes.begin(), bytes.end());
            wipe(bytes);
            bytes = std::move(larger);
        }
        bytes.push_back(byte);
    }
    // Ended by its line end, or by the input's end after some bytes.
    std::optional<QString> line;
    if (count == 1 || (count == 0 && !bytes.empty())) {
        qsizetype size = qsizetype(bytes.size());
        while (size > 0 && bytes[size_t(size) - 1] == '\r')
            --size;
        line = RecordLine::fromBytes(QByteArray::fromRawData(bytes.data(), size));
    }
    wipe(bytes);
    return line;
}

} // namespace

void Console::print(const QString &line) const
{
    write(shownOn(stdout, line) + '\n');
}

void Console::warn(const QString &line) const
{
    writeBytes(stderr, shownOn(stderr, line) + '\n');
}

void Console::write(const QByteArray &bytes) const
{
    // On a terminal, shown as printed lines are, a CR LF line end as LF.
    const QByteArray shown = isatty(fileno(stdout)) == 1
        ? shownOn(
            stdout, QString::fromUtf8(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n")))
        : bytes;
    if (!writeBytes(stdout, shown))
        m_outputFailed = true;
}

std::optional<QString> Console::readLine() const
{
    return lineOf(stdin);
}

std::optional<QByteArray> Console::readAll() const
{
    QByteArray all;
    char buffer[65536];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
        all.append(buffer, qsizetype(count));
    if (std::ferror(stdin))
        return std::nullopt;
    return all;
}

std::optional<QString> Console::readSecretLine() const
{
    return secretLineOf(STDIN_FILENO);
}

std::optional<QString> Console::ask(const QString &prompt) const
{
    if (!inputIsTerminal())
        return readLine();
    std::fputs(shownOn(stderr, prompt).constData(), stderr);
    std::fflush(stderr);
    std::optional<QString> answer = readLine();
    if (!answer)
        warn(QString());
    return answer;
}

std::optional<QString> Console::askSecret(const QString &prompt) const
{
    FILE *tty = std::fopen("/dev/tty", "r+e");
    if (!tty) {
        warn(QStringLiteral("There is no terminal to ask \"%1\" on: --password-stdin reads the "
                            "master password, add --stdin a record, from standard input.")
                 .arg(prompt.trimmed().chopped(1)));
        return std::nullopt;
    }
    std::setvbuf(tty, nullptr, _IONBF, 0);
    terminal = fileno(tty);
    const bool silenced = tcgetattr(terminal, &savedTerminal) == 0;
    struct termios silent = savedTerminal;
    silent.c_lflag &= ~tcflag_t(ECHO);
    const auto oldInterrupt = std::signal(SIGINT, restoreEchoAndDie);
    const auto oldTerminate = std::signal(SIGTERM, restoreEchoAndDie);
    if (silenced)
        tcsetattr(terminal, TCSAFLUSH, &silent);
    std::fputs(prompt.toUtf8().constData(), tty);
    std::optional<QString> secret = secretLineOf(terminal);
    if (silenced)
        tcsetattr(terminal, TCSAFLUSH, &savedTerminal);
    std::signal(SIGINT, oldInterrupt);
    std::signal(SIGTERM, oldTerminate);
    // The Return typed was not echoed; Ctrl-D ends the line too.
    std::fputs("\n", tty);
    std::fclose(tty);
    return secret;
}

void Console::showMessage(const QString &, const QString &text, Icon, const QString &detail)
{
    warn(text);
    if (!detail.isEmpty())
        warn(detail);
}
