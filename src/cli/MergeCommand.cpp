#include "MergeCommand.h"

#include "Console.h"
#include "Invocation.h"
#include "VaultSession.h"
#include "vault/RecordLine.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSet>

namespace {

// The program folder of DIR: DIR itself, or the folder above when DIR is its Data.
QString programFolderOf(const QString &dir)
{
    const QFileInfo given(dir);
    if (QFileInfo(given.absoluteFilePath() + QStringLiteral("/Data")).isDir())
        return given.absoluteFilePath();
    if (given.fileName() == QLatin1String("Data") && given.isDir())
        return given.absolutePath();
    return {};
}

QMap<QString, QSet<QString>> byService(const QStringList &lines)
{
    QMap<QString, QSet<QString>> services;
    for (const QString &line : lines)
        services[RecordLine::serviceName(line)].insert(line);
    return services;
}

} // namespace

MergeCommand::MergeCommand()
    : Command({.name = "merge",
        .description = "Adds the records of another copy of the program folder that this one "
                       "lacks.",
        .details = "DIR is another program folder or its Data folder (a synced copy, a backup), "
                   "at any protection level; its master password is asked after this "
                   "folder's (with --password-stdin, the second line). The records of a "
                   "service that only DIR has are added in one write; services both "
                   "sides hold, where DIR has records this one lacks, are listed and left as "
                   "they are. No record is removed.",
        .arguments = {{"dir", "The other program folder, or its Data folder."}}})
{ }

int MergeCommand::execute(const Invocation &invocation)
{
    Console &console = invocation.console;
    const QString dir = invocation.arguments.first();
    Invocation other = invocation;
    other.programFolder = programFolderOf(dir);
    if (other.programFolder.isEmpty()) {
        console.warn(
            QStringLiteral("%1 is neither a program folder nor its Data folder.").arg(dir));
        return Refused;
    }
    if (QDir(other.programFolder) == QDir(invocation.programFolder)) {
        console.warn(QStringLiteral("%1 is this program folder.").arg(dir));
        return Refused;
    }
    VaultSession here(invocation);
    if (!here.open(VaultSession::Mode::Write))
        return Refused;
    console.warn(QStringLiteral("The records of %1:").arg(dir));
    VaultSession there(other);
    if (!there.open(VaultSession::Mode::Read))
        return Refused;

    const QMap<QString, QSet<QString>> ours = byService(here.book().records());
    QStringList added;
    QStringList differing;
    const QMap<QString, QSet<QString>> theirs = byService(there.book().records());
    for (auto service = theirs.begin(); service != theirs.end(); ++service) {
        const auto our = ours.find(service.key());
        if (our == ours.end())
            added += service.value().values();
        else if (!our->contains(service.value()))
            differing.append(service.key());
    }
    if (!added.isEmpty() && !here.done(here.editor().importRecords(added)))
        return Refused;
    console.print(QStringLiteral("Added: %1.").arg(added.size()));
    if (!differing.isEmpty()) {
        console.print(QStringLiteral("These services differ on both sides and were left as "
                                     "they are:"));
        for (const QString &service : differing)
            console.print(QStringLiteral("  ") + service);
    }
    return Success;
}
