#include "ExportCommand.h"

#include "Console.h"
#include "CsvColumns.h"
#include "CsvTable.h"
#include "Invocation.h"
#include "VaultSession.h"
#include "vault/LineFile.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

const QCommandLineOption csv(QStringLiteral("csv"),
    QStringLiteral("The CSV file to write (- for standard output)."), QStringLiteral("file"));
const QCommandLineOption force(QStringLiteral("force"), QStringLiteral("Replaces that file."));

// A pipe, a FIFO, a terminal or another device (/dev/stdout, >(cat)): written into as it is.
bool isStream(const QString &path)
{
    struct stat status;
    return stat(QFile::encodeName(path).constData(), &status) == 0 && !S_ISREG(status.st_mode)
        && !S_ISDIR(status.st_mode);
}

bool writeStream(const QString &path, const QByteArray &content)
{
    QFile file(path);
    // Opened to append, a stream would be asked for a position it does not have.
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush();
}

} // namespace

ExportCommand::ExportCommand()
    : Command({.name = "export",
        .description = "Writes every record, passwords in clear, into a CSV file.",
        .details = "The file (UTF-8, lines ended by CR LF, mode 0600) has the columns Title, "
                   "Username, Password, URL and Notes; import reads it back. It is written "
                   "whole or not at all, never over an existing file without --force; a pipe "
                   "or a FIFO (/dev/stdout, >(cat)) is written into as it is.",
        .options = {csv, force},
        .requiredOptions = csv.names()})
{ }

int ExportCommand::execute(const Invocation &invocation)
{
    Console &console = invocation.console;
    const QString path = invocation.parser.value(csv);
    const bool toOutput = path == QLatin1String("-");
    const bool toStream = !toOutput && isStream(path);
    const QFileInfo target(path);
    if (!toOutput && !toStream && (target.exists() || target.isSymLink())
        && !invocation.parser.isSet(force)) {
        console.warn(QStringLiteral("%1 exists; --force replaces it.").arg(path));
        return Refused;
    }
    VaultSession vault(invocation);
    if (!vault.open(VaultSession::Mode::Read))
        return Refused;
    QList<QByteArray> rows {CsvTable::formatRow(CsvColumns::exportHeader()).toUtf8()};
    for (const QString &line : vault.book().records())
        rows.append(CsvTable::formatRow(CsvColumns::exportRow(line)).toUtf8());
    if (toOutput) {
        console.write(LineFile::joined(rows));
        return console.outputFailed() ? Refused : Success;
    }
    if (toStream) {
        if (writeStream(path, LineFile::joined(rows)))
            return Success;
        console.warn(QStringLiteral("Can not write %1.").arg(path));
        return Refused;
    }
    // Written whole or not at all, readable by its owner only.
    if (!LineFile::writeLines(path, rows)) {
        console.warn(QStringLiteral("Can not write %1.").arg(path));
        return Refused;
    }
    console.warn(QStringLiteral("Warning: %1 holds the passwords in clear text; delete it once "
                                "it has been imported.")
                     .arg(path));
    console.print(QStringLiteral("Exported %1 records to %2.").arg(vault.book().count()).arg(path));
    return Success;
}
