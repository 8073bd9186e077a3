#include "RecordFilter.h"

#include "vault/RecordLine.h"

#include <algorithm>
#include <utility>

namespace {

// Letters that no decomposition takes apart, as they are written without their stroke or
// ligature. Compared after case folding.
constexpr std::pair<char16_t, const char *> plainLetters[] = {
    {u'\u00df', "ss"}, // ß
    {u'\u00e6', "ae"}, // æ
    {u'\u0153', "oe"}, // œ
    {u'\u00f8', "o"}, // ø
    {u'\u0111', "d"}, // đ
    {u'\u0142', "l"}, // ł
    {u'\u0131', "i"}, // dotless i
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

// What a search looks through: every field but the password, one line break between them
// (no field holds one, so no text found spans two fields).
QString searchedText(const QString &line)
{
    QString text;
    text.reserve(line.size());
    qsizetype from = 0;
    for (int field = 0; field < RecordLine::fieldCount; ++field) {
        qsizetype to = field == RecordLine::Path ? -1 : line.indexOf(RecordLine::separator, from);
        if (to < 0)
            to = line.size();
        if (field != RecordLine::Password) {
            text += QStringView(line).sliced(from, to - from);
            text += u'\n';
        }
        from = qMin(to + RecordLine::separator.size(), line.size());
    }
    return RecordFilter::fold(text);
}

} // namespace

QString RecordFilter::fold(QStringView text)
{
    // Most records are plain ASCII: their case is folded in one pass.
    QString folded(text.size(), Qt::Uninitialized);
    QChar *out = folded.data();
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return foldUnicode(text);
        *out++ = c.unicode() >= 'A' && c.unicode() <= 'Z' ? QChar(c.unicode() + 32) : c;
    }
    return folded;
}

void RecordFilter::setRecords(const QStringList &records)
{
    m_records = records;
    if (!isActive())
        return;
    refold();
    find();
}

void RecordFilter::insert(qsizetype index, const QString &line)
{
    m_records.insert(index, line);
    if (!isActive())
        return;
    m_foldedLines.insert(index, line);
    m_folded.insert(index, searchedText(line));
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), index);
    for (auto row = at; row != m_rows.end(); ++row)
        ++*row;
    if (holdsNeedle(m_folded[index]))
        m_rows.insert(at, index);
}

qsizetype RecordFilter::rowFor(qsizetype index, const QString &line) const
{
    if (!isActive())
        return index;
    if (!holdsNeedle(searchedText(line)))
        return -1;
    return std::lower_bound(m_rows.begin(), m_rows.end(), index) - m_rows.begin();
}

void RecordFilter::setText(const QString &text)
{
    m_text = text;
    // A field's line breaks became spaces: so do the search text's.
    QString typed = text;
    typed.replace(QLatin1StringView("\r\n"), QLatin1StringView(" "));
    typed.replace(u'\r', u' ').replace(u'\n', u' ');
    const QString needle = fold(typed);
    if (needle == m_needle)
        return;
    const bool wasActive = isActive();
    // A longer text finds only among what the shorter one found.
    const bool narrower = wasActive && needle.contains(m_needle);
    m_needle = needle;
    m_matcher.setPattern(needle);
    if (!isActive()) {
        m_rows.clear();
        return;
    }
    if (!wasActive)
        refold();
    if (narrower)
        m_rows.removeIf([this](qsizetype record) { return !holdsNeedle(m_folded[record]); });
    else
        find();
}

qsizetype RecordFilter::recordAt(qsizetype row) const
{
    if (row < 0 || row >= rowCount())
        return -1;
    return isActive() ? m_rows[row] : row;
}

qsizetype RecordFilter::rowOf(qsizetype record) const
{
    if (record < 0 || record >= m_records.size())
        return -1;
    if (!isActive())
        return record;
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), record);
    return at != m_rows.end() && *at == record ? at - m_rows.begin() : -1;
}

bool RecordFilter::holdsNeedle(const QString &folded) const
{
    return m_matcher.indexIn(folded) >= 0;
}

void RecordFilter::refold()
{
    // Records come and go one or two at a time: a line equal to the next kept one takes its
    // folded text, any other line is folded anew.
    QStringList folded;
    folded.reserve(m_records.size());
    qsizetype kept = 0;
    const qsizetype keptCount = m_foldedLines.size();
    for (const QString &line : std::as_const(m_records)) {
        if (kept + 1 < keptCount && m_foldedLines[kept] != line && m_foldedLines[kept + 1] == line)
            ++kept; // that record went
        if (kept < keptCount && m_foldedLines[kept] == line)
            folded.append(m_folded[kept++]);
        else
            folded.append(searchedText(line));
    }
    m_foldedLines = m_records;
    m_folded = std::move(folded);
}

void RecordFilter::find()
{
    m_rows.clear();
    for (qsizetype record = 0; record < m_folded.size(); ++record) {
        if (holdsNeedle(m_folded[record]))
            m_rows.append(record);
    }
}
