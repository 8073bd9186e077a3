#include "RecordLine.h"

#include <QStringDecoder>

namespace RecordLine {

QString join(const QStringList &fields)
{
    return fields.join(separator);
}

QString serviceName(const QString &line)
{
    const qsizetype end = line.indexOf(separator);
    return end < 0 ? line : line.left(end);
}

QStringList splitFields(const QString &line)
{
    QStringList fields;
    qsizetype start = 0;
    while (fields.size() < Path) {
        const qsizetype end = line.indexOf(separator, start);
        if (end < 0)
            return fields;
        fields.append(line.mid(start, end - start));
        start = end + separator.size();
    }
    if (start < line.size())
        fields.append(line.mid(start));
    return fields;
}

QByteArray toBytes(const QString &line)
{
    return line.toUtf8();
}

QString fromBytes(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

} // namespace RecordLine
