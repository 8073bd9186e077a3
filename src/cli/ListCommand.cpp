#include "ListCommand.h"

#include "Console.h"
#include "Invocation.h"
#include "VaultSession.h"
#include "vault/RecordLine.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

const QCommandLineOption json(
    QStringLiteral("json"), QStringLiteral("Prints the names as a UTF-8 JSON array of strings."));

} // namespace

ListCommand::ListCommand()
    : Command({.name = "list",
        .description = "Lists the service names, those holding TEXT when it is given.",
        .options = {json},
        .arguments = {{"text", "Only the names that hold this text, letter case ignored.", true}}})
{ }

int ListCommand::execute(const Invocation &invocation)
{
    VaultSession vault(invocation);
    if (!vault.open(VaultSession::Mode::Read))
        return Refused;
    const QString text = invocation.arguments.value(0);
    QStringList names;
    for (const QString &service : vault.book().services()) {
        if (service.contains(text, Qt::CaseInsensitive))
            names.append(service);
    }
    if (invocation.parser.isSet(json)) {
        QJsonArray array;
        for (const QString &name : names)
            array.append(RecordLine::outputText(name));
        invocation.console.write(QJsonDocument(array).toJson());
        return Success;
    }
    for (const QString &name : names)
        invocation.console.print(name);
    return Success;
}
