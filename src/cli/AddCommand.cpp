#include "AddCommand.h"

#include "Console.h"
#include "Invocation.h"
#include "RecordEntry.h"
#include "VaultSession.h"
#include "vault/RecordLine.h"

namespace {

const QCommandLineOption fromStdin(QStringLiteral("stdin"),
    QStringLiteral("Reads the record from five lines of standard input: Service, Username, "
                   "Password, Other Info, Path."));

} // namespace

AddCommand::AddCommand()
    : Command({.name = "add",
        .description = "Adds a record, asking its fields on the terminal.",
        .options = {fromStdin}})
{ }

int AddCommand::execute(const Invocation &invocation)
{
    VaultSession vault(invocation);
    if (!vault.open(VaultSession::Mode::Write))
        return Refused;
    const RecordEntry entry(invocation.console);
    const std::optional<QStringList> fields
        = invocation.parser.isSet(fromStdin) ? entry.readLines() : entry.ask();
    if (!fields)
        return Refused;
    if (const QString why = RecordEntry::refusal(*fields); !why.isEmpty()) {
        invocation.console.warn(why);
        return Refused;
    }
    if (!vault.done(vault.editor().addRecord(*fields)))
        return Refused;
    invocation.console.print(
        QStringLiteral("Added the record of %1.").arg(fields->at(RecordLine::Service)));
    return Success;
}
