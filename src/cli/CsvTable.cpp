#include "CsvTable.h"

#include "vault/RecordLine.h"

#include <algorithm>
#include <utility>

namespace {

constexpr QChar quote = u'"';

QString quoted(const QString &field)
{
    static const QString quotedChars = QStringLiteral(",\"\r\n");
    if (std::none_of(field.begin(), field.end(), [](QChar c) { return quotedChars.contains(c); }))
        return field;
    QString doubled = field;
    doubled.replace(quote, QStringLiteral("\"\""));
    return quote + doubled + quote;
}

} // namespace

QString CsvTable::formatRow(const QStringList &fields)
{
    QStringList cells;
    cells.reserve(fields.size());
    for (const QString &field : fields)
        cells.append(quoted(field));
    return cells.join(u',');
}

QList<QStringList> CsvTable::parse(const QByteArray &content)
{
    QString text = RecordLine::fromBytes(content);
    if (text.startsWith(QChar::ByteOrderMark))
        text.remove(0, 1);

    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool inQuotes = false;
    bool rowOpen = false;
    const auto endField = [&] { row.append(std::exchange(field, QString())); };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        rowOpen = true;
        if (inQuotes) {
            if (c != quote)
                field += c;
            else if (next == quote)
                field += text[++i];
            else
                inQuotes = false;
        } else if (c == quote && field.isEmpty()) {
            inQuotes = true;
        } else if (c == u',') {
            endField();
        } else if (c == u'\n' || (c == u'\r' && next == u'\n')) {
            i += c == u'\r';
            endField();
            rows.append(std::exchange(row, QStringList()));
            rowOpen = false;
        } else {
            field += c;
        }
    }
    if (rowOpen) {
        endField();
        rows.append(row);
    }
    return rows;
}
