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

// Why the window would not add these fields; empty when it would.
QString incompleteness(const QStringList &fields)
{
    if (fields[RecordLine::Service].isEmpty() || fields[RecordLine::Username].isEmpty()
        || fields[RecordLine::Password].isEmpty())
        return QStringLiteral("A record needs a Service, a Username and a Password.");
    return RecordEntry::lineBreakRefusal(fields);
}

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
    if (const QString why = incompleteness(*fields); !why.isEmpty()) {
        invocation.console.warn(why);
        return Refused;
    }
    if (!vault.done(vault.editor().addRecord(*fields)))
        return Refused;
    invocation.console.print(
        QStringLiteral("Added the record of %1.").arg(fields->at(RecordLine::Service)));
    return Success;
}
