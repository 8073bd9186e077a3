#include "EncipheredLines.h"

#include "CipherText.h"
#include "LineEscape.h"
#include "LineFile.h"
#include "RecordCodec.h"
#include "RecordLine.h"

#include <algorithm>

namespace EncipheredLines {

namespace {

const QByteArray codedSeparator
    = EncodeRecord(QByteArray(RecordLine::separator.data(), RecordLine::separator.size()));

} // namespace

std::optional<QByteArray> encipher(const QByteArray &coded, const QByteArray &key)
{
    const std::optional<QByteArray> cipher = CipherText(coded, key);
    return cipher ? std::optional(escapeLine(*cipher)) : std::nullopt;
}

std::optional<QByteArray> decipher(const QByteArray &line, const QByteArray &key)
{
    const std::optional<QByteArray> raw = unescapeLine(line);
    return raw ? CipherText(*raw, key) : std::nullopt;
}

std::optional<QByteArray> fileContent(const QList<QByteArray> &coded, const QByteArray &key)
{
    QList<QByteArray> lines;
    lines.reserve(coded.size());
    for (const QByteArray &line : coded) {
        const std::optional<QByteArray> enciphered = encipher(line, key);
        if (!enciphered)
            return std::nullopt;
        lines.append(*enciphered);
    }
    return LineFile::fileContent(lines, LineFile::ByteOrderMark::Keep);
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
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const std::optional<QByteArray> coded = decipher(lines[i], key);
        if (!coded || !coded->isValidUtf8()
            || coded->count(codedSeparator) < RecordLine::fieldCount - 1)
            return {{}, i + 1};
        records.coded.append(*coded);
    }
    return records;
}

} // namespace EncipheredLines
