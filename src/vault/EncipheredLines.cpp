#include "EncipheredLines.h"

#include "CipherText.h"
#include "LineEscape.h"
#include "LineFile.h"

namespace EncipheredLines {

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

} // namespace EncipheredLines
