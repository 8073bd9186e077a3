#include "ShowCommand.h"

#include "Console.h"
#include "Invocation.h"
#include "VaultSession.h"
#include "vault/RecordLine.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>
#include <utility>

namespace {

const QCommandLineOption reveal(QStringLiteral("reveal"), QStringLiteral("Prints the password."));
const QCommandLineOption field(QStringLiteral("field"),
    QStringLiteral("Prints this field alone: password, username, info or path."),
    QStringLiteral("name"));
const QCommandLineOption json(QStringLiteral("json"),
    QStringLiteral("Prints the records as UTF-8 JSON: an array of objects with the keys "
                   "service, username, info, path and, with --reveal, password."));

// The field names of --field and the keys of --json.
const std::pair<const char *, RecordLine::Field> fieldNames[] = {
    {"service", RecordLine::Service},
    {"username", RecordLine::Username},
    {"password", RecordLine::Password},
    {"info", RecordLine::OtherInfo},
    {"path", RecordLine::Path},
};

std::optional<RecordLine::Field> chosenField(const QCommandLineParser &parser)
{
    for (const auto &[name, chosen] : fieldNames) {
        if (chosen != RecordLine::Service && parser.value(field) == QLatin1String(name))
            return chosen;
    }
    return std::nullopt;
}

QByteArray jsonOf(const QList<QStringList> &records, bool revealed)
{
    QJsonArray array;
    for (const QStringList &fields : records) {
        QJsonObject object;
        for (const auto &[name, each] : fieldNames) {
            if (each != RecordLine::Password || revealed)
                object.insert(QLatin1String(name), fields[each]);
        }
        array.append(object);
    }
    return QJsonDocument(array).toJson();
}

} // namespace

ShowCommand::ShowCommand()
    : Command({.name = "show",
        .description = "Shows the records of a service.",
        .details = "Every record of the service, or with --which the one of that username; "
                   "--field prints one field of the one record chosen, and refuses a service "
                   "of several records without --which, naming their usernames.",
        .options = {VaultSession::which, reveal, field, json},
        .arguments = {{"service", "The service name, exactly as listed."}}})
{ }

QString ShowCommand::usageError(const QCommandLineParser &parser) const
{
    if (parser.isSet(field) && !chosenField(parser))
        return QStringLiteral("--field takes password, username, info or path.");
    if (parser.isSet(field) && parser.isSet(json))
        return QStringLiteral("--field and --json do not go together.");
    return {};
}

int ShowCommand::execute(const Invocation &invocation)
{
    VaultSession vault(invocation);
    if (!vault.open(VaultSession::Mode::Read))
        return Refused;
    Console &console = invocation.console;
    if (const std::optional<RecordLine::Field> chosen = chosenField(invocation.parser)) {
        const std::optional<qsizetype> index = vault.chosenRecord(invocation);
        if (!index)
            return Refused;
        console.print(RecordLine::outputFields(vault.book().record(*index)).at(*chosen));
        return Success;
    }
    const QList<QStringList> records = vault.recordsOf(invocation);
    const bool revealed = invocation.parser.isSet(reveal);
    if (invocation.parser.isSet(json)) {
        if (!records.isEmpty())
            console.write(jsonOf(records, revealed));
        return records.isEmpty() ? Refused : Success;
    }
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
