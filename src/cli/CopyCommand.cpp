#include "CopyCommand.h"

#include "ClipboardHold.h"
#include "Console.h"
#include "Invocation.h"
#include "VaultSession.h"
#include "vault/RecordLine.h"

#include <optional>
#include <utility>

namespace {

const QCommandLineOption field(QStringLiteral("field"),
    QStringLiteral("The field to copy: username, password (the default) or path."),
    QStringLiteral("name"), QStringLiteral("password"));
const QCommandLineOption timeout(QStringLiteral("timeout"),
    QStringLiteral("Seconds until the clipboard is emptied (default %1).")
        .arg(ClipboardHold::usualSeconds),
    QStringLiteral("seconds"), QString::number(ClipboardHold::usualSeconds));
const QCommandLineOption wait(QStringLiteral("wait"),
    QStringLiteral("Returns only when the clipboard has been emptied, counting down."));

// Whole seconds from 1 to a day; none otherwise.
std::optional<int> secondsOf(const QCommandLineParser &parser)
{
    bool number = false;
    const int seconds = parser.value(timeout).toInt(&number);
    return number && seconds > 0 && seconds <= 86400 ? std::optional(seconds) : std::nullopt;
}

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
        .description = "Puts a field of a service's record on the clipboard for a while.",
        .details = "Returns at once: a process of its own holds the text, marked secret for "
                   "clipboard managers, and at the deadline empties the clipboard if it still "
                   "holds that text, whichever program (a clipboard manager) holds it by then, "
                   "and again when a clipboard manager puts it back; it tells when the text "
                   "keeps coming back. A later copy of the same text starts the time anew: "
                   "the earlier process then empties nothing.",
        .options = {field, VaultSession::which, timeout, wait},
        .arguments = {{"service", "The service name, exactly as listed."}},
        .needsDisplay = true})
{ }

QString CopyCommand::usageError(const QCommandLineParser &parser) const
{
    if (!chosenField(parser))
        return QStringLiteral("--field takes username, password or path.");
    return secondsOf(parser) ? QString()
                             : QStringLiteral("--timeout takes whole seconds, 1 to 86400.");
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
    const std::optional<qsizetype> index = vault.chosenRecord(invocation);
    if (!index)
        return Refused;
    const QString text = RecordLine::outputFields(vault.book().record(*index))[chosen];
    if (text.isEmpty()) {
        console.warn(QStringLiteral("The %1 of %2 is empty.").arg(name, service));
        return Refused;
    }
    const int seconds = *secondsOf(invocation.parser);
    const bool waiting = invocation.parser.isSet(wait);
    if (!ClipboardHold::start(text.toUtf8(), seconds, waiting, console))
        return Refused;
    console.print(waiting ? QStringLiteral("The clipboard was emptied.")
                          : QStringLiteral("The %1 of %2 is on the clipboard for %3 seconds.")
                                .arg(name, service)
                                .arg(seconds));
    return Success;
}
