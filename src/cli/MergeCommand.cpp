#include "MergeCommand.h"

#include "Console.h"
#include "Invocation.h"
#include "VaultSession.h"
#include "vault/RecordLine.h"
#include "vault/RecordMerge.h"

#include <QDir>
#include <QFileInfo>

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

// "service (username)": a record named without its password.
QString nameOf(const QString &line)
{
    const QStringList fields = RecordLine::recordFields(line);
    return QStringLiteral("%1 (%2)").arg(
        fields.at(RecordLine::Service), fields.at(RecordLine::Username));
}

const QCommandLineOption dryRun(QStringLiteral("dry-run"),
    QStringLiteral("Names what the merge would change; writes nothing."));

// A trial only reads this folder: it writes nothing, not even what a start mends.
VaultSession::Mode modeHere(const Invocation &invocation)
{
    return invocation.parser.isSet(dryRun) ? VaultSession::Mode::Read : VaultSession::Mode::Write;
}

} // namespace

MergeCommand::MergeCommand()
    : Command({.name = "merge",
        .description = "Brings another copy of the program folder together with this one.",
        .details = "DIR is another program folder or its Data folder (a synced copy, a backup), "
                   "at any protection level; its master password is asked after this "
                   "folder's (with --password-stdin, the second line). This folder gets the "
                   "records of both copies except those either copy removed: the list of "
                   "removals in Data/CF2DB.removed remembers each Remove and the old version of "
                   "each edit for 180 days, so the adds and edits of both sides come in and the "
                   "old versions go. The records of a service that each side changed apart are "
                   "kept in every version, and named. Merging the other way "
                   "gives the same records; merging again changes nothing. DIR is not written. "
                   "FILE is a conflict copy that a sync tool left in this folder's Data (named "
                   "by every command): its records, or the removals of a copy of the list, are "
                   "merged, and the file is set aside under its name followed by .merged- and "
                   "the date and time.",
        .options = {dryRun},
        .arguments = {{"dir|file",
            "The other program folder, its Data folder, or a conflict copy in this folder's "
            "Data."}}})
{ }

int MergeCommand::execute(const Invocation &invocation)
{
    Console &console = invocation.console;
    const QString dir = invocation.arguments.first();
    const QFileInfo given(dir);
    if (given.isFile())
        return mergeCopy(invocation, given);
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
    if (!here.open(modeHere(invocation)))
        return Refused;
    console.warn(QStringLiteral("The records of %1:").arg(dir));
    VaultSession there(other);
    if (!there.open(VaultSession::Mode::Read))
        return Refused;
    const std::optional<RemovalList> ours = here.removals();
    const std::optional<RemovalList> theirs = ours ? there.removals() : std::nullopt;
    if (!theirs)
        return Refused;
    const RecordMerge merge({here.book().records(), *ours}, {there.book().records(), *theirs});
    return write(invocation, here, merge) ? Success : Refused;
}

int MergeCommand::mergeCopy(const Invocation &invocation, const QFileInfo &file)
{
    Console &console = invocation.console;
    VaultSession here(invocation);
    Database &database = here.database();
    if (QDir(file.absolutePath()) != QDir(database.dataFolder())) {
        console.warn(QStringLiteral("%1 is not in %2: a file merged is a conflict copy in this "
                                    "folder's Data.")
                         .arg(file.filePath(), database.dataFolder()));
        return Refused;
    }
    if (!here.open(modeHere(invocation)))
        return Refused;
    const auto password = [&] {
        return invocation.passwordFromStdin
            ? console.readSecretLine()
            : console.askSecret(QStringLiteral("Master password of the copy: "));
    };
    const std::optional<Database::CopyMerge> merged
        = database.mergeOfCopy(here.book().records(), file.fileName(), password);
    if (!merged) {
        console.warn(database.failure());
        return Refused;
    }
    if (!write(invocation, here, merged->merge))
        return Refused;
    if (invocation.parser.isSet(dryRun))
        return Success;
    bool setAside = true;
    for (const QString &copy : merged->copies) {
        if (!database.setAsideMerged(copy)) {
            console.warn(QStringLiteral("%1 was merged but could not be set aside: %2")
                             .arg(copy, database.failure()));
            setAside = false;
        }
    }
    return setAside ? Success : Refused;
}

bool MergeCommand::write(const Invocation &invocation, VaultSession &here, const RecordMerge &merge)
{
    Console &console = invocation.console;
    const bool trial = invocation.parser.isSet(dryRun);
    if (!trial && !here.done(here.editor().takeMerge(merge)))
        return false;
    console.print((trial ? QStringLiteral("Would add: %1, remove: %2; nothing was written.")
                         : QStringLiteral("Added: %1, removed: %2."))
                      .arg(merge.added().size())
                      .arg(merge.removed().size()));
    for (const QString &line : merge.added())
        console.print(QStringLiteral("  + ") + nameOf(line));
    for (const QString &line : merge.removed())
        console.print(QStringLiteral("  - ") + nameOf(line));
    const QList<QStringList> both = merge.changedOnBothSides();
    if (!both.isEmpty())
        console.print(QStringLiteral("Changed on both sides, both versions kept:"));
    for (const QStringList &lines : both)
        console.print(
            QStringLiteral("  %1: %2 versions").arg(nameOf(lines.first())).arg(lines.size()));
    return true;
}
