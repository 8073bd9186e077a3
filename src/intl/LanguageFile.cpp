#include "LanguageFile.h"

#include "vault/RecordLine.h"

namespace LanguageFile {

namespace {

// The items of one line.
void readLine(const QString &line, QStringList &items)
{
    qsizetype at = 0;
    for (;;) {
        while (at < line.size() && line[at] == u' ')
            ++at;
        qsizetype end;
        if (at < line.size() && line[at] == u'"') {
            const qsizetype close = line.indexOf(u'"', at + 1);
            const qsizetype stop = close < 0 ? line.size() : close;
            items.append(line.mid(at + 1, stop - at - 1));
            end = line.indexOf(u',', stop);
        } else {
            end = line.indexOf(u',', at);
            items.append(line.mid(at, (end < 0 ? line.size() : end) - at));
        }
        if (end < 0)
            return;
        at = end + 1;
    }
}

} // namespace

QStringList readItems(const QByteArray &content)
{
    // A UTF-8 byte order mark that an editor put before the file's text is no part of it.
    constexpr QByteArrayView byteOrderMark("\xEF\xBB\xBF");
    const qsizetype start = content.startsWith(byteOrderMark) ? byteOrderMark.size() : 0;
    QList<QByteArray> lines = content.sliced(start).split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    QStringList items;
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        readLine(RecordLine::fromBytes(line), items);
    }
    return items;
}

} // namespace LanguageFile
