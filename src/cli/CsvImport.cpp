#include "CsvImport.h"

#include "import/OldDatabase.h"
#include "vault/LineFile.h"
#include "vault/RecordBook.h"
#include "vault/RecordCodec.h"

#include <QSet>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace {

bool isBlank(const QStringList &row)
{
    return std::all_of(row.begin(), row.end(), [](const QString &cell) { return cell.isEmpty(); });
}

bool isField(const QString &cell)
{
    return CsvColumns::fieldOf(cell).has_value();
}

bool isLabel(const QString &cell)
{
    return isField(cell) || cell.trimmed().compare(u"field", Qt::CaseInsensitive) == 0;
}

// service,label,value,label,value,...: labels that name fields (or say "Field" in a header)
// stand only between the values, which name none.
bool isPairs(const QStringList &row)
{
    bool labels = false;
    for (qsizetype i = 1; i < row.size(); ++i) {
        if (i % 2 == 0 && isField(row[i]))
            return false;
        labels = labels || (i % 2 == 1 && isLabel(row[i]));
    }
    return labels && (!isField(row.value(0)) || !isField(row.value(1)));
}

QString hostOf(const QString &address)
{
    const QString host = QUrl::fromUserInput(address).host();
    return host.isEmpty() ? address : host;
}

} // namespace

CsvImport::CsvImport(CsvTable::Table table, const QStringList &columns)
    : m_table(std::move(table))
    , m_columns(!columns.isEmpty()     ? columns
              : m_table.rows.isEmpty() ? QStringList()
                                       : m_table.rows.first().cells)
{
    const QStringList first = m_table.rows.value(0).cells;
    m_width = columns.isEmpty() ? first.size() : columns.size();
    if (!columns.isEmpty()) {
        m_headerLine = false;
        for (const QString &name : columns) {
            if (!name.isEmpty() && !CsvColumns::fieldOf(name))
                m_unknownNames.append(name);
        }
    } else if (isPairs(first)) {
        m_shape = Shape::Pairs;
        m_headerLine = !isField(first.value(1));
    } else if (std::none_of(first.begin(), first.end(), isField)) {
        m_shape = Shape::Unknown;
    }
    if (m_shape != Shape::Pairs) {
        m_ignored = m_columns.ignored();
        return;
    }
    for (const CsvTable::Row &row : dataRows()) {
        for (qsizetype i = 1; i < row.cells.size(); i += 2) {
            if (!isField(row.cells[i]) && !row.cells.value(i + 1).isEmpty()
                && !m_ignored.contains(row.cells[i]))
                m_ignored.append(row.cells[i]);
        }
    }
}

std::optional<CsvTable::Table> CsvImport::formerDatabase(const QByteArray &content)
{
    const QList<QByteArray> lines = LineFile::linesOf(content);
    const auto first = std::find_if(
        lines.begin(), lines.end(), [](const QByteArray &line) { return !line.isEmpty(); });
    if (first == lines.end() || first->contains(',') || first->contains(';')
        || first->contains('\t'))
        return std::nullopt;
    CsvTable::Table table {{{0, CsvColumns::exportHeader()}}};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const QString decoded = RecordLine::fromBytes(DecodeRecord(lines[i]));
        if (!decoded.contains(u':'))
            return std::nullopt;
        table.rows.append({i + 1, CsvColumns::exportRow(OldDatabase::convertLine(decoded))});
    }
    return table;
}

QString CsvImport::refusal() const
{
    if (m_table.badLine > 0) {
        return QStringLiteral("Line %1 holds a quote that is not closed or stands inside a "
                              "field; nothing was imported.")
            .arg(m_table.badLine);
    }
    if (!m_unknownNames.isEmpty()) {
        return QStringLiteral("--columns names no field by %1; the names are:\n%2")
            .arg(m_unknownNames.join(QStringLiteral(", ")), CsvColumns::acceptedNames());
    }
    if (m_shape == Shape::Unknown) {
        return QStringLiteral("The first line names no known column. When the file has no "
                              "header line, name its columns with --columns, for example "
                              "--columns name,url,username,password,notes.");
    }
    if (m_shape == Shape::Header && !m_columns.has(RecordLine::Service)
        && !m_columns.has(RecordLine::Path))
        return QStringLiteral("The first line names no column for the service name or address.");
    const QList<CsvTable::Row> rows = dataRows();
    if (std::all_of(
            rows.begin(), rows.end(), [](const CsvTable::Row &row) { return isBlank(row.cells); }))
        return QStringLiteral("There is no record after the first line.");
    return {};
}

QList<CsvTable::Row> CsvImport::dataRows() const
{
    return m_table.rows.sliced(std::min<qsizetype>(m_headerLine, m_table.rows.size()));
}

std::optional<QStringList> CsvImport::fieldsOf(const QStringList &cells) const
{
    if (m_shape == Shape::Header) {
        // Cells past the header's: a comma not quoted, which shifts the fields after it.
        if (cells.size() > m_width && !isBlank(cells.sliced(m_width)))
            return std::nullopt;
        return m_columns.fields(cells);
    }
    QStringList fields(RecordLine::fieldCount);
    fields[RecordLine::Service] = cells.value(0);
    for (qsizetype i = 1; i < cells.size(); i += 2) {
        const std::optional<RecordLine::Field> field = CsvColumns::fieldOf(cells[i]);
        if (field && fields[*field].isEmpty())
            fields[*field] = cells.value(i + 1);
    }
    return fields;
}

CsvImport::Outcome CsvImport::newRecords(const RecordBook &stored) const
{
    Outcome outcome;
    const QStringList storedLines = stored.records();
    QSet<QString> taken(storedLines.begin(), storedLines.end());
    for (const CsvTable::Row &row : dataRows()) {
        if (isBlank(row.cells))
            continue;
        const QString note = QStringLiteral("Line %1: %2; skipped.").arg(row.line);
        std::optional<QStringList> fields = fieldsOf(row.cells);
        if (!fields) {
            ++outcome.skipped;
            outcome.notes.append(note.arg(QStringLiteral("more cells than the first line names")));
            continue;
        }
        for (QString &field : *fields)
            field = RecordLine::storedText(std::move(field));
        QString &service = (*fields)[RecordLine::Service];
        if (service.isEmpty() && !(*fields)[RecordLine::Path].isEmpty())
            service = hostOf((*fields)[RecordLine::Path]);
        if (std::any_of(fields->begin(), fields->end(),
                [](const QString &field) { return field.contains(RecordLine::separator); })) {
            ++outcome.skipped;
            outcome.notes.append(note.arg(QStringLiteral("a field holds \":!\"")));
            continue;
        }
        const QString line = RecordLine::join(*fields);
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
