#include "CopyCommand.h"

#include "ClipboardHold.h"
#include "Console.h"
#include "Invocation.h"
#include "VaultSession.h"
#include "vault/RecordLine.h"

#include <optional>
#include <utility>

namespace {

using namespace std::chrono_literals;

constexpr auto holdTime = 45s;

const QCommandLineOption field(QStringLiteral("field"),
    QStringLiteral("The field to copy: username, password (the default) or path."),
    QStringLiteral("name"), QStringLiteral("password"));

const std::pair<const char *, RecordLine::Field> fieldNames[] = {
    {"username", RecordLine::Username},
    {"password", RecordLine::Password},
    {"path", RecordLine::Path},
};

std::optional<RecordLine::Field> chosenField(const QCommandLineParser &parser)
{
    for (const auto &[name, chosen] : fieldNames) {
        if (parser.value(field) == QLatin1String(name))
            return chosen;
    }
    return std::nullopt;
}

} // namespace

CopyCommand::CopyCommand()
    : Command({.name = "copy",
        .description = "Puts a field of a service's record on the clipboard for 45 seconds.",
        .options = {field},
        .arguments = {{"service", "The service name, exactly as listed."}},
        .needsDisplay = true})
{ }

QString CopyCommand::usageError(const QCommandLineParser &parser) const
{
    return chosenField(parser) ? QString()
                               : QStringLiteral("--field takes username, password or path.");
}

int CopyCommand::execute(const Invocation &invocation)
{
    Console &console = invocation.console;
    const QString name = invocation.parser.value(field);
    const RecordLine::Field chosen = *chosenField(invocation.parser);
    VaultSession vault(invocation);
    if (!vault.open(VaultSession::Mode::Read))
        return Refused;
    const QString service = invocation.arguments.first();
    const QList<QStringList> records = vault.recordsOf(service);
    if (records.isEmpty())
        return Refused;
    if (records.size() > 1)
        console.warn(QStringLiteral("%1 records have this service name; the first one is copied.")
                         .arg(records.size()));
    const QString text = records.first()[chosen];
    if (text.isEmpty()) {
        console.warn(QStringLiteral("The %1 of %2 is empty.").arg(name, service));
        return Refused;
    }
    console.print(QStringLiteral("The %1 of %2 is on the clipboard for %3 seconds, or until "
                                 "another program takes it.")
                      .arg(name, service)
                      .arg(holdTime.count()));
    const bool secret = chosen == RecordLine::Password;
    if (ClipboardHold::hold(text, secret, holdTime) == ClipboardHold::End::Taken)
        console.print(QStringLiteral("Another program took the clipboard."));
    else
        console.print(QStringLiteral("The clipboard was emptied."));
    return Success;
}
