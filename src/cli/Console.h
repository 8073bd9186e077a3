#pragma once

#include "platform/MessageBoxes.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The terminal: lines for people on standard output; errors, notices and prompts on standard
// error; answers read from standard input, secrets from the terminal itself without echo.
class Console : public MessageBoxes
{
public:
    void print(const QString &line) const;
    void warn(const QString &line) const;
    // Bytes as they are on standard output; on a terminal, stored fields are shown as print
    // shows them.
    void write(const QByteArray &bytes) const;
    // True once a write to standard output failed (a full disk, a closed file).
    bool outputFailed() const { return m_outputFailed; }
    // One line of standard input without its line break; none at its end.
    std::optional<QString> readLine() const;
    // The same for a password, read before any other line: no copy of it stays in the C
    // library's buffer, and the lines after it are left to readLine() and readAll().
    std::optional<QString> readSecretLine() const;
    // The rest of standard input; none when it could not be read.
    std::optional<QByteArray> readAll() const;
    // The prompt is shown only to a person, when standard input is a terminal. Input that
    // ends there (Ctrl-D) ends the prompt's line.
    std::optional<QString> ask(const QString &prompt) const;
    // Asked on the terminal (/dev/tty) without echo, whatever standard input is, and read as
    // readSecretLine() reads. None when there is no terminal (told) or its input ends.
    std::optional<QString> askSecret(const QString &prompt) const;

    // The window's message boxes become lines on standard error.
    using MessageBoxes::showMessage;
    void showMessage(
        const QString &title, const QString &text, Icon icon, const QString &detail) override;

private:
    mutable bool m_outputFailed = false;
};
