#include "CsvImport.h"

#include "vault/RecordBook.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <utility>

namespace {

bool isBlank(const QStringList &row)
{
    return std::all_of(row.begin(), row.end(), [](const QString &cell) { return cell.isEmpty(); });
}

} // namespace

CsvImport::CsvImport(CsvTable::Table table)
    : m_table(std::move(table))
    , m_columns(m_table.rows.isEmpty() ? QStringList() : m_table.rows.first().cells)
{ }

QString CsvImport::refusal() const
{
    if (m_table.badLine > 0) {
        return QStringLiteral("Line %1 holds a quote that is not closed or stands inside a "
                              "field; nothing was imported.")
            .arg(m_table.badLine);
    }
    if (!m_columns.has(RecordLine::Service))
        return QStringLiteral("The first line names no column for the service name.");
    if (!hasData())
        return QStringLiteral("There is no record after the first line.");
    return {};
}

bool CsvImport::hasData() const
{
    return std::any_of(m_table.rows.begin() + 1, m_table.rows.end(),
        [](const CsvTable::Row &row) { return !isBlank(row.cells); });
}

CsvImport::Outcome CsvImport::newRecords(const RecordBook &stored) const
{
    // A record is one line, as in the window: line breaks become spaces.
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    Outcome outcome;
    QSet<QString> taken(stored.records().begin(), stored.records().end());
    const qsizetype width = m_table.rows.value(0).cells.size();
    for (qsizetype i = 1; i < m_table.rows.size(); ++i) {
        const CsvTable::Row &row = m_table.rows[i];
        if (isBlank(row.cells))
            continue;
        const QString note = QStringLiteral("Line %1: %2; skipped.").arg(row.line);
        // Cells past the header's: a comma not quoted, which shifts the fields after it.
        if (row.cells.size() > width && !isBlank(row.cells.sliced(width))) {
            ++outcome.skipped;
            outcome.notes.append(note.arg(QStringLiteral("more cells than the first line names")));
            continue;
        }
        QStringList fields = m_columns.fields(row.cells);
        for (QString &field : fields)
            field.replace(lineBreak, QStringLiteral(" "));
        if (std::any_of(fields.begin(), fields.end(),
                [](const QString &field) { return field.contains(RecordLine::separator); })) {
            ++outcome.skipped;
            outcome.notes.append(note.arg(QStringLiteral("a field holds \":!\"")));
            continue;
        }
        const QString line = RecordLine::join(fields);
        if (taken.contains(line)) {
            ++outcome.duplicates;
            outcome.notes.append(note.arg(QStringLiteral("the same record is there already")));
            continue;
        }
        taken.insert(line);
        outcome.lines.append(line);
    }
    return outcome;
}
