#include "RecordEntry.h"

#include "Console.h"
#include "vault/RecordLine.h"

namespace {

const char *const labels[RecordLine::fieldCount]
    = {"Service", "Username", "Password", "Other Info", "Path"};

} // namespace

RecordEntry::RecordEntry(const Console &console)
    : m_console(console)
{ }

std::optional<QStringList> RecordEntry::readLines() const
{
    QStringList fields;
    // Missing last lines leave their fields empty.
    for (int i = 0; i < RecordLine::fieldCount; ++i)
        fields.append(m_console.readLine().value_or(QString()));
    // More is a second record, which would be lost.
    while (const std::optional<QString> more = m_console.readLine()) {
        if (!more->isEmpty()) {
            m_console.warn(QStringLiteral("add --stdin takes one record of five lines; import "
                                          "--csv - adds several. Nothing was added."));
            return std::nullopt;
        }
    }
    return fields;
}

std::nullopt_t RecordEntry::ended() const
{
    m_console.warn(QStringLiteral("The input ended; nothing was added."));
    return std::nullopt;
}

std::optional<QStringList> RecordEntry::ask() const
{
    QStringList fields;
    for (int i = 0; i < RecordLine::fieldCount; ++i) {
        const QString prompt = QString::fromLatin1(labels[i]) + QStringLiteral(": ");
        if (i != RecordLine::Password) {
            const std::optional<QString> field = m_console.ask(prompt);
            if (!field)
                return ended();
            fields.append(*field);
            continue;
        }
        const std::optional<QString> first = m_console.askSecret(prompt);
        const std::optional<QString> again
            = m_console.askSecret(QStringLiteral("Password again: "));
        if (!first || !again)
            return ended();
        if (*first != *again) {
            m_console.warn(QStringLiteral("The two passwords differ."));
            return std::nullopt;
        }
        fields.append(*first);
    }
    return fields;
}
