#include "ShowCommand.h"

#include "Console.h"
#include "Invocation.h"
#include "VaultSession.h"
#include "vault/RecordLine.h"

namespace {

const QCommandLineOption reveal(QStringLiteral("reveal"), QStringLiteral("Prints the password."));

} // namespace

ShowCommand::ShowCommand()
    : Command({.name = "show",
        .description = "Shows the record of a service.",
        .options = {reveal},
        .arguments = {{"service", "The service name, exactly as listed."}}})
{ }

int ShowCommand::execute(const Invocation &invocation)
{
    VaultSession vault(invocation);
    if (!vault.open(VaultSession::Mode::Read))
        return Refused;
    const QList<QStringList> records = vault.recordsOf(invocation.arguments.first());
    const bool revealed = invocation.parser.isSet(reveal);
    Console &console = invocation.console;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const QStringList &fields = records[i];
        if (i > 0)
            console.print(QString());
        console.print(QStringLiteral("Username: ") + fields[RecordLine::Username]);
        console.print(QStringLiteral("Password: ")
            + (revealed ? fields[RecordLine::Password] : QStringLiteral("****")));
        console.print(QStringLiteral("Other Info: ") + fields[RecordLine::OtherInfo]);
        console.print(QStringLiteral("Path: ") + fields[RecordLine::Path]);
    }
    return records.isEmpty() ? Refused : Success;
}
