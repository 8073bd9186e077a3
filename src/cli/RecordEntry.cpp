#include "RecordEntry.h"

#include "Console.h"
#include "vault/RecordLine.h"

#include <algorithm>

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
    m_console.warn(QStringLiteral("The input ended; nothing was changed."));
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
        if (!first)
            return ended();
        const std::optional<QString> again
            = m_console.askSecret(QStringLiteral("Password again: "));
        if (!again)
            return ended();
        if (*first != *again) {
            m_console.warn(QStringLiteral("The two passwords differ."));
            return std::nullopt;
        }
        fields.append(*first);
    }
    return fields;
}

std::optional<QStringList> RecordEntry::askChanges(const QStringList &old) const
{
    QStringList fields = old;
    for (int i = 0; i < RecordLine::fieldCount; ++i) {
        const QString label = QString::fromLatin1(labels[i]);
        const std::optional<QString> answer = i == RecordLine::Password
            ? m_console.askSecret(label + QStringLiteral(" (Return keeps it): "))
            : m_console.ask(QStringLiteral("%1 [%2]: ").arg(label, old[i]));
        if (!answer)
            return ended();
        if (!answer->isEmpty())
            fields[i] = *answer;
    }
    return fields;
}

QString RecordEntry::refusal(const QStringList &fields, const QStringList &before)
{
    const auto emptied = [&](RecordLine::Field field) {
        return fields[field].isEmpty() && !before.value(field, QStringLiteral("x")).isEmpty();
    };
    if (emptied(RecordLine::Service) || emptied(RecordLine::Username)
        || emptied(RecordLine::Password))
        return QStringLiteral("A record needs a Service, a Username and a Password.");
    if (std::any_of(fields.begin(), fields.end(),
            [](const QString &field) { return field.contains(u'\r') || field.contains(u'\n'); }))
        return QStringLiteral("A field can not hold a line break.");
    return {};
}
