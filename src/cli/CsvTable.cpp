#include "CsvTable.h"

#include "vault/LineFile.h"
#include "vault/RecordLine.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <optional>
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

// Reads one file's text cell by cell.
class Reader
{
public:
    Reader(QString text, QChar separator)
        : m_text(std::move(text))
        , m_separator(separator)
    { }

    CsvTable::Table read()
    {
        CsvTable::Table table;
        while (m_at < m_text.size()) {
            const qsizetype start = m_line;
            QStringList cells;
            bool rowEnds = false;
            while (!rowEnds) {
                std::optional<QString> cell = readCell(rowEnds);
                if (!cell)
                    return {{}, m_badLine};
                cells.append(std::move(*cell));
            }
            table.rows.append({start, std::move(cells)});
        }
        return table;
    }

private:
    QChar peek() const { return m_at < m_text.size() ? m_text[m_at] : QChar(); }

    void skipSpaces()
    {
        while ((peek() == u' ' || peek() == u'\t') && peek() != m_separator)
            ++m_at;
    }

    // Consumes a line end at the reading point; false when there is none.
    bool lineEnd()
    {
        if (peek() != u'\r' && peek() != u'\n')
            return false;
        m_at += m_text[m_at] == u'\r' && m_at + 1 < m_text.size() && m_text[m_at + 1] == u'\n';
        ++m_at;
        ++m_line;
        return true;
    }

    // After a cell: a separator, a line end or the end of the text.
    bool cellEnd(bool &rowEnds)
    {
        if (peek() == m_separator) {
            ++m_at;
            return true;
        }
        rowEnds = m_at >= m_text.size() || lineEnd();
        return rowEnds;
    }

    std::optional<QString> readCell(bool &rowEnds)
    {
        const qsizetype start = m_at;
        skipSpaces();
        if (peek() != quote) {
            m_at = start;
            QString cell;
            while (m_at < m_text.size() && peek() != m_separator && peek() != u'\r'
                && peek() != u'\n') {
                if (peek() == quote)
                    return fail();
                cell += m_text[m_at++];
            }
            cellEnd(rowEnds);
            return cell;
        }
        const qsizetype opened = m_line;
        ++m_at;
        QString cell;
        for (;;) {
            if (m_at >= m_text.size()) {
                m_line = opened;
                return fail();
            }
            if (peek() == quote) {
                ++m_at;
                if (peek() != quote)
                    break;
            }
            const qsizetype from = m_at;
            if (lineEnd())
                cell += m_text.sliced(from, m_at - from);
            else
                cell += m_text[m_at++];
        }
        skipSpaces();
        if (!cellEnd(rowEnds))
            return fail();
        return cell;
    }

    std::optional<QString> fail()
    {
        m_badLine = m_line;
        return std::nullopt;
    }

    QString m_text;
    QChar m_separator;
    qsizetype m_at = 0;
    qsizetype m_line = 1;
    qsizetype m_badLine = 0;
};

// The file's text: UTF-16 after its mark; else line by line, as the store reads, where one line
// in Windows-1252 garbles no UTF-8 line.
QString textOf(const QByteArray &content)
{
    const auto encoding = QStringConverter::encodingForData(content);
    if (encoding == QStringConverter::Utf16LE || encoding == QStringConverter::Utf16BE)
        return QStringDecoder(*encoding)(content.sliced(2));
    QStringList lines;
    for (const QByteArray &line : LineFile::withoutByteOrderMark(content).toByteArray().split('\n'))
        lines.append(RecordLine::fromBytes(line));
    return lines.join(u'\n');
}

// The comma, semicolon or tab that the first line holds most of outside quotes; a comma on a
// draw.
QChar separatorOf(const QString &text)
{
    const QString separators = QStringLiteral(",;\t");
    std::array<qsizetype, 3> counts {};
    bool quoted = false;
    for (const QChar c : text) {
        if (c == quote)
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r'))
            break;
        else if (!quoted && separators.contains(c))
            ++counts[separators.indexOf(c)];
    }
    return separators[std::max_element(counts.begin(), counts.end()) - counts.begin()];
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

CsvTable::Table CsvTable::parse(const QByteArray &content)
{
    QString text = textOf(content);
    const QChar separator = separatorOf(text);
    return Reader(std::move(text), separator).read();
}
