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
    {RecordLine::Service, "service", {"Title", "name", "account", "site", "service"}},
    {RecordLine::Username, "username",
        {"Username", "login", "login_username", "user", "login name", "email"}},
    {RecordLine::Password, "password", {"Password", "login_password", "pass"}},
    {RecordLine::Path, "path", {"URL", "uri", "login_uri", "website"}},
    {RecordLine::OtherInfo, "other info",
        {"Notes", "note", "extra", "comments", "comment", "other info"}},
};

// A name as compared: lower case, without spaces.
QString folded(const QString &name)
{
    return name.toLower().remove(u' ');
}

} // namespace

CsvColumns::CsvColumns(const QStringList &header)
{
    m_columns.fill(-1);
    QStringList names;
    for (const QString &name : header)
        names.append(folded(name));
    // Where a header has two names of one field, the one listed first gives it.
    for (const Column &column : columns) {
        for (const QString &name : column.names) {
            if (!has(column.field))
                m_columns[column.field] = names.indexOf(folded(name));
        }
    }
    for (qsizetype i = 0; i < header.size(); ++i) {
        const QString name = header[i].trimmed().isEmpty() ? QStringLiteral("column %1").arg(i + 1)
                                                           : header[i].trimmed();
        if (std::find(m_columns.begin(), m_columns.end(), i) == m_columns.end()
            && !m_ignored.contains(name))
            m_ignored.append(name);
    }
}

std::optional<RecordLine::Field> CsvColumns::fieldOf(const QString &name)
{
    for (const Column &column : columns) {
        for (const QString &accepted : column.names) {
            if (folded(accepted) == folded(name))
                return column.field;
        }
    }
    return std::nullopt;
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
    const QStringList fields = RecordLine::outputFields(line);
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
