#include "CsvColumns.h"

#include "vault/RecordLine.h"

#include <algorithm>

namespace {

struct Column
{
    RecordLine::Field field;
    const char *label;
    // The first name is the one this program writes.
    QStringList names;
};

const Column columns[] = {
    {RecordLine::Service, "service", {"Title", "name", "account", "service"}},
    {RecordLine::Username, "username",
        {"Username", "user", "login", "login_username", "login name"}},
    {RecordLine::Password, "password", {"Password", "login_password"}},
    {RecordLine::Path, "path", {"URL", "uri", "login_uri", "website", "web site"}},
    {RecordLine::OtherInfo, "other info",
        {"Notes", "note", "extra", "comments", "comment", "other info"}},
};

} // namespace

CsvColumns::CsvColumns(const QStringList &header)
{
    m_columns.fill(-1);
    for (const Column &column : columns) {
        for (qsizetype i = 0; i < header.size() && !has(column.field); ++i) {
            if (column.names.contains(header[i].trimmed(), Qt::CaseInsensitive))
                m_columns[column.field] = i;
        }
    }
    for (qsizetype i = 0; i < header.size(); ++i) {
        if (std::find(m_columns.begin(), m_columns.end(), i) == m_columns.end())
            m_ignored.append(header[i].trimmed());
    }
}

QString CsvColumns::acceptedNames()
{
    QStringList lines;
    for (const Column &column : columns)
        lines.append(QStringLiteral("  %1: %2")
                         .arg(QLatin1String(column.label),
                             column.names.join(QStringLiteral(", ")).toLower()));
    return lines.join(u'\n');
}

QStringList CsvColumns::exportHeader()
{
    QStringList header;
    for (const Column &column : columns)
        header.append(column.names.first());
    return header;
}

QStringList CsvColumns::exportRow(const QString &line)
{
    const QStringList fields = RecordLine::recordFields(line);
    QStringList row;
    for (const Column &column : columns)
        row.append(fields[column.field]);
    return row;
}

QStringList CsvColumns::fields(const QStringList &row) const
{
    QStringList fields;
    for (const qsizetype column : m_columns)
        fields.append(column >= 0 ? row.value(column) : QString());
    return fields;
}
