#include "ConflictMarkers.h"

#include "LineFile.h"

#include <algorithm>

namespace ConflictMarkers {

namespace {

bool isMarker(QByteArrayView line, QByteArrayView separator)
{
    constexpr qsizetype width = 7;
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.size() < width || (line.size() > width && line[width] != ' ')
        || line.contains(separator))
        return false;
    const char first = line[0];
    return (first == '<' || first == '|' || first == '=' || first == '>')
        && std::all_of(line.begin(), line.begin() + width, [&](char c) { return c == first; });
}

} // namespace

qsizetype firstLine(QByteArrayView content, QByteArrayView separator)
{
    const QList<QByteArrayView> lines = LineFile::splitLines(content);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (isMarker(lines[i], separator))
            return i + 1;
    }
    return 0;
}

QString refusal(const QString &path, qsizetype line)
{
    return QStringLiteral("%1: line %2 is a conflict marker that a merge left; nothing was "
                          "read or written. Settle that merge first.")
        .arg(path)
        .arg(line);
}

} // namespace ConflictMarkers
