#include "RecordLine.h"

#include "LineFile.h"

#include <QStringDecoder>

#include <utility>

namespace {

// A leading U+FEFF is text of the line, kept as written: the decoder drops it by default.
constexpr auto utf8Flags
    = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;

// Windows-1252 at 0x80-0x9F; the bytes it leaves undefined keep their Latin-1 code points.
constexpr char16_t windows1252[32]
    = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = byte >= 0x80 && byte < 0xA0 ? QChar(windows1252[byte - 0x80]) : QChar(byte);
    }
    return text;
}

} // namespace

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

QStringList recordFields(const QString &line)
{
    QStringList fields = splitFields(line);
    fields.resize(fieldCount);
    fields[Service] = serviceName(line);
    return fields;
}

QString storedText(QString text)
{
    return text.replace(QLatin1StringView("\r\n"), QString(QChar::LineSeparator))
        .replace(u'\r', QChar::LineSeparator)
        .replace(u'\n', QChar::LineSeparator);
}

QString outputText(QString field)
{
    return field.replace(QChar::LineSeparator, u'\n');
}

QStringList outputFields(const QString &line)
{
    QStringList fields = recordFields(line);
    for (QString &field : fields)
        field = outputText(std::move(field));
    return fields;
}

QByteArray toBytes(const QString &line)
{
    return line.toUtf8();
}

QString fromBytes(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, utf8Flags);
    QString text = utf8(bytes);
    return utf8.hasError() ? fromWindows1252(bytes) : text;
}

QByteArray linesToBytes(const QStringList &lines, LineFile::ByteOrderMark mark)
{
    const QLatin1StringView lineBreak(LineFile::lineBreak);
    if (lines.isEmpty())
        return {};
    const QByteArray content = (lines.join(lineBreak) + lineBreak).toUtf8();
    return mark == LineFile::ByteOrderMark::Drop ? LineFile::byteOrderMarkKeeping(content) + content
                                                 : content;
}

QStringList linesFromBytes(const QByteArray &content, LineFile::ByteOrderMark mark)
{
    const QByteArrayView text
        = mark == LineFile::ByteOrderMark::Drop ? LineFile::withoutByteOrderMark(content) : content;
    QStringList lines;
    QStringDecoder utf8(QStringDecoder::Utf8, utf8Flags);
    const QString decoded = utf8(text);
    if (!utf8.hasError()) {
        for (const QStringView line : LineFile::splitLines(QStringView(decoded))) {
            if (!line.isEmpty())
                lines.append(line.toString());
        }
        return lines;
    }
    for (const QByteArrayView line : LineFile::splitLines(text)) {
        if (!line.isEmpty())
            lines.append(fromBytes(line.toByteArray()));
    }
    return lines;
}

} // namespace RecordLine
