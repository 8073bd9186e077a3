#include "RemoveCommand.h"

#include "Console.h"
#include "Invocation.h"
#include "VaultSession.h"

namespace {

const QCommandLineOption force(QStringLiteral("force"), QStringLiteral("Asks nothing."));

} // namespace

RemoveCommand::RemoveCommand()
    : Command({.name = "remove",
        .description = "Removes the record of a service, after asking.",
        .options = {VaultSession::which, force},
        .arguments = {{"service", "The service name, exactly as listed."}}})
{ }

int RemoveCommand::execute(const Invocation &invocation)
{
    VaultSession vault(invocation);
    if (!vault.open(VaultSession::Mode::Write))
        return Refused;
    const QString service = invocation.arguments.first();
    const std::optional<qsizetype> index = vault.chosenRecord(invocation);
    if (!index)
        return Refused;
    Console &console = invocation.console;
    if (!invocation.parser.isSet(force)) {
        const std::optional<QString> answer
            = console.ask(QStringLiteral("Remove the record of %1? [y/N] ").arg(service));
        if (!answer || !answer->startsWith(u'y', Qt::CaseInsensitive)) {
            console.warn(QStringLiteral("Nothing was removed."));
            return Refused;
        }
    }
    if (!vault.done(vault.editor().removeRecord(*index)))
        return Refused;
    console.print(QStringLiteral("Removed the record of %1.").arg(service));
    return Success;
}
