#include "UnlockCommand.h"

#include "Console.h"
#include "Invocation.h"
#include "VaultSession.h"
#include "security/KeptKey.h"

#include <QDateTime>
#include <QRegularExpression>

#include <optional>

namespace {

constexpr int aDay = 86400;

const QCommandLineOption duration(QStringLiteral("for"),
    QStringLiteral("How long the key is kept: a whole number and s, m, h or d, such as 90s, "
                   "10m, 2h or 1d; at most a day (default 5m)."),
    QStringLiteral("duration"), QStringLiteral("5m"));

// From a second to a day; none otherwise.
std::optional<int> secondsOf(const QCommandLineParser &parser)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,6})([smhd])$"));
    const QRegularExpressionMatch match = form.match(parser.value(duration));
    if (!match.hasMatch())
        return std::nullopt;
    const int units[] = {1, 60, 3600, aDay};
    const qint64 seconds = match.captured(1).toLongLong()
        * units[QStringLiteral("smhd").indexOf(match.capturedView(2))];
    return seconds >= 1 && seconds <= aDay ? std::optional(int(seconds)) : std::nullopt;
}

} // namespace

UnlockCommand::UnlockCommand()
    : Command({.name = "unlock",
        .description = "Asks the master password once and keeps the key for a while: the "
                       "folder's commands then ask none.",
        .details = "At \"Program and DBase, sealed\" the key derived from the master password "
                   "(never the password) is kept, bound to this program folder and to its "
                   "sealed file, in the kernel's keyring of the login session (a key that only "
                   "the session's processes can read, which the kernel drops when the time is "
                   "up); where there is no keyring, by an agent process that holds it in "
                   "locked memory behind a socket of mode 0600 in $XDG_RUNTIME_DIR and ends "
                   "when the time is up. Nothing is written to disk. lock forgets it, and so do "
                   "the window's Lock and a change of the master password or of the level. "
                   "Below the sealed level the only key is the master password itself, which "
                   "is never kept.",
        .options = {duration}})
{ }

QString UnlockCommand::usageError(const QCommandLineParser &parser) const
{
    return secondsOf(parser) ? QString()
                             : QStringLiteral("--for takes a whole number and s, m, h or d, "
                                              "from 1s to 1d, such as 90s, 10m or 2h.");
}

int UnlockCommand::execute(const Invocation &invocation)
{
    Console &console = invocation.console;
    VaultSession vault(invocation, VaultSession::Password::AskedAnew);
    const std::optional<ConfigFile::Settings> settings = vault.config().read();
    const VaultAccess level {settings ? settings->reach : QStringLiteral("0"), {}};
    if (level.reach != QLatin1String("0") && !level.sealed()) {
        console.warn(QStringLiteral("Only \"Program and DBase, sealed\" has a key to keep: at "
                                    "the level of %1 it would be the master password itself, "
                                    "which is never kept. Each command asks it.")
                         .arg(invocation.programFolder));
        return Refused;
    }
    if (!vault.open(VaultSession::Mode::Read))
        return Refused;
    const std::optional<SealedFile::Key> &key = vault.database().sealKey();
    if (!vault.database().access().sealed() || !key) {
        console.print(QStringLiteral("No master password guards the records of %1: its "
                                     "commands ask none.")
                          .arg(invocation.programFolder));
        return Success;
    }
    const int seconds = *secondsOf(invocation.parser);
    const std::optional<KeptKey::Place> place
        = KeptKey(invocation.programFolder).keep(*key, seconds);
    if (!place) {
        console.warn(QStringLiteral("The key could not be kept: neither the kernel's keyring "
                                    "nor an agent process took it. Each command asks the "
                                    "master password."));
        return Refused;
    }
    console.print(QStringLiteral("The key of %1 is kept %2 until %3; vaultine-cli lock forgets it.")
                      .arg(invocation.programFolder,
                          *place == KeptKey::Place::Keyring
                              ? QStringLiteral("in the kernel's keyring of this login session")
                              : QStringLiteral("by an agent process (there is no keyring here)"),
                          QDateTime::currentDateTime().addSecs(seconds).toString(
                              QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
    return Success;
}
