#include "ImportCommand.h"

#include "Console.h"
#include "CsvImport.h"
#include "CsvTable.h"
#include "Invocation.h"
#include "VaultSession.h"
#include "intl/Message.h"

#include <QFile>

namespace {

const QCommandLineOption csv(QStringLiteral("csv"),
    QStringLiteral("The CSV file to read; its header names the columns."), QStringLiteral("file"));

} // namespace

ImportCommand::ImportCommand()
    : Command({.name = "import",
        .description = "Adds the records of a CSV file exported by this or another program.",
        .options = {csv},
        .requiredOptions = csv.names()})
{ }

int ImportCommand::execute(const Invocation &invocation)
{
    Console &console = invocation.console;
    const QString path = invocation.parser.value(csv);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        console.warn(QStringLiteral("Can not read %1.").arg(path));
        return Refused;
    }
    const CsvImport import(CsvTable::parse(file.readAll()));
    if (!import.hasColumns()) {
        console.warn(
            QStringLiteral("%1 has no column for the service name or the password.").arg(path));
        return Refused;
    }
    VaultSession vault(invocation);
    if (!vault.open(VaultSession::Mode::Write))
        return Refused;
    const CsvImport::Outcome outcome = import.newRecords(vault.book());
    for (const QString &note : outcome.skipped)
        console.warn(note);
    if (!outcome.lines.isEmpty()) {
        const RecordEditor::Result result = vault.editor().importRecords(outcome.lines);
        if (result != RecordEditor::Result::Done) {
            console.warn(QString::fromLatin1(RecordEditor::messageFor(result)->text));
            return Refused;
        }
    }
    console.print(QStringLiteral("Added: %1, duplicates: %2, skipped: %3.")
                      .arg(outcome.lines.size())
                      .arg(outcome.duplicates)
                      .arg(outcome.skipped.size()));
    return Success;
}
