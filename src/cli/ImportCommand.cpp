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
    QStringLiteral("The CSV file to read (- for standard input), read as CSV whatever it holds."),
    QStringLiteral("file"));
const QCommandLineOption columns(QStringLiteral("columns"),
    QStringLiteral("The names of the columns of a file without a header line, separated by "
                   "commas (an empty name skips a column)."),
    QStringLiteral("names"));

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
        .description = "Adds the records of a CSV file exported by this or another program, or "
                       "of the program's former database.",
        .details = QStringLiteral(
            "The records are added in one write: all of them or, when the write fails, "
            "none. The file is UTF-8 (or Windows-1252), UTF-16 with a byte-order mark, its "
            "cells separated by commas, semicolons or tabs, as its first line has most. That "
            "line names the columns, in any order, letter case and spaces ignored:\n%1\nA file "
            "without a header line needs --columns; a file whose rows are a service name "
            "and label/value pairs (Mail,Username,jo,Password,pw,...) is read by its labels. "
            "Other columns and labels are named once and ignored. A record without a "
            "service name is named after its address's host. Line breaks in a quoted field are "
            "kept (stored as U+2028, so a record stays one line); show and export give them "
            "back. A row holding \":!\" or more cells than the first line, or a "
            "record already stored, is told by its line and skipped. A file that does not "
            "parse (a quote not closed, a quote inside an unquoted field) or whose columns "
            "are not known is refused whole.\nWithout --csv and --columns the file's content "
            "decides: a file whose first line holds no comma, semicolon or tab and whose lines "
            "decode to parts separated by colons is the former version's database (CFDB.pdb); "
            "any other file is CSV.")
                       .arg(CsvColumns::acceptedNames()),
        .options = {csv, columns},
        .arguments = {{"file", "The file to read (- for standard input).", true}}})
{ }

QString ImportCommand::usageError(const QCommandLineParser &parser) const
{
    // The first positional argument is the command's name.
    if (parser.isSet(csv) == (parser.positionalArguments().size() > 1))
        return QStringLiteral("Name one file, as an argument or with --csv.");
    return {};
}

int ImportCommand::execute(const Invocation &invocation)
{
    Console &console = invocation.console;
    const QCommandLineParser &parser = invocation.parser;
    const QString path = parser.isSet(csv) ? parser.value(csv) : invocation.arguments.first();
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
    std::optional<CsvTable::Table> former;
    if (!parser.isSet(csv) && !parser.isSet(columns))
        former = CsvImport::formerDatabase(*content);
    if (former)
        console.warn(QStringLiteral("%1: read as the former version's database.").arg(path));
    const CsvImport import(former ? *former : CsvTable::parse(*content),
        parser.isSet(columns) ? parser.value(columns).split(u',') : QStringList());
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
