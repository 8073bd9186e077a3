#include "ImportCommand.h"

#include "Console.h"
#include "CsvImport.h"
#include "CsvTable.h"
#include "Invocation.h"
#include "VaultSession.h"
#include "intl/Message.h"
#include "vault/ConflictMarkers.h"

#include <QFile>

namespace {

const QCommandLineOption csv(QStringLiteral("csv"),
    QStringLiteral("The CSV file to read (- for standard input); its first line names the "
                   "columns."),
    QStringLiteral("file"));

std::optional<QByteArray> contentOf(const QString &path, const Console &console)
{
    if (path == QLatin1String("-"))
        return console.readAll();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return content;
}

} // namespace

ImportCommand::ImportCommand()
    : Command({.name = "import",
        .description = "Adds the records of a CSV file exported by this or another program.",
        .details = QStringLiteral(
            "The records are added in one write: all of them or, when the write fails, "
            "none. The first line names the "
            "columns, in any order and letter case:\n%1\nOther columns are named and ignored. "
            "Line breaks in a field become spaces. A row holding \":!\" or more cells than "
            "the first line, or a record already stored, is told by its line and skipped. A file "
            "that does not parse (a quote not "
            "closed, a quote inside an unquoted field) is refused whole.")
                       .arg(CsvColumns::acceptedNames()),
        .options = {csv},
        .requiredOptions = csv.names()})
{ }

int ImportCommand::execute(const Invocation &invocation)
{
    Console &console = invocation.console;
    const QString path = invocation.parser.value(csv);
    // Opened first: with --password-stdin, the password's line comes before the file's.
    VaultSession vault(invocation);
    if (!vault.open(VaultSession::Mode::Write))
        return Refused;
    const std::optional<QByteArray> content = contentOf(path, console);
    if (!content) {
        console.warn(QStringLiteral("Can not read %1.").arg(path));
        return Refused;
    }
    if (const qsizetype line = ConflictMarkers::firstLine(*content, ","); line > 0) {
        console.warn(ConflictMarkers::refusal(path, line));
        return Refused;
    }
    const CsvImport import(CsvTable::parse(*content));
    if (const QString why = import.refusal(); !why.isEmpty()) {
        console.warn(QStringLiteral("%1: %2").arg(path, why));
        return Refused;
    }
    if (!import.ignoredColumns().isEmpty())
        console.warn(QStringLiteral("Ignored columns: %1").arg(import.ignoredColumns().join(", ")));
    const CsvImport::Outcome outcome = import.newRecords(vault.book());
    for (const QString &note : outcome.notes)
        console.warn(note);
    if (!outcome.lines.isEmpty()) {
        const RecordEditor::Result result = vault.editor().importRecords(outcome.lines);
        if (!vault.done(result, QStringLiteral(" Nothing was imported.")))
            return Refused;
    }
    console.print(QStringLiteral("Added: %1, duplicates: %2, skipped: %3.")
                      .arg(outcome.lines.size())
                      .arg(outcome.duplicates)
                      .arg(outcome.skipped));
    return Success;
}
