#include "ListCommand.h"

#include "Console.h"
#include "Invocation.h"
#include "VaultSession.h"

ListCommand::ListCommand()
    : Command({.name = "list",
        .description = "Lists the service names, those holding TEXT when it is given.",
        .arguments = {{"text", "Only the names that hold this text, letter case ignored.", true}}})
{ }

int ListCommand::execute(const Invocation &invocation)
{
    VaultSession vault(invocation);
    if (!vault.open(VaultSession::Mode::Read))
        return Refused;
    const QString text = invocation.arguments.value(0);
    for (const QString &service : vault.book().services()) {
        if (service.contains(text, Qt::CaseInsensitive))
            invocation.console.print(service);
    }
    return Success;
}
