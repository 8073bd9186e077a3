#include "LockCommand.h"

#include "Console.h"
#include "Invocation.h"
#include "security/KeptKey.h"

LockCommand::LockCommand()
    : Command({.name = "lock",
        .description = "Forgets the key that unlock kept: commands ask the master password again."})
{ }

int LockCommand::execute(const Invocation &invocation)
{
    const bool kept = KeptKey(invocation.programFolder).forget();
    invocation.console.print(
        (kept ? QStringLiteral("Forgot the key of %1.") : QStringLiteral("No key of %1 was kept."))
            .arg(invocation.programFolder));
    return Success;
}
