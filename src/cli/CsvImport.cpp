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

// Why a row's fields cannot make a record; empty when they can.
QString refusal(const QStringList &fields)
{
    if (fields[RecordLine::Service].isEmpty() || fields[RecordLine::Password].isEmpty())
        return QStringLiteral("no service name or no password");
    if (std::any_of(fields.begin(), fields.end(),
            [](const QString &field) { return field.contains(RecordLine::separator); }))
        return QStringLiteral("a field holds \":!\"");
    return {};
}

} // namespace

CsvImport::CsvImport(QList<QStringList> rows)
    : m_rows(std::move(rows))
    , m_columns(m_rows.value(0))
{ }

bool CsvImport::hasColumns() const
{
    return m_columns.has(RecordLine::Service) && m_columns.has(RecordLine::Password);
}

CsvImport::Outcome CsvImport::newRecords(const RecordBook &stored) const
{
    // A record is one line, as in the window: line breaks become spaces.
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    Outcome outcome;
    QSet<QString> taken(stored.records().begin(), stored.records().end());
    for (qsizetype i = 1; i < m_rows.size(); ++i) {
        if (isBlank(m_rows[i]))
            continue;
        QStringList fields = m_columns.fields(m_rows[i]);
        for (QString &field : fields)
            field.replace(lineBreak, QStringLiteral(" "));
        if (const QString why = refusal(fields); !why.isEmpty()) {
            outcome.skipped.append(QStringLiteral("Row %1: %2; skipped.").arg(i + 1).arg(why));
            continue;
        }
        const QString line = RecordLine::join(fields);
        if (taken.contains(line)) {
            ++outcome.duplicates;
            continue;
        }
        taken.insert(line);
        outcome.lines.append(line);
    }
    return outcome;
}
