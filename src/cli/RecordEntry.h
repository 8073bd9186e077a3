#pragma once

#include <QStringList>

#include <optional>

class Console;

// The five fields of a new record: five lines of standard input, or asked one by one with
// the password asked twice and never echoed. None when the input ends, holds more than one
// record or the two passwords differ (told).
class RecordEntry
{
public:
    explicit RecordEntry(const Console &console);

    std::optional<QStringList> readLines() const;
    std::optional<QStringList> ask() const;
    // The fields of a record being edited, asked with the old values as defaults: an empty
    // answer keeps the old value, the password is asked without echo.
    std::optional<QStringList> askChanges(const QStringList &old) const;

    // Why the window would not store these fields (Service empty, Username or Password
    // emptied where the record before held one, a line break); empty when it would.
    static QString refusal(const QStringList &fields, const QStringList &before = {});

private:
    std::nullopt_t ended() const;

    const Console &m_console;
};
