#pragma once

#include "LineFile.h"
#include "ProgramLock.h"
#include "RecordBook.h"
#include "SealedFile.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <future>
#include <optional>

struct VaultAccess;

// The record files of a program folder: "Data/CF2DB.pdb" holds coded lines (reach 0 and 2),
// "Data/CF2DB.edb" coded lines enciphered with the database key (reach 1), "Data/CF2DB.sdb" the
// coded lines sealed under a key derived from the master password (reach 3, every write a
// whole new file). These files are deciphered and enciphered in memory: no clear copy of the
// records is written to disk.
// Every write reports its failure; the caller changes its lists only after a success.
class Database
{
public:
    enum class Source { Coded, Enciphered, Sealed };

    struct Records
    {
        QStringList lines;
        bool readWhole = true;
        std::optional<RecordBook> sorted; // the lines in the lists' order, when sorted already
    };

    Database(const QString &programFolder, VaultAccess &access);

    // Reads the reach level and the database key from the configuration without asking;
    // used when a write at reach 1 finds no key.
    void setKeyLoader(std::function<void()> loader) { m_keyLoader = std::move(loader); }

    // Creates "Data" (mode 0700); takes group and other access away from it and its files.
    void EnsureDataFolder() const;
    // Removes what a kill during a whole-file write leaves, and the clear working copy that
    // earlier versions kept in the private temporary folder; only while the folder is locked.
    void removeWriteLeftovers(const QString &temporaryFolder) const;
    // Makes "Data", takes the folder's lock (waiting up to the time given) and, once it is
    // taken, removes those leftovers.
    ProgramLock::Result lockDataFolder(
        ProgramLock &lock, int waitMilliseconds, const QString &temporaryFolder) const;
    // The records of the source, the enciphered file deciphered with the key in force. A file
    // that exists but could not be read whole refuses every rewrite in this run.
    Records LoadRecords(Source source);
    // Opens the sealed file with the password (the slow step). When it opens, the key is kept
    // for the writes that follow and the records for LoadRecords().
    SealedFile::Status openSealed(const QString &password);
    // The sealed file opened was sealed at a lower cost than the standard one.
    bool sealedBelowStandardCost() const { return m_sealedBelowStandardCost; }
    // Seals the records of the sealed file again under a new key of the standard cost, kept for
    // the writes that follow; false when that failed, and the file stays as it was.
    bool sealAgainAtStandardCost(const QString &password);
    // The key the sealed file is written with: none until a password opened the file.
    const std::optional<SealedFile::Key> &sealKey() const { return m_sealKey; }
    void setSealKey(std::optional<SealedFile::Key> key) { m_sealKey = std::move(key); }
    // Reads, decodes and sorts the coded file on a thread of its own (while the splash shows),
    // for LoadRecords() to take.
    void preloadRecords();
    bool AppendRecord(const QString &line);
    bool RewriteDatabase(const QStringList &records);
    // The coded lines of a database file, those of the enciphered one deciphered with the key,
    // those of the sealed one opened with the kept key; Failed when they do not open.
    LineFile::ReadResult readCodedLines(Source source, const QByteArray &key) const;
    // Replaces a database file with the coded lines, enciphered with the key for the
    // enciphered file.
    bool writeCodedLines(
        bool enciphered, const QList<QByteArray> &coded, const QByteArray &key) const;
    // Replaces the sealed file with the coded lines sealed under the key.
    bool sealCodedLines(const QList<QByteArray> &coded, const SealedFile::Key &key) const;

    // True when no database file exists, so that the old database may be imported.
    bool UpdateImportOffer() const;

    // The files of the sources, outside reads and writes.
    QString pathOf(Source source) const;
    bool exists(Source source) const;
    // True when the file is gone afterwards.
    bool remove(Source source) const;
    // Renames the file to its name followed by ".kept-" and the date and time; false when it
    // stays where it was.
    bool setAside(Source source) const;
    // The configuration file is there, read or not, whatever the letter case of its name.
    bool configurationExists() const;

    // False after a start-up that could not read an existing database file whole: a rewrite
    // from the partial list would erase the records that were not read.
    bool rewriteAllowed() const { return !m_rewriteRefused && !m_conversionUnfinished; }
    // Neither the old state of a conversion nor the new one: adds and rewrites are refused
    // until a start finishes it.
    void markConversionUnfinished() { m_conversionUnfinished = true; }
    bool conversionUnfinished() const { return m_conversionUnfinished; }
    // The enciphered file holds records that this run did not read: it is never written or
    // deleted in this run, and no coded file is made beside it (a start whose settings name
    // reach 1 again would take that for a cut-short conversion and replace the enciphered file).
    void keepEncipheredFile() { m_encipheredKept = true; }
    bool encipheredKept() const { return m_encipheredKept; }
    // The same for a sealed file that this run did not open, at another level than 3.
    void keepSealedFile() { m_sealedKept = true; }
    bool sealedKept() const { return m_sealedKept; }

    VaultAccess &access() const { return m_access; }
    const QString &programFolder() const { return m_programFolder; }
    QString dataFolder() const { return m_programFolder + QStringLiteral("/Data"); }
    QString codedPath() const { return dataFolder() + QStringLiteral("/CF2DB.pdb"); }
    QString encipheredPath() const { return dataFolder() + QStringLiteral("/CF2DB.edb"); }
    QString sealedPath() const { return dataFolder() + QStringLiteral("/CF2DB.sdb"); }
    QString configurationPath() const { return dataFolder() + QStringLiteral("/Coffrel.cnf"); }

private:
    static Records readRecords(const QString &source);
    Records readEnciphered();
    QStringList dataFiles() const
    {
        return {codedPath(), encipheredPath(), sealedPath(), configurationPath()};
    }
    QByteArray databaseKey();
    bool AppendEncipheredRecord(const QByteArray &coded);
    // False when a write would make a coded file beside a kept enciphered or sealed one.
    bool keptFileSpared() const;
    bool AppendSealedRecord(const QByteArray &coded);
    bool sealContent(const QByteArray &content) const;

    QString m_programFolder;
    VaultAccess &m_access;
    std::function<void()> m_keyLoader;
    bool m_rewriteRefused = false;
    bool m_conversionUnfinished = false;
    bool m_encipheredKept = false;
    bool m_sealedKept = false;
    std::optional<SealedFile::Key> m_sealKey;
    bool m_sealedBelowStandardCost = false;
    QByteArray m_sealedContent; // as opened at start-up, until LoadRecords() takes it
    std::future<Records> m_preload;
};
