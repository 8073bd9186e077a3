#pragma once

#include "LineFile.h"
#include "RecordBook.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <future>
#include <optional>

class TemporaryFolder;
struct VaultAccess;

// The record files of a program folder: "Data/CF2DB.pdb" holds coded lines (reach 0 and 2),
// "Data/CF2DB.edb" coded lines enciphered with the database key (reach 1), and "mdb.tmp" in
// the temporary folder the coded lines while the enciphered file is read or rewritten.
// Every write reports its failure; the caller changes its lists only after a success.
class Database
{
public:
    struct Records
    {
        QStringList lines;
        bool readWhole = true;
        std::optional<RecordBook> sorted; // the lines in the lists' order, when sorted already
    };

    Database(
        const QString &programFolder, const TemporaryFolder &temporaryFolder, VaultAccess &access);

    // Reads the reach level and the database key from the configuration without asking;
    // used when a write at reach 1 finds no key.
    void setKeyLoader(std::function<void()> loader) { m_keyLoader = std::move(loader); }

    // Creates "Data" (mode 0700); takes group and other access away from it and its files.
    void EnsureDataFolder() const;
    // Removes what a kill during a whole-file write leaves; only while the folder is locked.
    void removeWriteLeftovers() const;
    // Writes the working copy from the enciphered file; false when that could not be read whole.
    // When the coded file is there too, a conversion was cut short: the copy comes from it.
    bool DecipherDatabase();
    // After such a start: the enciphered file is written from the records, the coded one
    // removed. When that fails, every write is refused in this run.
    void finishConversion(const QStringList &records);
    Records LoadRecords();
    // Reads, decodes and sorts the coded file on a thread of its own (while the splash shows),
    // for LoadRecords() to take at reach 0 and 2.
    void preloadRecords();
    void deleteWorkingCopy() const;
    bool AppendRecord(const QString &line);
    bool RewriteDatabase(const QStringList &records);
    // The coded lines of a database file, those of the enciphered one deciphered with the key;
    // Failed when a line does not decipher.
    LineFile::ReadResult readCodedLines(bool enciphered, const QByteArray &key) const;
    // Replaces a database file with the coded lines, enciphered with the key for the
    // enciphered file.
    bool writeCodedLines(
        bool enciphered, const QList<QByteArray> &coded, const QByteArray &key) const;

    // True when neither database file exists, so that the old database may be imported.
    bool UpdateImportOffer() const;

    // False after a start-up that could not read an existing database file whole: a rewrite
    // from the partial list would erase the records that were not read.
    bool rewriteAllowed() const { return !m_rewriteRefused; }

    VaultAccess &access() const { return m_access; }
    const QString &programFolder() const { return m_programFolder; }
    QString dataFolder() const { return m_programFolder + QStringLiteral("/Data"); }
    QString codedPath() const { return dataFolder() + QStringLiteral("/CF2DB.pdb"); }
    QString encipheredPath() const { return dataFolder() + QStringLiteral("/CF2DB.edb"); }
    QString configurationPath() const { return dataFolder() + QStringLiteral("/Coffrel.cnf"); }
    QString workingCopyPath() const;

private:
    static Records readRecords(const QString &source);
    QStringList dataFiles() const { return {codedPath(), encipheredPath(), configurationPath()}; }
    QByteArray databaseKey();
    bool AppendEncipheredRecord(const QByteArray &coded);
    bool EncipherWorkingCopy(const QString &workingCopy);
    static bool writeWorkingCopy(const QString &workingCopy, const QByteArray &coded);

    QString m_programFolder;
    const TemporaryFolder &m_temporaryFolder;
    VaultAccess &m_access;
    std::function<void()> m_keyLoader;
    bool m_rewriteRefused = false;
    bool m_conversionUnfinished = false;
    std::future<Records> m_preload;
};
