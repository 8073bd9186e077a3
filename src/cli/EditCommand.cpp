#include "EditCommand.h"

#include "Console.h"
#include "Invocation.h"
#include "RecordEntry.h"
#include "VaultSession.h"
#include "vault/RecordLine.h"

namespace {

struct FieldOption
{
    RecordLine::Field field;
    QCommandLineOption option;
};

// The fields that options set; the password comes from standard input only.
const FieldOption fieldOptions[] = {
    {RecordLine::Service,
        {QStringLiteral("service"), QStringLiteral("The new service name (renames)."),
            QStringLiteral("name")}},
    {RecordLine::Username,
        {QStringLiteral("username"), QStringLiteral("The new username."), QStringLiteral("text")}},
    {RecordLine::OtherInfo,
        {QStringLiteral("info"), QStringLiteral("The new other info."), QStringLiteral("text")}},
    {RecordLine::Path,
        {QStringLiteral("path"), QStringLiteral("The new path."), QStringLiteral("text")}},
};

QList<QCommandLineOption> options()
{
    QList<QCommandLineOption> all {VaultSession::which};
    for (const FieldOption &given : fieldOptions)
        all.append(given.option);
    return all;
}

} // namespace

EditCommand::EditCommand()
    : Command({.name = "edit",
        .description = "Changes the record of a service.",
        .details = "Without options, asks each field on the terminal with the old value as "
                   "default (Return keeps it; the password is not echoed). With field options "
                   "or --password-stdin, asks nothing: the options set their fields and, "
                   "with --password-stdin, the line after the master password's, when there "
                   "is one, is the new password. A new service name renames the record.",
        .options = options(),
        .arguments = {{"service", "The service name, exactly as listed."}}})
{ }

int EditCommand::execute(const Invocation &invocation)
{
    VaultSession vault(invocation);
    if (!vault.open(VaultSession::Mode::Write))
        return Refused;
    const std::optional<qsizetype> index = vault.chosenRecord(invocation);
    if (!index)
        return Refused;
    Console &console = invocation.console;
    const QStringList old = RecordLine::recordFields(vault.book().record(*index));
    std::optional<QStringList> fields = old;
    bool scripted = invocation.passwordFromStdin;
    for (const FieldOption &given : fieldOptions) {
        if (invocation.parser.isSet(given.option)) {
            (*fields)[given.field] = invocation.parser.value(given.option);
            scripted = true;
        }
    }
    if (invocation.passwordFromStdin) {
        if (const std::optional<QString> password = console.readLine();
            password && !password->isEmpty())
            (*fields)[RecordLine::Password] = *password;
    }
    if (!scripted)
        fields = RecordEntry(console).askChanges(*fields);
    if (!fields)
        return Refused;
    if (const QString why = RecordEntry::refusal(*fields, old); !why.isEmpty()) {
        console.warn(why);
        return Refused;
    }
    if (!vault.done(vault.editor().replaceRecord(*index, *fields)))
        return Refused;
    console.print(QStringLiteral("Changed the record of %1.").arg(fields->at(RecordLine::Service)));
    return Success;
}
