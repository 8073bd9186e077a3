#include "OldDatabase.h"

#include "vault/LineFile.h"
#include "vault/RecordCodec.h"
#include "vault/RecordLine.h"

namespace OldDatabase {

QString convertLine(const QString &decoded)
{
    QString head;
    QString rest = decoded;
    for (;;) {
        if (rest.size() >= 5 && rest.startsWith(QLatin1String("http")))
            break;
        const qsizetype colon = rest.indexOf(u':');
        if (colon < 0)
            break;
        head += rest.left(colon) + RecordLine::separator;
        rest = rest.mid(colon + 1);
    }
    return rest.isEmpty() ? head : head + RecordLine::separator + rest;
}

std::optional<QStringList> readRecords(const QString &programFolder)
{
    const LineFile::ReadResult file
        = LineFile::readLines(programFolder + QStringLiteral("/CFDB.pdb"));
    if (file.status != LineFile::ReadStatus::Read)
        return std::nullopt;
    QStringList records;
    for (const QByteArray &coded : file.lines) {
        if (!coded.isEmpty())
            records.append(convertLine(RecordLine::fromBytes(DecodeRecord(coded))));
    }
    return records;
}

} // namespace OldDatabase
