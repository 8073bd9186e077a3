#include "LanguageFile.h"

#include "vault/LineFile.h"
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
    QStringList items;
    for (const QByteArrayView line : LineFile::splitLines(LineFile::withoutByteOrderMark(content)))
        readLine(RecordLine::fromBytes(line.toByteArray()), items);
    return items;
}

} // namespace LanguageFile
