#pragma once

#include "FakePlatform.h"
#include "vault/Database.h"
#include "vault/VaultAccess.h"

#include <QDir>
#include <QTemporaryDir>

// The lines in the order the program lists them.
inline QStringList inBookOrder(const QStringList &lines)
{
    return RecordBook(lines).records();
}

// The records of the program folder at the reach level, read as a fresh start reads them, in
// the order the program lists them.
inline QStringList storedIn(const QString &folder, const QString &reach, const QString &key)
{
    VaultAccess access {reach, key};
    Database database(folder, access);
    const Database::Source source = access.sealed()
        ? (database.openSealed(key), Database::Source::Sealed)
        : (access.enciphered() ? Database::Source::Enciphered : Database::Source::Coded);
    const Database::Records read = database.LoadRecords(source);
    return read.readWhole ? read.book.records() : QStringList {QStringLiteral("<unreadable>")};
}

// A program folder of its own, with the private temporary folder "tmp" that the fakes name,
// for the core tests: records stored as a program at a reach level writes them, and read back
// as a fresh start reads them.
struct ProgramFolder
{
    ProgramFolder()
        : fake(dir.filePath(QStringLiteral("tmp")))
    {
        QDir(dir.path()).mkdir(QStringLiteral("tmp"));
    }

    // "0": the coded file; "1": the file enciphered under the key; "3": sealed under it.
    bool store(const QStringList &records, const QString &reach = QStringLiteral("0"),
        const QString &key = {}) const
    {
        VaultAccess access {reach, key};
        Database database(dir.path(), access);
        database.EnsureDataFolder();
        if (access.sealed())
            database.setSealKey(SealedFile::Key::create(key));
        return database.RewriteDatabase(records);
    }
    QStringList stored(const QString &reach = QStringLiteral("0"), const QString &key = {}) const
    {
        return storedIn(dir.path(), reach, key);
    }
    // Nothing is left in the temporary folder.
    bool noClearCopy() const { return QDir(dir.filePath(QStringLiteral("tmp"))).isEmpty(); }

    QTemporaryDir dir;
    FakePlatform fake;
};

// The messages shown, one "title|text|icon" line each.
inline QString described(const FakeMessageBoxes &messages)
{
    const char *icons[] = {"none", "information", "stop"};
    QStringList all;
    for (const ShownMessage &m : messages.shown)
        all.append(m.title + u'|' + m.text + u'|' + QLatin1String(icons[int(m.icon)]));
    return all.join(u'\n');
}
