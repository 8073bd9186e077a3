#include "EncipheredLines.h"

#include "CipherText.h"
#include "LineEscape.h"
#include "LineFile.h"
#include "RecordBook.h"
#include "RecordCodec.h"
#include "RecordLine.h"

#include <algorithm>
#include <cstring>

namespace EncipheredLines {

namespace {

const QByteArray codedSeparator
    = EncodeRecord(QByteArray(RecordLine::separator.data(), RecordLine::separator.size()));

bool needsEscape(QByteArrayView line)
{
    return std::memchr(line.data(), '\r', line.size())
        || std::memchr(line.data(), '\n', line.size())
        || std::memchr(line.data(), 0x10, line.size());
}

// Each line enciphered into one buffer, escaped where it must be, and ended.
template <typename Line>
std::optional<QByteArray> contentOf(qsizetype count, const Line &line, const QByteArray &key)
{
    QByteArray content;
    if (count == 0)
        return content;
    const CipherStream stream(key);
    if (stream.isEmpty())
        return std::nullopt;
    qsizetype size = 0;
    for (qsizetype i = 0; i < count; ++i)
        size += line(i).size() + 2;
    content.reserve(size + size / 64);
    for (qsizetype i = 0; i < count; ++i) {
        const QByteArrayView coded = line(i);
        const qsizetype start = content.size();
        content.resize(start + coded.size());
        stream.apply(coded.data(), content.data() + start, coded.size());
        if (needsEscape(QByteArrayView(content).sliced(start))) {
            const QByteArray escaped = escapeLine(content.sliced(start));
            content.truncate(start);
            content.append(escaped);
        }
        content.append(LineFile::lineBreak);
    }
    return content;
}

} // namespace

std::optional<QByteArray> encipher(const QByteArray &coded, const QByteArray &key)
{
    const std::optional<QByteArray> cipher = CipherText(coded, key);
    return cipher ? std::optional(escapeLine(*cipher)) : std::nullopt;
}

std::optional<QByteArray> decipher(const QByteArray &line, const QByteArray &key)
{
    return decipher(line, CipherStream(key, line.size()));
}

std::optional<QByteArray> decipher(const QByteArray &line, const CipherStream &key)
{
    std::optional<QByteArray> raw = unescapeLine(line);
    if (!raw || raw->isEmpty())
        return raw;
    if (key.isEmpty())
        return std::nullopt;
    key.apply(raw->constData(), raw->data(), raw->size());
    return raw;
}

std::optional<QByteArray> fileContent(const QList<QByteArray> &coded, const QByteArray &key)
{
    return contentOf(
        coded.size(), [&](qsizetype i) { return QByteArrayView(coded[i]); }, key);
}

std::optional<QByteArray> fileContent(const RecordBook &records, const QByteArray &key)
{
    return contentOf(
        records.count(), [&](qsizetype i) { return records.codedLine(i); }, key);
}

bool isEnciphered(QByteArrayView content)
{
    const QList<QByteArrayView> lines = LineFile::splitLines(content);
    return std::any_of(lines.begin(), lines.end(),
        [](QByteArrayView line) { return !line.isEmpty() && !line.contains(codedSeparator); });
}

Records decipherRecords(QByteArrayView content, const QByteArray &key)
{
    Records records;
    const QList<QByteArray> lines = LineFile::linesOf(content, LineFile::ByteOrderMark::Keep);
    const CipherStream stream(key);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const std::optional<QByteArray> coded = decipher(lines[i], stream);
        if (!coded || !coded->isValidUtf8()
            || coded->count(codedSeparator) < RecordLine::fieldCount - 1)
            return {{}, i + 1};
        records.coded.append(*coded);
    }
    return records;
}

} // namespace EncipheredLines
