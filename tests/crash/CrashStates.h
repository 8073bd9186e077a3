#pragma once

#include "import/OldDatabase.h"
#include "security/ConfigFile.h"
#include "vault/RecordBook.h"

#include <QStringList>

// What a program folder holds after write n of an operation: the writer and the test that
// kills it compute the same states.
namespace CrashStates {

struct State
{
    QString reach;
    QString key; // none at reach 0; at reach 3 the password that opens the sealed file
    QString expiry = ConfigFile::noExpiry;
    QStringList records;

    bool operator==(const State &) const = default;
    QString configLine() const
    {
        const bool stored = !key.isEmpty() && reach != QLatin1String("3");
        return ConfigFile::composeLine(
            expiry, stored ? key : ConfigFile::unsetMark, QStringLiteral("01-15-2026"), reach);
    }
};

// The former database's lines: service, username, password and address.
inline const QStringList oldLines {QStringLiteral("Mail:jo:p1:http://mail.example"),
    QString::fromUtf8("Caf\xc3\xa9:\xc3\xbc:\xe2\x82\xac:x"), QStringLiteral("bank:me:s3:note")};

inline QString record(int i, int version)
{
    return QString::fromUtf8("Service %1:!user \xc3\xb2%2:!p, \"w\" %1:!note:!http://x/%2")
        .arg(i, 4, 10, QChar(u'0'))
        .arg(version);
}

inline QStringList numbered(int count, int version = 0)
{
    QStringList records;
    for (int i = 1; i <= count; ++i)
        records.append(record(i, version));
    return records;
}

inline State stateOf(const QString &operation, int n)
{
    const QString reach = operation.right(1);
    const QString key
        = reach == u'1' || reach == u'3' ? QString::fromUtf8("k\xc3\xb2y") : QString();
    if (operation.startsWith(u"add"))
        return {reach, key, ConfigFile::noExpiry, numbered(n)};
    if (operation.startsWith(u"rewrite")) // grows and shrinks, every line changed
        return {reach, key, ConfigFile::noExpiry, numbered(n * 7 % 11, n)};
    if (operation.startsWith(u"import")) { // each import adds the former records again
        QStringList lines;
        for (int i = 0; i < n; ++i) {
            for (const QString &line : oldLines)
                lines.append(OldDatabase::convertLine(line));
        }
        RecordBook book;
        book.load(lines);
        return {reach, key, ConfigFile::noExpiry, book.records()};
    }
    const QString password = QString::fromUtf8("pw\xc3\xb2%1").arg(n);
    if (operation == u"config")
        return {QStringLiteral("2"), password, QStringLiteral("%1").arg(n, 10, 10, QChar(u'0')),
            numbered(5)};
    // convert: every change of level, and of the password at reach 1 and 3, then again
    const char cycle[] = "01123313032";
    const QString level = QString(QLatin1Char(cycle[n % 11]));
    return {level, level == u'0' ? QString() : password, ConfigFile::noExpiry, numbered(12)};
}

} // namespace CrashStates
