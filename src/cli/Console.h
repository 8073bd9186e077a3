#pragma once

#include "platform/MessageBoxes.h"

#include <QString>

#include <optional>

// The terminal: lines for people on standard output; errors, notices and prompts on standard
// error; answers read from standard input, a secret without echo when that is a terminal.
class Console : public MessageBoxes
{
public:
    void print(const QString &line) const;
    void warn(const QString &line) const;
    // One line of standard input without its line break; none at its end.
    std::optional<QString> readLine() const;
    // The prompt is shown only to a person, when standard input is a terminal.
    std::optional<QString> ask(const QString &prompt) const;
    std::optional<QString> askSecret(const QString &prompt) const;

    // The window's message boxes become lines on standard error.
    void showMessage(const QString &title, const QString &text, Icon icon) override;
};
