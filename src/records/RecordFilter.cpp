#include "RecordFilter.h"

#include "vault/RecordLine.h"

#include <algorithm>
#include <utility>

namespace {

// Letters that no decomposition takes apart, as they are written without their stroke or
// ligature, and the line break kept in a field, found as the space typed in its place.
// Compared after case folding.
constexpr std::pair<char16_t, const char *> plainLetters[] = {
    {u'\u00df', "ss"}, // ß
    {u'\u00e6', "ae"}, // æ
    {u'\u0153', "oe"}, // œ
    {u'\u00f8', "o"}, // ø
    {u'\u0111', "d"}, // đ
    {u'\u0142', "l"}, // ł
    {u'\u0131', "i"}, // dotless i
    {u'\u2028', " "}, // line separator
};

QString foldUnicode(QStringView text)
{
    const QString folded = text.toString().normalized(QString::NormalizationForm_KD).toCaseFolded();
    QString plain;
    plain.reserve(folded.size());
    for (const QChar c : folded) {
        if (c.isMark())
            continue;
        const auto *letter = std::find_if(std::begin(plainLetters), std::end(plainLetters),
            [c](const auto &pair) { return pair.first == c.unicode(); });
        if (letter != std::end(plainLetters))
            plain += QLatin1StringView(letter->second);
        else
            plain += c;
    }
    return plain;
}

void appendFolded(QString &out, QStringView text)
{
    // Most records are plain ASCII: their case is folded in one pass.
    const qsizetype at = out.size();
    out.resize(at + text.size());
    QChar *folded = out.data() + at;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            out.resize(at);
            out += foldUnicode(text);
            return;
        }
        *folded++ = c.unicode() >= 'A' && c.unicode() <= 'Z' ? QChar(c.unicode() + 32) : c;
    }
}

// Appends what a search looks through: every field but the password, each followed by a line
// break (no field holds one, so no text found spans two fields).
void appendSearched(QString &out, const QString &line)
{
    qsizetype from = 0;
    for (int field = 0; field < RecordLine::fieldCount; ++field) {
        qsizetype to = field == RecordLine::Path ? -1 : line.indexOf(RecordLine::separator, from);
        if (to < 0)
            to = line.size();
        if (field != RecordLine::Password) {
            appendFolded(out, QStringView(line).sliced(from, to - from));
            out += u'\n';
        }
        from = qMin(to + RecordLine::separator.size(), line.size());
    }
}

} // namespace

QString RecordFilter::fold(QStringView text)
{
    QString folded;
    appendFolded(folded, text);
    return folded;
}

void RecordFilter::setRecords(const RecordBook &records)
{
    m_records = records;
    if (!isActive())
        return;
    prepare();
    find();
}

qsizetype RecordFilter::rowFor(qsizetype index, const QString &line) const
{
    if (!isActive())
        return index;
    QString searched;
    appendSearched(searched, line);
    if (!searched.contains(m_needle))
        return -1;
    return std::lower_bound(m_rows.begin(), m_rows.end(), index) - m_rows.begin();
}

void RecordFilter::setText(QString text)
{
    // A field's line breaks became spaces: so do the search text's.
    text.replace(QLatin1StringView("\r\n"), QLatin1StringView(" "));
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    const QString needle = fold(text);
    if (needle == m_needle)
        return;
    const bool wasActive = isActive();
    // A longer text finds only among what the shorter one found.
    const bool narrower = wasActive && needle.contains(m_needle);
    m_needle = needle;
    if (!isActive()) {
        m_rows.clear();
        return;
    }
    if (!wasActive)
        prepare();
    if (narrower) {
        m_rows.removeIf(
            [this](qsizetype record) { return !foldedText(record).contains(m_needle); });
    } else {
        find();
    }
}

qsizetype RecordFilter::recordAt(qsizetype row) const
{
    if (row < 0 || row >= rowCount())
        return -1;
    return isActive() ? m_rows[row] : row;
}

qsizetype RecordFilter::rowOf(qsizetype record) const
{
    if (record < 0 || record >= m_records.count())
        return -1;
    if (!isActive())
        return record;
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), record);
    return at != m_rows.end() && *at == record ? at - m_rows.begin() : -1;
}

QStringView RecordFilter::foldedText(qsizetype record) const
{
    return QStringView(m_folded).sliced(m_starts[record], m_starts[record + 1] - m_starts[record]);
}

void RecordFilter::prepare()
{
    const auto sameLine = [this](qsizetype kept, QByteArrayView line) {
        return kept < m_foldedLines.count() && m_foldedLines.codedLine(kept) == line;
    };
    if (m_foldedLines.count() == m_records.count()) {
        qsizetype same = 0;
        while (same < m_records.count() && sameLine(same, m_records.codedLine(same)))
            ++same;
        if (same == m_records.count())
            return;
    }
    // Records come and go one or two at a time: a line equal to the next kept one takes its
    // folded text, any other line is folded anew.
    QString folded;
    folded.reserve(m_folded.size());
    QList<qsizetype> starts;
    starts.reserve(m_records.count() + 1);
    qsizetype kept = 0;
    for (qsizetype record = 0; record < m_records.count(); ++record) {
        const QByteArrayView line = m_records.codedLine(record);
        starts.append(folded.size());
        if (!sameLine(kept, line) && sameLine(kept + 1, line))
            ++kept; // that record went
        if (sameLine(kept, line))
            folded += foldedText(kept++);
        else
            appendSearched(folded, m_records.record(record));
    }
    starts.append(folded.size());
    m_foldedLines = m_records;
    m_folded = std::move(folded);
    m_starts = std::move(starts);
}

void RecordFilter::find()
{
    // One pass through all the texts; after a find the search goes on at the next record.
    m_rows.clear();
    const QStringView all(m_folded);
    qsizetype record = 0;
    for (qsizetype at = all.indexOf(m_needle); at >= 0;
         at = all.indexOf(m_needle, m_starts[record + 1])) {
        while (m_starts[record + 1] <= at)
            ++record;
        m_rows.append(record);
    }
}
